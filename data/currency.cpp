#include "data/currency.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "data/display_masks.h"
#include "runtime/number.h"

namespace data {
namespace {

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

CompanySettings& CurrentCompany() {
  static CompanySettings settings;
  return settings;
}

void CompanySettings::AddCurrency(const Currency& c) {
  for (Currency& known : currencies) {
    if (TrimRight(known.code) != TrimRight(c.code)) continue;
    known = c;
    return;
  }
  currencies.push_back(c);
}

const Currency* CompanySettings::Find(std::string_view code) const {
  code = TrimRight(code);
  for (const Currency& c : currencies)
    if (TrimRight(c.code) == code) return &c;
  return nullptr;
}

double RoundAmount(double amount, int decimals) { return xb::RoundNumber(amount, decimals); }

double DocumentValue(const CompanySettings& company, const DocumentCurrency& document) {
  if (!company.euro()) return document.value;
  const Currency* c = company.Find(document.code);
  if (c && c->euro_zone) return c->rate == 0 ? 1.0 : 1.0 / c->rate;
  return document.euro_value99 ? *document.euro_value99 : document.euro_value;
}

int ResultDecimals(const CompanySettings& company, std::string_view currency) {
  currency = TrimRight(currency);
  if (currency.empty() && company.euro()) currency = company.currency;
  if (const Currency* c = company.Find(currency)) return c->result_decimals;
  return company.result_decimals;
}

std::string MaskCurrency(const CompanySettings& company, std::string_view currency) {
  currency = TrimRight(currency);
  while (!currency.empty() && currency.front() == ' ') currency.remove_prefix(1);
  if (currency.empty() && company.euro()) currency = company.currency;
  return std::string(currency);
}

std::string PriceMask(const CompanySettings& company, std::string_view currency) {
  std::string mask(kDefaultPriceMask);
  const std::string code = MaskCurrency(company, currency);
  if (const Currency* c = code.empty() ? nullptr : company.Find(code); c && !c->price_mask.empty())
    mask = c->price_mask;
  if (MaskDigitsInRange(MaskKind::kPrice, company.price_integers))
    mask = MakeMask(MaskKind::kPrice, company.price_integers, company.price_decimals);
  return mask;
}

std::string ResultMask(const CompanySettings& company, std::string_view currency, bool blank_zero) {
  std::string mask(blank_zero ? kDefaultResultMaskZero : kDefaultResultMask);
  const std::string code = MaskCurrency(company, currency);
  if (const Currency* c = code.empty() ? nullptr : company.Find(code)) {
    const std::string& own = blank_zero ? c->result_mask_zero : c->result_mask;
    if (!own.empty()) mask = own;
  }
  if (MaskDigitsInRange(MaskKind::kResult, company.result_integers))
    mask = MakeMask(MaskKind::kResult, company.result_integers, company.result_decimals, blank_zero);
  return mask;
}

PesetaPicture Pts2Euros(const CompanySettings& company, std::string_view picture) {
  PesetaPicture p;
  // A peseta without a rate would divide by zero: the fixed rate stands then.
  if (const Currency* pts = company.Find("PTS"); pts && pts->rate != 0) p.rate = pts->rate;
  if (!picture.empty()) p.mask = cMasEuro(picture, !company.euro());
  return p;
}

int nMayor(double a, double b, double c) {
  const double v[3] = {std::fabs(a), std::fabs(b), std::fabs(c)};
  int best = 0;
  for (int i = 1; i < 3; ++i)
    if (v[i] > v[best]) best = i;
  return best + 1;
}

double RoundEuro(double amount) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10f", amount);
  std::string cut(text);
  if (const std::size_t dot = cut.find('.'); dot != std::string::npos && cut.size() > dot + 4) cut.resize(dot + 4);
  return RoundAmount(std::strtod(cut.c_str(), nullptr), 2);
}

double ChangeCurrency(const CompanySettings& company, double amount, std::string_view currency, double value,
                      bool reverse, double rate) {
  currency = TrimRight(currency);
  if (currency.empty()) currency = company.currency;
  if (currency == TrimRight(company.currency)) return amount;
  const Currency* c = company.Find(currency);
  if (!c) return 0;
  // The peseta for a company in another currency, the euro for a euro company: the
  // currency the flag converts through.
  const std::string_view pivot = company.euro() ? "EUR" : "PTS";
  if (currency == pivot && !reverse) return 0;
  const bool through_pesetas = company.euro() ? !reverse : reverse;
  const double r = rate != 0 ? rate : c->rate;
  const double v = value != 0 ? value : c->euro_value;
  if (c->euro_zone) {
    if (r == 0) return 0;
    if (through_pesetas) return RoundEuro(RoundAmount(amount * kPesetasPerEuro / r, 10));
    return RoundAmount(amount / r, company.euro() ? 6 : 2);
  }
  if (through_pesetas) return RoundEuro(amount * v * kPesetasPerEuro);
  return RoundAmount(amount * v, company.euro() ? 6 : 2);
}

}  // namespace data
