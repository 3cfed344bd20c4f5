#include "reports/report_masks.h"

#include "data/currency.h"
#include "data/display_masks.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"

namespace reports {
namespace {

std::string Nines(int count) { return count > 0 ? std::string(static_cast<std::size_t>(count), '9') : ""; }

// The integer digits as nines, "," every three counted from the right.
std::string Grouped(int digits) {
  std::string out;
  for (int i = 0; i < digits; ++i) {
    if (i > 0 && (digits - i) % 3 == 0) out += ',';
    out += '9';
  }
  return out;
}

}  // namespace

std::string cPicture(int width, int decimals, bool blank_zero) {
  const int digits = decimals > 0 ? width - decimals - 1 : width;
  const int nines = digits - digits / 4;
  std::string picture = std::string("@E") + (blank_zero ? "Z " : " ") + Grouped(nines);
  if (decimals > 0) picture += "." + Nines(decimals);
  return picture;
}

std::string cCortaMascara(std::string_view picture, int length) {
  std::string_view prefix;
  if (picture.starts_with("@EZ ")) {
    prefix = picture.substr(0, 4);
  } else if (picture.starts_with("@E ")) {
    prefix = picture.substr(0, 3);
  }
  const std::string_view rest = picture.substr(prefix.size());
  std::string_view piece = xb::Right(rest, length);
  if (!piece.empty() && piece.front() == ',') piece.remove_prefix(1);
  return std::string(prefix) + std::string(piece);
}

std::string Mascara(const ColumnMask& c) {
  std::string mask = c.mask;
  const bool numeric = c.type == "N";
  if (mask.find('(') != std::string::npos && mask.find(')') != std::string::npos) {
    const xb::Value v = xb::EvalMacro(mask);
    mask = v.IsString() ? std::string(v.AsString()) : std::string();
  } else if (xb::AllTrim(mask).empty()) {
    if (!numeric) {
      mask.clear();
    } else if (c.picture) {
      mask = cPicture(c.width, c.decimals);
    } else {
      mask = "@E " + Nines(c.decimals > 0 ? c.width - c.decimals - 1 : c.width);
      if (c.decimals > 0) mask += "." + Nines(c.decimals);
    }
  }
  // The euro form, whatever the company's currency (the company's own conversion of a
  // euro company's mask drops the cents).
  if (numeric && c.euros && c.currency == "P" && !mask.empty()) mask = data::cMasEuro(mask, true);
  return mask;
}

void RegisterReportMasks() {
  using xb::Args;
  using xb::Value;
  xb::RegisterFunction("TI_CPICTURE", [](Args& a) {
    return Value::String(cPicture(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), a.Log(3)));
  });
  xb::RegisterFunction("TI_CCORTAMASCARA",
                       [](Args& a) { return Value::String(cCortaMascara(a.Str(1), static_cast<int>(a.Int(2)))); });
  // TI_MASCARA(cMask, lPicture, cDivisa, lEuros, nWidth, nDec, cType)
  xb::RegisterFunction("TI_MASCARA", [](Args& a) {
    ColumnMask c;
    c.mask = std::string(a.Str(1));
    c.picture = a.Log(2);
    c.currency = std::string(xb::AllTrim(a.Str(3)));
    c.euros = a.Log(4);
    c.width = static_cast<int>(a.Int(5));
    c.decimals = static_cast<int>(a.Int(6));
    c.type = std::string(xb::AllTrim(a.Str(7)));
    return Value::String(Mascara(c));
  });
}

}  // namespace reports
