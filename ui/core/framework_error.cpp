#include "ui/core/framework_error.h"

#include "runtime/block.h"

namespace ui {
namespace {

std::string_view Description(int code) {
  switch (code) {
    case 1: return "Non defined Id";
    case 2: return "Duplicated Id";
    case 3: return "Cannot create Dialog Box";
    case 4: return "Memory Low";
    case 5: return "GPF occurred";
    case 6: return "Cannot create window or control";
    default: return "";
  }
}

}  // namespace

xb::ErrorRef MakeFrameworkError(int code, std::string_view operation) {
  const bool low_memory = code == static_cast<int>(FrameworkError::kMemoryLow);
  xb::ErrorRef e = low_memory ? xb::MakeError("BASE", 0, 5300, operation, Description(code))
                              : xb::MakeError("Vexilo", 0, code, operation, Description(code));
  e->severity = low_memory ? xb::ES_WARNING : xb::ES_CATASTROPHIC;
  e->canDefault = e->severity < xb::ES_CATASTROPHIC;
  return e;
}

xb::Value RaiseFrameworkError(int code, std::string_view operation) {
  xb::ErrorRef e = MakeFrameworkError(code, operation);
  const xb::Value block = xb::GetErrorBlock();
  if (!block.IsBlock()) throw xb::UnhandledError(e);
  const xb::Value arg(e);
  return block.AsBlock().Call(std::span<const xb::Value>(&arg, 1));
}

}  // namespace ui
