#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/lib/lib_test_support.h"
#include "runtime/string_compare.h"

namespace xb {
namespace {

using testing::Case;
using testing::Eval;
using testing::ExpectAll;

class CodePageFunctionsTest : public testing::RuntimeTest {};

TEST_F(CodePageFunctionsTest, SelectingTheCodePage) {
  const Case cases[] = {
      {"HB_SetCodePage()", "EN"},
      {"HB_SetCodePage('ESWIN')", "EN"},
      {"HB_SetCodePage('NOSUCH')", "ESWIN"},
      {"Set(114)", "ESWIN"},
      {"HB_SetCodePage('en')", "ESWIN"},
      {"Set(114)", "EN"},
  };
  ExpectAll(cases);
}

// ESWIN orders letters as AÁÀÄBCÇDEÉÈËFGHIÍÌÏJKLMNÑOÓÒÖPQRSTUÚÙÜVWXYZ, and the same list in
// lower case: `<`, `>` and ASORT all follow it.
TEST_F(CodePageFunctionsTest, SpanishCollation) {
  Eval("HB_SetCodePage('ESWIN')");
  const Case cases[] = {
      {"'N' < 'Ñ' .AND. 'Ñ' < 'O'", ".T."},
      {"'n' < 'ñ' .AND. 'ñ' < 'o'", ".T."},
      {"'A' < 'Á' .AND. 'Á' < 'À' .AND. 'À' < 'Ä' .AND. 'Ä' < 'B'", ".T."},
      {"'C' < 'Ç' .AND. 'Ç' < 'D'", ".T."},
      {"'U' < 'Ú' .AND. 'Ú' < 'Ù' .AND. 'Ù' < 'Ü' .AND. 'Ü' < 'V'", ".T."},
      {"'Z' < 'a'", ".T."},             // upper case before lower case, as the index keys
      {"'PEÑA' > 'PENA' .AND. 'PEÑA' < 'PEOA'", ".T."},
      {"'camión' > 'camion'", ".T."},
      {"'camión' > 'camiono' .AND. 'camión' < 'camip'", ".T."},
      {"'1' < 'A'", ".T."},
      {"'ñandú' >= 'ñandu'", ".T."},
      {"'Ñ' $ 'PEÑA'", ".T."},
  };
  ExpectAll(cases);
}

// `<` on strings and the index key order are one collation.
TEST_F(CodePageFunctionsTest, ComparisonAgreesWithIndexKeyOrder) {
  SetValue(SET_CODEPAGE, Value::String("ESWIN"));
  SetValue(SET_EXACT, Value::Logical(true));
  const std::vector<std::string> words = {"ABAD", "ÁBACO", "ÑAÑA", "NUÑEZ", "NÚÑEZ", "OCA", "ÓRGANO", "ZETA",
                                          "abad", "ábaco", "ñaña", "nuñez", "núñez", "oca", "órgano", "zeta"};
  for (const std::string& a : words) {
    for (const std::string& b : words) {
      int byKey = Collate(CodePageEsWin(), a, b);
      int byCompare = CompareStrings(a, b, true);
      EXPECT_EQ(byKey < 0, byCompare < 0) << a << " / " << b;
      EXPECT_EQ(byKey == 0, byCompare == 0) << a << " / " << b;
    }
  }
}

TEST_F(CodePageFunctionsTest, OemConversion) {
  const Case cases[] = {
      {"Asc(HB_AnsiToOem('ñ'))", "164"},
      {"Asc(HB_AnsiToOem('Ñ'))", "165"},
      {"Asc(HB_AnsiToOem('á'))", "160"},
      {"HB_OemToAnsi(HB_AnsiToOem('Año: ¿qué? ¡Sí! Ç ü')) == 'Año: ¿qué? ¡Sí! Ç ü'", ".T."},
      {"HB_AnsiToOem('abc')", "abc"},
      {"HB_AnsiToOem(5)", "5"},
  };
  ExpectAll(cases);
}

}  // namespace
}  // namespace xb
