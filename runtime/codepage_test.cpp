#include "runtime/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

namespace xb {
namespace {

const CodePage& Es() { return CodePageEsWin(); }

TEST(CodePage, EsWinCaseOfSpanishLetters) {
  struct Case { const char* lower; const char* upper; };
  const Case cases[] = {
      {"ñandú", "ÑANDÚ"}, {"camión", "CAMIÓN"}, {"pingüino", "PINGÜINO"},
      {"àèìòù äëïöü ç", "ÀÈÌÒÙ ÄËÏÖÜ Ç"}, {"abc xyz 123 -.", "ABC XYZ 123 -."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Upper(Es(), c.lower), c.upper) << c.lower;
    EXPECT_EQ(Lower(Es(), c.upper), c.lower) << c.upper;
  }
  // Letters outside the Spanish lists keep their case, as in the established runtime.
  EXPECT_EQ(Upper(Es(), "âãåæø"), "âãåæø");
  // The plain code page only knows ASCII letters.
  EXPECT_EQ(Upper(CodePageEn(), "ñandú"), "ñANDú");
}

TEST(CodePage, EsWinClassifiesLetters) {
  for (unsigned char c : std::string("aZñÑáÁüÜçÇ")) EXPECT_TRUE(IsAlphaChar(Es(), c)) << int(c);
  for (unsigned char c : std::string("09 -.ªº×÷")) EXPECT_FALSE(IsAlphaChar(Es(), c)) << int(c);
  EXPECT_TRUE(IsUpperChar(Es(), static_cast<unsigned char>('\xD1')));   // Ñ
  EXPECT_TRUE(IsLowerChar(Es(), static_cast<unsigned char>('\xF1')));   // ñ
  EXPECT_FALSE(IsLowerChar(Es(), static_cast<unsigned char>('\xD1')));
  EXPECT_FALSE(IsAlphaChar(CodePageEn(), static_cast<unsigned char>('\xF1')));
}

TEST(CodePage, EsWinCollationOrdersAccentsAfterTheirLetter) {
  const std::string upper = "AÁÀÄBCÇDEÉÈËFGHIÍÌÏJKLMNÑOÓÒÖPQRSTUÚÙÜVWXYZ";
  const std::string lower = "aáàäbcçdeéèëfghiíìïjklmnñoóòöpqrstuúùüvwxyz";
  for (const std::string* list : {&upper, &lower}) {
    for (std::size_t i = 1; i < list->size(); ++i) {
      EXPECT_LT(Collate(Es(), list->substr(i - 1, 1), list->substr(i, 1)), 0) << i;
    }
  }
  // Every upper-case letter before every lower-case one; digits and blanks before letters.
  EXPECT_LT(Collate(Es(), "Ü", "a"), 0);
  EXPECT_LT(Collate(Es(), "Z", "["), 0);
  EXPECT_LT(Collate(Es(), " ", "0"), 0);
  EXPECT_LT(Collate(Es(), "9", "A"), 0);
  // Words as a Spanish reader expects them.
  std::vector<std::string> words = {"OSO", "ÑU", "NUBE", "ÁRBOL", "AZUL", "BAÑO", "BANCO"};
  std::sort(words.begin(), words.end(),
            [](const std::string& a, const std::string& b) { return Collate(Es(), a, b) < 0; });
  EXPECT_EQ(words, (std::vector<std::string>{"AZUL", "ÁRBOL", "BANCO", "BAÑO", "NUBE", "ÑU", "OSO"}));
  EXPECT_LT(Collate(Es(), "AB", "ABC"), 0);
  EXPECT_EQ(Collate(Es(), "ABC", "ABC"), 0);
}

TEST(CodePage, WeightsArePermutationsKeepingOtherBytesInByteOrder) {
  for (const CodePage* cp : {&CodePageEn(), &CodePageEsWin()}) {
    std::vector<int> w(cp->weight, cp->weight + 256);
    std::sort(w.begin(), w.end());
    std::vector<int> all(256);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(w, all) << cp->id;
  }
  for (int c = 0; c < 256; ++c) EXPECT_EQ(CodePageEn().weight[c], c);
  // Bytes that are not Spanish letters keep their relative order.
  int last = -1;
  for (int c = 0; c < 256; ++c) {
    if (IsAlphaChar(Es(), static_cast<unsigned char>(c))) continue;
    EXPECT_GT(Es().weight[c], last) << c;
    last = Es().weight[c];
  }
}

TEST(CodePage, SelectingByIdReturnsThePreviousOne) {
  EXPECT_EQ(FindCodePage("eswin"), &CodePageEsWin());
  EXPECT_EQ(FindCodePage("XX"), nullptr);
  const std::string before = CurrentCodePage().id;
  EXPECT_EQ(SetCodePage("ESWIN"), before);
  EXPECT_STREQ(CurrentCodePage().id, "ESWIN");
  EXPECT_EQ(SetCodePage("NOPE"), "");
  EXPECT_STREQ(CurrentCodePage().id, "ESWIN");
  SetCodePage(before);
}

TEST(CodePage, OemConversionsOfSpanishText) {
  // ñ Ñ á é í ó ú ü in code page 850.
  EXPECT_EQ(AnsiToOem("ñÑáéíóúü"), "\xA4\xA5\xA0\x82\xA1\xA2\xA3\x81");
  EXPECT_EQ(OemToAnsi("\xA4\xA5\xA0\x82\xA1\xA2\xA3\x81"), "ñÑáéíóúü");
  EXPECT_EQ(AnsiToOem("Año 2003: 10€"), "A\xA4o 2003: 10E");
  EXPECT_EQ(OemToAnsi("\xC4\xB3\xC5"), "-\xA6+");   // box lines
  // Every character both pages share survives a round trip.
  for (int c = 0; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    const std::string oem = AnsiToOem(one);
    if (oem != "?" || c == '?') {
      const std::string back = OemToAnsi(oem);
      if (back == one) continue;
      // Only best-fit characters (accent dropped) may come back different.
      EXPECT_LT(static_cast<unsigned char>(back[0]), 128) << c;
    }
  }
}

}  // namespace
}  // namespace xb
