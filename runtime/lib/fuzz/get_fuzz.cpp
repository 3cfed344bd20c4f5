// Fuzz target of the Get edit buffer: a value of any type under any picture, then a script
// of keys and movements. Any input must end with the buffer, the position and the variable
// consistent, never in a crash or a read past the buffer.
//
// Input: a kind byte (value type and date format), the picture, a NUL, then the script: each
// byte an operation, typing operations followed by the character typed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/codepage.h"
#include "runtime/lib/get.h"
#include "runtime/runtime.h"
#include "runtime/sets.h"

namespace {

xb::Value Initial(std::uint8_t kind) {
  switch (kind % 6) {
    case 0: return xb::Value::String(std::string(kind % 13, ' '));
    case 1: return xb::Value::String("Alimentación Pérez");
    case 2: return xb::Value::Double(1234.5 - kind, kind % 4);
    case 3: return xb::Value::Integer(kind * 37 - 4000);
    case 4: return xb::Value::FromDate(xb::Date::FromYmd(2004, 2, 29));
    default: return xb::Value::Logical(kind & 1);
  }
}

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = (xb::InitRuntime(), xb::SetCodePage("ESWIN"), true);
  (void)ready;
  if (size == 0) return 0;
  static const char* const formats[] = {"dd-mm-yyyy", "mm/dd/yy", "yyyy.mm.dd", "dd/mm/yy"};
  const std::uint8_t kind = data[0];
  xb::SetValue(xb::SET_DATEFORMAT, xb::Value::String(formats[(kind >> 4) % 4]));
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t nul = rest.find('\0');
  const std::string_view picture = rest.substr(0, nul);
  const std::string_view script = nul == std::string_view::npos ? "" : rest.substr(nul + 1);

  auto cell = std::make_shared<xb::Value>(Initial(kind));
  const xb::Value block(xb::Block::Native([cell](xb::Args& a) {
    if (a.Count() > 0 && !a.IsNil(1)) *cell = a.Arg(1);
    return *cell;
  }));
  xb::Ref<xb::Get> g = xb::MakeRef<xb::Get>(block, picture);
  g->SetFocus();
  std::size_t length = g->Buffer().size();
  for (std::size_t i = 0; i < script.size(); ++i) {
    const std::uint8_t op = static_cast<std::uint8_t>(script[i]);
    const std::string typed(1, i + 1 < script.size() ? script[i + 1] : ' ');
    switch (op % 20) {
      case 0: g->Insert(typed); ++i; break;
      case 1: g->Overstrike(typed); ++i; break;
      case 2: g->Delete(); break;
      case 3: g->BackSpace(); break;
      case 4: g->Left(); break;
      case 5: g->Right(); break;
      case 6: g->WordLeft(); break;
      case 7: g->WordRight(); break;
      case 8: g->Home(); break;
      case 9: g->End(); break;
      case 10: g->ToDecPos(); break;
      case 11: g->SetPos(static_cast<int>(op / 20) - 1); break;
      case 12: g->DelLeft(); break;
      case 13: g->DelRight(); break;
      case 14: g->DelWordLeft(); break;
      case 15: g->DelWordRight(); break;
      case 16: g->DelEnd(); break;
      case 17: g->Assign(); g->UpdateBuffer(); break;
      case 18: (void)g->Stepped(static_cast<int>(op / 20) % 5 - 2); break;
      default: g->SetBuffer(script.substr(i + 1, op / 20)); break;
    }
    // Typing keeps the buffer's length; a number formatted again (at its point, or from the
    // variable) may gain or lose a sign's "CR", "DB" or parentheses, nothing else does. The
    // position stays on the buffer.
    if (g->Type() == 'N') length = g->Buffer().size();
    Check(g->Buffer().size() == length);
    Check(g->Pos() >= 0 && g->Pos() <= static_cast<int>(length) + 1);
    (void)g->VisibleText();
    (void)g->UnTransform();
    (void)g->BadDate();
  }
  g->Assign();
  g->KillFocus();
  return 0;
}
