#include "data/currency_functions.h"

#include "data/data_test_support.h"
#include "data/table_access.h"

namespace data {
namespace {

using testing::DataTest;
using xb::Value;

const std::vector<xb::rdd::dbf::FieldSpec> kDivisas = {
    {"CCODDIV", 'C', 3, 0},    {"NENTPREC", 'N', 2, 0},  {"NDECPREC", 'N', 1, 0}, {"NENTRES", 'N', 2, 0},
    {"NDECRES", 'N', 1, 0},    {"NVALEURO99", 'N', 16, 6}, {"NTASACONV", 'N', 16, 6}, {"LZONAEURO", 'L', 1, 0},
    {"NVALDIV", 'N', 16, 6}};

struct DivisaRecord {
  const char* code;
  int price_integers, price_decimals, result_integers, result_decimals;
  double euro_value, rate;
  bool euro_zone;
  double value;
};

// The company's currencies: the euro, the peseta and the mark (euro zone), the dollar.
const DivisaRecord kCurrencies[] = {
    {"EUR", 7, 2, 9, 2, 1, 1, true, 1},
    {"PTS", 9, 0, 10, 0, 0.006010, 166.386, true, 166.386},
    {"DEM", 6, 2, 8, 2, 0.511292, 1.95583, true, 0},
    {"USD", 5, 3, 6, 3, 0.92, 0, false, 150},
};

class CurrencyTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ResetCurrentCompany();
    const int count = static_cast<int>(std::size(kCurrencies));
    CreateTable("..\\DBF01\\Divisas.dbf", kDivisas, count, [](xb::rdd::WorkArea& a, int n) {
      const DivisaRecord& r = kCurrencies[n - 1];
      a.PutField(1, Value::String(r.code));
      a.PutField(2, Value::Integer(r.price_integers));
      a.PutField(3, Value::Integer(r.price_decimals));
      a.PutField(4, Value::Integer(r.result_integers));
      a.PutField(5, Value::Integer(r.result_decimals));
      a.PutField(6, Value::Double(r.euro_value, 6));
      a.PutField(7, Value::Double(r.rate, 6));
      a.PutField(8, Value::Logical(r.euro_zone));
      a.PutField(9, Value::Double(r.value, 6));
    });
    ASSERT_TRUE(lNetUse("..\\DBF01\\Divisas", {}));
    for (X("DBGOTOP()"); !X("EOF()").AsLogical(); X("DBSKIP()")) X("MASCARAS('Divisas')");
    X("DBCLOSEAREA()");
  }
  void TearDown() override {
    ResetCurrentCompany();
    DataTest::TearDown();
  }
  static std::string S(const std::string& text) { return std::string(X(text).AsString()); }
  static double N(const std::string& text) { return X(text).AsDouble(); }
};

