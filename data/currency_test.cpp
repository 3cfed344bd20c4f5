#include "data/currency.h"

#include <gtest/gtest.h>

namespace data {
namespace {

CompanySettings EuroCompany() {
  CompanySettings c;
  c.result_decimals = 2;
  c.AddCurrency({"EUR", 3, 2, 1, 1, true, 1});
  c.AddCurrency({"PTS", 0, 0, 0.006010, 166.386, true, 0});
  c.AddCurrency({"USD", 3, 3, 0.92, 0, false, 0.92});
  return c;
}

TEST(Currency, RoundEuroCutsAfterTheThirdDecimal) {
  EXPECT_DOUBLE_EQ(RoundEuro(1.2349999), 1.23);   // 1.234 -> 1.23
  EXPECT_DOUBLE_EQ(RoundEuro(1.2351), 1.24);      // 1.235 -> 1.24
  EXPECT_DOUBLE_EQ(RoundEuro(-2.0059), -2.01);
  EXPECT_DOUBLE_EQ(RoundAmount(2.675, 2), 2.68);  // xBase rounding, not binary
}

TEST(Currency, DocumentValue) {
  const CompanySettings euro = EuroCompany();
  EXPECT_DOUBLE_EQ(DocumentValue(euro, {"EUR", {}, 7, 9}), 1);
  EXPECT_DOUBLE_EQ(DocumentValue(euro, {"PTS", {}, 7, 9}), 1 / 166.386);
  EXPECT_DOUBLE_EQ(DocumentValue(euro, {"USD", 0.9, 0.8, 9}), 0.9);  // NVALEURO99 when the table has it
  EXPECT_DOUBLE_EQ(DocumentValue(euro, {"USD", {}, 0.8, 9}), 0.8);
  CompanySettings pesetas = euro;
  pesetas.currency = "PTS";
  EXPECT_DOUBLE_EQ(DocumentValue(pesetas, {"USD", {}, 0.8, 150}), 150);
}

TEST(Currency, ResultDecimals) {
  CompanySettings euro = EuroCompany();
  euro.result_decimals = 4;
  EXPECT_EQ(ResultDecimals(euro), 2);          // the euro's, from the table
  EXPECT_EQ(ResultDecimals(euro, "   "), 2);
  EXPECT_EQ(ResultDecimals(euro, "USD"), 3);
  EXPECT_EQ(ResultDecimals(euro, "XXX"), 4);   // not in the table: the company's
  euro.currency = "PTS";
  EXPECT_EQ(ResultDecimals(euro), 4);
}

TEST(Currency, ChangeCurrency) {
  const CompanySettings euro = EuroCompany();
  EXPECT_DOUBLE_EQ(ChangeCurrency(euro, 12.345, "EUR"), 12.345);  // its own currency: as it is
  EXPECT_DOUBLE_EQ(ChangeCurrency(euro, 12.345, ""), 12.345);
  EXPECT_DOUBLE_EQ(ChangeCurrency(euro, 10, "XXX"), 0);           // unknown
  EXPECT_DOUBLE_EQ(ChangeCurrency(euro, 166.386, "PTS", 0, true), 1);
  EXPECT_DOUBLE_EQ(ChangeCurrency(euro, 10, "USD", 0, true), 9.2);
}

}  // namespace
}  // namespace data
