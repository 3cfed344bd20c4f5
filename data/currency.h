// The company's currencies and the settings that amount calculations read: the currency
// table built from `Divisas`, the company currency and result decimals from `Claves`, and the
// conversions between them (fixed rate of 166.386 pesetas to the euro).
//
// Pure functions over plain values: what reads the tables fills a CompanySettings and
// hands it down (currency_functions.h gives them to xBase text by name, reading the tables).
// The display masks of prices and results come from the company's digits when it has them,
// else from the currency's own masks, else from the defaults (display_masks.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace data {

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
  // Display masks (MASCARAS): prices, results, results with a blank zero.
  std::string price_mask = {}, result_mask = {}, result_mask_zero = {};
};

// The company's settings (`Claves`) and its currency table.
struct CompanySettings {
  std::string currency = "EUR";  // company currency (CCODDIVEMP)
  int price_integers = 0;        // price digits (CMASPREC); 0: not set
  int price_decimals = 0;
  int result_integers = 0;       // result digits (CMASRES); 0: not set
  int result_decimals = 2;
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

// The currency a mask or decimals function means: the code given, or (when it is blank) the
// company's when that is the euro; empty when there is none.
std::string MaskCurrency(const CompanySettings& company, std::string_view currency);

// CMASPREC: the price mask of a currency (see the rule above; a blank code is the company's
// currency when that is the euro).
std::string PriceMask(const CompanySettings& company, std::string_view currency = {});
// CMASRES: the result mask, with a blank zero when `blank_zero`.
std::string ResultMask(const CompanySettings& company, std::string_view currency = {}, bool blank_zero = false);

// PTS2EUROS: pesetas per euro (166.386, or the rate of "PTS" in the currency table) and the
// euro form of a pesetas picture (CMASEURO; empty for an empty picture).
struct PesetaPicture {
  double rate = kPesetasPerEuro;
  std::string mask;
};
PesetaPicture Pts2Euros(const CompanySettings& company, std::string_view picture);

// NMAYOR: the position (1, 2 or 3) of the largest absolute value; ties go to the earlier.
int nMayor(double a, double b, double c);

// NCHANGEDIVPTS: an amount of `currency` in the company's currency (`reverse`: the other
// way). `value` and `rate` override the table's when not 0.
double ChangeCurrency(const CompanySettings& company, double amount, std::string_view currency, double value = 0,
                      bool reverse = false, double rate = 0);

}  // namespace data
