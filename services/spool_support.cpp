#include "services/spool_support.h"

#include <cmath>
#include <cstdlib>

#include "runtime/block.h"
#include "services/dialog_helpers.h"
#include "ui/controls/tsay.h"

namespace svc {

using xb::Value;

std::optional<std::uint32_t> IdentifierOf(const Value& value, bool texts) {
  double number = 0;
  if (value.IsNumber()) {
    number = value.AsDouble();
  } else if (texts && value.IsString()) {
    const std::string text(value.AsString());
    number = std::strtod(text.c_str(), nullptr);
  } else {
    return std::nullopt;
  }
  // An identifier read back from a signed 32-bit field is the same unsigned number.
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(std::trunc(number)));
}

Value EntryValue(ui::TExStruct& entry, std::string_view member) { return entry.GetValue(Value::String(member)); }

std::uint32_t EntryId(ui::TExStruct& entry, std::string_view member) {
  return IdentifierOf(EntryValue(entry, member)).value_or(0);
}

Value NoCallback() {
  return Value(xb::Block::Native([](xb::Args&) { return Value(); }, "{|| NIL }"));
}

ui::DialogRef NoticeDialog(const std::string& text) {
  auto dialog = xb::MakeRef<ui::TDialog>();
  ui::TDialog::NewParams params;
  params.style = DS_MODALFRAME | WS_POPUP | WS_BORDER;
  params.font = DefaultDialogFont();
  params.width = 240;
  params.height = 50;
  dialog->New(params);
  auto say = xb::MakeRef<ui::TSay>();
  const Value shown(xb::Block::Native([text](xb::Args&) { return Value::String(text); }));
  // A dialog built in memory places its controls in halves of its pixels.
  say->New({.row = 8, .col = 5, .get = shown, .parent = dialog, .font = params.font, .centered = true,
            .pixel = true, .width = 110, .height = 10});
  return dialog;
}

}  // namespace svc
