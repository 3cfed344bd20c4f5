// Fuzz target of the text readers of the library: pictures (TRANSFORM and edit masks),
// dates typed in a format, memo lines and wildcards. Any input must end in a result,
// never in a crash, a leak or a hang.
//
// Input: a kind byte, then the picture (or format, pattern), a NUL, and the value's text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/codepage.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/memo_lines.h"
#include "runtime/lib/numbers.h"
#include "runtime/lib/paths.h"
#include "runtime/lib/picture.h"
#include "runtime/runtime.h"

namespace {

xb::Value ValueOf(std::uint8_t kind, std::string_view text) {
  switch (kind % 5) {
    case 0: return xb::Value::String(text);
    case 1: return xb::Val(text);
    case 2: return xb::Value::FromDate(xb::ParseDate(text, "dd-mm-yyyy", 1920));
    case 3: return xb::Value::Logical(!text.empty() && text[0] & 1);
    default: return xb::Value::Double(xb::Val(text).AsDouble(), kind % 7, kind % 23);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = (xb::InitRuntime(), xb::SetCodePage("ESWIN"), true);
  (void)ready;
  if (size == 0) return 0;
  std::uint8_t kind = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t nul = rest.find('\0');
  std::string_view first = rest.substr(0, nul), second = nul == std::string_view::npos ? "" : rest.substr(nul + 1);

  xb::Picture picture(first);
  xb::Value value = ValueOf(kind, second);
  std::string shown = xb::Transform(value, picture);
  xb::EditMask mask(value, picture);
  std::string buffer = mask.Format(value);
  for (std::size_t pos = 0; pos < buffer.size() && pos < 64; ++pos) {
    if (auto c = mask.Accept(pos, second.empty() ? 'x' : second[pos % second.size()])) buffer[pos] = *c;
  }
  mask.Parse(buffer);
  mask.Parse(second);
  mask.NextEditable(mask.FirstEditable());
  mask.PreviousEditable(mask.LastEditable());

  xb::Date d = xb::ParseDate(second, first, 1900 + kind);
  xb::FormatDate(d, first);
  xb::MemoLines(second, xb::MemoLayout{kind % 40, kind % 9, (kind & 1) != 0});
  xb::MatchesWildcard(second.substr(0, 255), first.substr(0, 64));
  return 0;
}