TEST_F(CurrencyTest, CompanySettingsAnswerTheValueHeldBefore) {
  EXPECT_EQ(S("CCODDIVEMP('PTS')"), "EUR");
  EXPECT_EQ(S("CCODDIVEMP()"), "PTS");
  EXPECT_FALSE(X("LEMPEURO()").AsLogical());
  X("CCODDIVEMP('EUR')");
  EXPECT_TRUE(X("LEMPEURO()").AsLogical());
  for (const char* name : {"LIRPFAGR", "LGRAFCLI", "LDTOPP", "LDTOESP"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(X(std::string(name) + "(.T.)").AsLogical());
    EXPECT_TRUE(X(std::string(name) + "()").AsLogical());
    EXPECT_TRUE(X(std::string(name) + "(.F.)").AsLogical());
    EXPECT_FALSE(X(std::string(name) + "()").AsLogical());
  }
}

TEST_F(CurrencyTest, TheCurrencyTableFromDivisas) {
  EXPECT_EQ(X("LEN(ADIVISAS())").AsInt(), 4);
  EXPECT_EQ(S("ADIVISAS()[4]"), "USD");
  EXPECT_DOUBLE_EQ(N("AVALEUROS()[4]"), 0.92);
  EXPECT_DOUBLE_EQ(N("ATASACONV()[2]"), 166.386);
  EXPECT_TRUE(X("ALZONAEURO()[3]").AsLogical());
  EXPECT_FALSE(X("ALZONAEURO()[4]").AsLogical());
  EXPECT_DOUBLE_EQ(N("AVALDIV()[4]"), 150);
  // A currency met again is updated, not added.
  ASSERT_TRUE(lNetUse("..\\DBF01\\Divisas", {}));
  X("DBGOTO(4)");
  X("RLOCK(), FIELDPUT(6, 0.95), FIELDPUT(2, 8), DBUNLOCK()");
  X("MASCARAS()");
  EXPECT_EQ(X("LEN(ADIVISAS())").AsInt(), 4);
  EXPECT_DOUBLE_EQ(N("AVALEUROS()[4]"), 0.95);
  EXPECT_EQ(S("CMASPREC('USD')"), "@E 99,999,999.999");
}

TEST_F(CurrencyTest, PriceAndResultMasks) {
  struct Case {
    const char* company;  // company currency
    const char* call;
    const char* mask;
  };
  const Case cases[] = {
      // The company's currency when it is the euro, for no code or a blank one.
      {"EUR", "CMASPREC()", "@E 9,999,999.99"},
      {"EUR", "CMASPREC('   ')", "@E 9,999,999.99"},
      {"EUR", "CMASPREC('USD')", "@E 99,999.999"},
      {"EUR", "CMASPREC('XXX')", "@E 9,999,999,999.999999"},
      {"PTS", "CMASPREC()", "@E 9,999,999,999.999999"},  // no defaulting for another currency
      {"PTS", "CMASPREC('PTS')", "@E 999,999,999"},
      {"EUR", "CMASRES()", "@E 999,999,999.99"},
      {"EUR", "CMASRES(, , , .T.)", "@EZ 999,999,999.99"},
      {"EUR", "CMASRES('DEM')", "@E 99,999,999.99"},
      {"EUR", "CMASRES('XXX', , , .T.)", "@EZ 999,999,999,999.999"},
      {"PTS", "CMASRES()", "@E 999,999,999,999.999"},
      // Company digits out of range are ignored.
      {"EUR", "CMASPREC(, 2, 2)", "@E 9,999,999.99"},
      {"EUR", "CMASRES(, 4, 2)", "@E 999,999,999.99"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    CurrentCompany().currency = c.company;
    EXPECT_EQ(S(c.call), c.mask);
  }
  // Company digits in range decide whatever the currency.
  EXPECT_EQ(S("CMASPREC(, 8, 3)"), "@E 99,999,999.999");
  EXPECT_EQ(S("CMASPREC('USD')"), "@E 99,999,999.999");
  EXPECT_EQ(S("CMASRES('USD', 11, 0, .T.)"), "@EZ 99,999,999,999");
  EXPECT_EQ(S("CMASRES()"), "@E 99,999,999,999");
  EXPECT_EQ(X("NDECRES()").AsInt(), 2);  // the euro's, from the table
  EXPECT_EQ(X("NDECRES('USD')").AsInt(), 3);
  EXPECT_EQ(X("NDECRES('XXX')").AsInt(), 0);  // the company's, stored by CMASRES
}

TEST_F(CurrencyTest, PesetaPicturesAndTheirRate) {
  EXPECT_EQ(S("CMASEURO('@E 9,999.99')"), "@E 999,999");  // a euro company: to pesetas
  CurrentCompany().currency = "PTS";
  EXPECT_EQ(S("CMASEURO('@E 99,999,999')"), "@E 999,999.99");
  EXPECT_EQ(S("CMASEURO('@E 99,999,999', .F.)"), "@E 9,999,999,999");
  EXPECT_DOUBLE_EQ(N("PTS2EUROS('@E 99,999,999')[1]"), 166.386);
  EXPECT_EQ(S("PTS2EUROS('@E 99,999,999')[2]"), "@E 999,999.99");
  EXPECT_EQ(S("PTS2EUROS('')[2]"), "");
  EXPECT_DOUBLE_EQ(N("PTS2EUROS('')[1]"), 166.386);
  // The peseta's rate comes from the currency table when it is there.
  Currency pts = *CurrentCompany().Find("PTS");
  pts.rate = 166.4;
  CurrentCompany().AddCurrency(pts);
  EXPECT_DOUBLE_EQ(N("PTS2EUROS('999')[1]"), 166.4);
  ResetCurrentCompany();
  EXPECT_DOUBLE_EQ(N("PTS2EUROS('999')[1]"), 166.386);
}

TEST_F(CurrencyTest, Conversions) {
  struct Case {
    const char* company;
    const char* call;
    double result;
  };
  const Case cases[] = {
      {"EUR", "NCHANGEDIVPTS(12.345)", 12.345},  // the company's own currency, as it is
      {"EUR", "NCHANGEDIVPTS(12.345, 'EUR')", 12.345},
      {"EUR", "NCHANGEDIVPTS(10, 'XXX')", 0},
      {"EUR", "NCHANGEDIVPTS(1000, 'PTS', 0, .T.)", 6.010121},
      {"EUR", "NCHANGEDIVPTS(100, 'DEM', 0, .T.)", 51.129188},
      {"EUR", "NCHANGEDIVPTS(100, 'DEM')", 8507.18},
      {"EUR", "NCHANGEDIVPTS(10, 'USD', 0, .T.)", 9.2},
      {"EUR", "NCHANGEDIVPTS(10, 'USD', 0.5, .T.)", 5},
      {"PTS", "NCHANGEDIVPTS(100, 'DEM')", 51.13},
      {"PTS", "NCHANGEDIVPTS(100, 'DEM', 0, .T.)", 8507.18},
      {"PTS", "NCHANGEDIVPTS(100, 'DEM', 0, .F., 2)", 50},
      {"PTS", "NCHANGEDIVPTS(100, 'USD')", 92},
      {"PTS", "NCHANGEDIVPTS(100, 'USD', 0, .T.)", 15307.51},
      {"PTS", "NCHANGEDIVPTS(100, 'PTS')", 100},
      {"PTS", "NCHANGEDIVPTS(100, 'EUR')", 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.company) + " " + c.call);
    CurrentCompany().currency = c.company;
    EXPECT_NEAR(N(c.call), c.result, 1e-9);
  }
}

TEST_F(CurrencyTest, EuroRoundingCutsAfterTheThirdDecimal) {
  const std::pair<const char*, double> cases[] = {
      {"1.2349999", 1.23}, {"1.2351", 1.24}, {"2.0049", 2.00}, {"2.0051", 2.01},
      {"-2.0059", -2.01},  {"10.999", 11},   {"0", 0},         {"1234567.8915", 1234567.89},
  };
  for (const auto& [amount, rounded] : cases) {
    SCOPED_TRACE(amount);
    EXPECT_DOUBLE_EQ(N(std::string("NROUNDEURO(") + amount + ")"), rounded);
  }
}

TEST_F(CurrencyTest, DocumentCurrencyValue) {
  CreateTable("..\\DBF01\\FacCliT.dbf", {{"CCODDIV", 'C', 3, 0}, {"NVALEURO99", 'N', 16, 6}, {"NVALEURO", 'N', 16, 6},
                                         {"NVALDIV", 'N', 16, 6}},
              3, [](xb::rdd::WorkArea& a, int n) {
                a.PutField(1, Value::String(n == 1 ? "PTS" : n == 2 ? "USD" : "EUR"));
                a.PutField(2, Value::Double(0.9, 6));
                a.PutField(3, Value::Double(0.8, 6));
                a.PutField(4, Value::Double(150, 6));
              });
  CreateTable("..\\DBF01\\AlbCliT.dbf", {{"CCODDIV", 'C', 3, 0}, {"NVALEURO", 'N', 16, 6}}, 1,
              [](xb::rdd::WorkArea& a, int) {
                a.PutField(1, Value::String("USD"));
                a.PutField(2, Value::Double(0.8, 6));
              });
  ASSERT_TRUE(lNetUse("..\\DBF01\\FacCliT", {}));
  ASSERT_TRUE(lNetUse("..\\DBF01\\AlbCliT", {}));
  X("FACCLIT->(DBGOTO(1))");
  EXPECT_DOUBLE_EQ(N("NVALDIV('FacCliT')"), 1 / 166.386);
  X("FACCLIT->(DBGOTO(2))");
  EXPECT_DOUBLE_EQ(N("NVALDIV('FacCliT')"), 0.9);
  X("FACCLIT->(DBGOTO(3))");
  EXPECT_DOUBLE_EQ(N("NVALDIV('FacCliT')"), 1);
  EXPECT_DOUBLE_EQ(N("NVALDIV('AlbCliT')"), 0.8);  // without NVALEURO99
  CurrentCompany().currency = "PTS";
  EXPECT_DOUBLE_EQ(N("NVALDIV('FacCliT')"), 150);
}

TEST_F(CurrencyTest, LargestOfThree) {
  const std::pair<const char*, int> cases[] = {
      {"NMAYOR(1, -5, 3)", 2}, {"NMAYOR(2, 2, 1)", 1}, {"NMAYOR(0, 0, 0)", 1},
      {"NMAYOR(1, 2, -2)", 2}, {"NMAYOR(-1, 0, 7)", 3},
  };
  for (const auto& [call, position] : cases) EXPECT_EQ(X(call).AsInt(), position) << call;
}

TEST_F(CurrencyTest, VatSlotsKeepThreeRatesInOrder) {
  CreateTable("..\\DBF01\\TIva.dbf", {{"NPORCIVA", 'N', 5, 2}, {"NPORCREQ", 'N', 5, 2}}, 3,
              [](xb::rdd::WorkArea& a, int n) {
                const double rates[][2] = {{16, 4}, {7, 1}, {4, 0.5}};
                a.PutField(1, Value::Double(rates[n - 1][0], 2));
                a.PutField(2, Value::Double(rates[n - 1][1], 2));
              });
  ASSERT_TRUE(lNetUse("..\\DBF01\\TIva", {}));
  X("DBGOTO(2)");
  X("aIvas := {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}}");
  X("INIIVAS(aIvas)");
  EXPECT_TRUE(X("aIvas[1][1] == 0 .AND. aIvas[2][4] == 0 .AND. aIvas[3][3] == 0").AsLogical());
  X("DBSELECTAREA(30)");
  EXPECT_TRUE(X("ACTIVAS(16, 100, aIvas, 'TIva')").AsLogical());
  EXPECT_TRUE(X("ACTIVAS(7, 50, aIvas, 'TIva')").AsLogical());
  EXPECT_TRUE(X("ACTIVAS(16, 20, aIvas, 'TIva')").AsLogical());
  using Slot = std::vector<double>;
  auto slot = [&](int i) {
    const std::string at = "aIvas[" + std::to_string(i) + "]";
    return Slot{N(at + "[1]"), N(at + "[2]"), N(at + "[3]")};
  };
  EXPECT_EQ(slot(1), (Slot{7, 50, 1}));
  EXPECT_EQ(slot(2), (Slot{16, 120, 4}));
  EXPECT_EQ(slot(3), (Slot{0, 0, 0}));
  EXPECT_TRUE(X("ACTIVAS(4, 10, aIvas, 'TIva')").AsLogical());
  EXPECT_EQ(slot(1), (Slot{4, 10, 0.5}));
  EXPECT_EQ(slot(2), (Slot{7, 50, 1}));
  EXPECT_EQ(slot(3), (Slot{16, 120, 4}));
  EXPECT_FALSE(X("ACTIVAS(21, 5, aIvas, 'TIva')").AsLogical());
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_FALSE(X("ACTIVAS(21, 5, aIvas, 'TIva', .T.)").AsLogical());
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].kind, "stop");
  EXPECT_EQ(ui().messages[0].text, "No podemos utilizar más de tres tipos de I.V.A.\n\ren una misma factura");
  EXPECT_EQ(ui().messages[0].title, "Atención");
  // The VAT table is left where it was.
  EXPECT_EQ(X("TIVA->(RECNO())").AsInt(), 2);
}

}  // namespace
}  // namespace data
