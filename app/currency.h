// The company's currencies and the settings that amount calculations read: the currency
// table built from `Divisas`, the company currency and result decimals from `Claves`, and the
// conversions between them (fixed rate of 166.386 pesetas to the euro).
//
// Pure functions over plain values: what reads the tables fills a CompanySettings and
// hands it down. Only what the recomputations need is here so far (NVALDIV, NDECRES,
// NROUNDEURO, NCHANGEDIVPTS); the display masks belong beside them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

inline constexpr double kPesetasPerEuro = 166.386;

// One record of `Divisas`.
struct Currency {
  std::string code;          // CCODDIV, 3 characters
  int price_decimals = 0;    // NDECPREC
  int result_decimals = 0;   // NDECRES
  double euro_value = 0;     // NVALEURO99
  double rate = 0;           // NTASACONV
  bool euro_zone = false;    // LZONAEURO
  double value = 0;          // NVALDIV
};

// The company's settings (`Claves`) and its currency table.
struct CompanySettings {
  std::string currency = "EUR";  // company currency (CCODDIVEMP)
  int result_decimals = 2;       // result digits' decimals (CMASRES)
  bool irpf_on_vat = false;      // LIRPFAGR: withholding also on the VAT
  bool statistics = false;       // LGRAFCLI: the company keeps monthly statistics
  bool discount_pp = false;      // LDTOPP
  bool discount_esp = false;     // LDTOESP
  std::vector<Currency> currencies;

  bool euro() const { return currency == "EUR"; }
  // MASCARAS: adds the currency, or updates the one of that code.
  void AddCurrency(const Currency& c);
  // By code (blanks at the end not significant); nullptr when not in the table.
  const Currency* Find(std::string_view code) const;
};

// The currency a document is in, as its header gives it.
struct DocumentCurrency {
  std::string code;                   // CCODDIV
  std::optional<double> euro_value99; // NVALEURO99, when the table has the field
  double euro_value = 0;              // NVALEURO
  double value = 0;                   // NVALDIV
};

// The settings of the company the program works on (filled at start and for each company
// organised); what the functions called from run-time compiled text read.
CompanySettings& CurrentCompany();

// Rounds half away from zero, as xBase Round() does.
double RoundAmount(double amount, int decimals);

// NVALDIV: the factor that takes a document's amounts into the company's currency.
double DocumentValue(const CompanySettings& company, const DocumentCurrency& document);

// NDECRES: the result decimals of a currency (a blank code is the company's currency when
// that is the euro); the company's result decimals when the currency is not in the table.
int ResultDecimals(const CompanySettings& company, std::string_view currency = {});

// NROUNDEURO: the amount's text cut after three decimals, then rounded to two.
double RoundEuro(double amount);

// NCHANGEDIVPTS: an amount of `currency` in the company's currency (`reverse`: the other
// way). `value` and `rate` override the table's when not 0.
double ChangeCurrency(const CompanySettings& company, double amount, std::string_view currency, double value = 0,
                      bool reverse = false, double rate = 0);

}  // namespace app
