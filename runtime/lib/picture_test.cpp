#include <gtest/gtest.h>

#include "runtime/codepage.h"
#include "runtime/lib/lib_test_support.h"
#include "runtime/lib/picture.h"

namespace xb {
namespace {

using testing::Case;
using testing::Eval;
using testing::ExpectAll;

class PictureTest : public testing::RuntimeTest {};

TEST_F(PictureTest, NumbersWithTemplates) {
  const Case cases[] = {
      {"Transform(1234.5, '9999.99')", "1234.50"},
      {"Transform(1234.5, '999.99')", "***.**"},
      {"Transform(-1234.5, '9999.99')", "****.**"},   // no room for the sign
      {"Transform(-123.45, '999,999.99')", "   -123.45"},
      {"Transform(1234567, '9,999,999')", "1,234,567"},
      {"Transform(123, '9,999,999')", "      123"},
      {"Transform(1234.5, '9,999')", "1,235"},        // rounded to the template's decimals
      {"Transform(2.675, '9.99')", "2.68"},
      {"Transform(0.5, '.99')", ".50"},
      {"Transform(1.5, '.99')", ".**"},
      {"Transform(-0.5, '9.99')", "-.50"},
      {"Transform(-0.001, '9.99')", "0.00"},          // no "-0.00"
      {"Transform(1234, '99-99')", "12-34"},          // literals are inserted into numbers
      {"Transform(5, '$999')", "$  5"},
      {"Transform(5, '***9')", "***5"},
      {"Transform(1234.5, '$$$,$$9.99')", "$$1,234.50"},
      {"Transform(12, '$$$,$$9.99')", "$$$$$12.00"},
      {"Transform(5, '99999999999999999999')", "                   5"},
      {"Transform(10 ^ 20, '999')", "***"},
      {"Transform(12345678901234567, '99999999999999999')", "12345678901234567"},
  };
  ExpectAll(cases);
}

TEST_F(PictureTest, NumberFunctions) {
  const Case cases[] = {
      {"Transform(1234.5, '@E 999,999.99')", "  1.234,50"},
      {"Transform(1234.5, '@E')", "      1234,5"},
      {"Transform(1234.5, '')", "      1234.5"},
      {"Transform(-7, '')", "        -7"},
      {"Transform(5)", "         5"},
      {"Transform(-5, '@( 999')", "( 5)"},
      {"Transform(-5, '@) 999')", " (5)"},
      {"Transform(5, '@( 999')", "  5"},
      {"Transform(-123, '@( 999')", "(**)"},
      {"Transform(0, '@( 9.99')", "0.00"},
      {"Transform(5, '@C 999')", "  5 CR"},
      {"Transform(-5, '@C 999')", " -5"},
      {"Transform(-5, '@X 999')", "  5 DB"},
      {"Transform(5, '@X 999')", "  5"},
      {"Transform(-0.001, '@XC 9.99')", "0.00"},
      {"Transform(5, '@B 999') + '|'", "5  |"},
      {"Transform(-5, '@B 999') + '|'", "-5 |"},
      {"Transform(0, '@Z 9,999') + '|'", "     |"},
      {"Transform(0, '@Z') + '|'", "          |"},
      {"Transform(0.001, '@Z 9.99')", "0.00"},
      {"Transform(-1234.5, '@EZ 999,999.99')", " -1.234,50"},
      {"Transform(1234.5, '@e 999,999.99')", "  1.234,50"},   // function letters in any case
  };
  ExpectAll(cases);
}

TEST_F(PictureTest, StringsDatesAndLogicals) {
  const Case cases[] = {
      {"Transform('abc', '@!')", "ABC"},
      {"Transform('abcdef', 'XX-XX')", "ab-de"},      // a literal stands in place of a character
      {"Transform('abcdef', '@R XX-XX')", "ab-cd"},   // @R inserts it
      {"Transform('ab', '@R XX-XX') + '|'", "ab-  |"},  // the whole template
      {"Transform('peña', '!XXX')", "Peña"},
      {"Transform('abcdef', 'XX')", "ab"},
      {"Transform('A1', 'AA')", "A1"},                // no checking when formatting
      {"Transform('abc', '')", "abc"},
      {"Transform('abc', '@Z')", "abc"},
      {"Transform(SToD('20240315'), '')", "03/15/24"},
      {"Transform(SToD('20240315'), '@D')", "03/15/24"},
      {"Transform(SToD('20240315'), '@E')", "15/03/24"},
      {"Transform(SToD('20240315'), '@R 99.99.99')", "03.15.24"},
      {"Transform(SToD(''), '') + '|'", "  /  /  |"},
      {"Transform(SToD(''), '@Z') + '|'", "        |"},
      {"Transform(.T., '')", "T"},
      {"Transform(.F., 'Y')", "N"},
      {"Transform(.T., 'L')", "T"},
      {"Transform(.T., '[Y]')", "["},                 // without @R only the first character counts
      {"Transform(.T., '@R [Y]')", "[Y]"},
      {"Transform(.F., '@R LL') + '|'", "F |"},
      {"Transform({}, '')", "ERR BASE/1122"},
      {"Transform(NIL, '')", "ERR BASE/1122"},
      {"Transform(1, 2)", "ERR BASE/1122"},
  };
  ExpectAll(cases);
  EXPECT_EQ(Eval("__SetCentury(.T.)"), ".F.");
  EXPECT_EQ(Eval("Transform(SToD('20240315'), '@E')"), "15/03/2024");
  EXPECT_EQ(Eval("HB_SetCodePage('ESWIN')"), "EN");
  EXPECT_EQ(Eval("Transform('peña', '@! XXXX')"), "PEÑA");
}

// What TRANSFORM gives where an edit buffer differs: @S cuts, a short string stays short
// (with @R it fills the template), @B moves a text's leading blanks to its end, an
// overflowing negative number keeps its parentheses one position wider than the template,
// @E dates follow SET DATEFORMAT.
TEST_F(PictureTest, TransformCutsAndKeepsTheValuesLength) {
  const Case cases[] = {
      {"Transform('abcdef', '@S3')", "abc"},
      {"Transform('abcdef', '@S3!')", "ABC"},
      {"Transform('abcdef', '@S10')", "abcdef"},
      {"Transform('abcdef', '@RS4 XX-XX')", "ab-c"},
      {"Transform(12345, '@S3 99999')", "123"},
      {"Transform(-5, '@S2 999')", " -"},
      {"Transform(5, '@S2')", "  "},
      {"Transform('ab', 'XXXX')", "ab"},
      {"Transform('ab', '!!!!')", "AB"},
      {"Transform('', 'XXXX')", ""},
      {"Transform('123', '999-999')", "123"},
      {"Transform('', '@R 99.999')", "  .   "},
      {"Transform('12', '@R 99.999.999')", "12.   .   "},
      {"Transform('12345', '@R 99.999.999')", "12.345.   "},
      {"Transform('12', '@R 99-99-99')", "12-  -  "},
      {"Transform('', '@R 99-99')", "  -  "},
      {"Transform('abc', '@R !!-!!')", "AB-C "},
      {"Transform('12345678901', '@R 99.999')", "12.345"},
      {"Transform('12345678901', '99.999')", "12.456"},
      {"Transform('  abc  ', '@B')", "abc    "},
      {"Transform('  abc', '@B!')", "ABC  "},
      {"Transform(' abc', '@B XXXXXX')", "abc "},
      {"Transform('  abcd', '@BS3')", "abc"},
      {"Transform('   ', '@B')", "   "},
      {"Transform(12, '@B 9999')", "12  "},
      {"Transform(5, '@B 999') + '|'", "5  |"},
      {"Transform(-5.5, '@B 999.99') + '|'", "-5.50 |"},
      {"Transform(12, '@B') + '|'", "12        |"},
      {"Transform(5, '@BC 999') + '|'", "5 CR  |"},
      {"Transform(-1234, '@( 999')", "(**)"},
      {"Transform(-123, '@( 999')", "(**)"},   // no room for the parenthesis
      {"Transform(-1234.5, '@( 999.99')", "(**.**)"},
      {"Transform(-1234.5, '@(E 999.99')", "(**,**)"},
      {"Transform(-1234, '@) 999')", "(**)"},
      {"Transform(-123456, '@( 999,999')", "(**,***)"},
      {"Transform(-123456, '@(E 999,999')", "(**.***)"},
      {"Transform(-1234, '@( 99.9')", "(*.*)"},
      {"Transform(-12345, '@( $999')", "(***)"},
      {"Transform(1234, '@( 999')", "***"},
      {"Transform(-1234, '999')", "***"},
  };
  ExpectAll(cases);
  const Case dates[] = {
      {"Set(4, 'dd-mm-yyyy'), Transform(SToD('19990815'), '@E')", "15-08-1999"},
      {"Set(4, 'mm/dd/yyyy'), Transform(SToD('19990815'), '@E')", "15/08/1999"},
      {"Set(4, 'mm-dd-yy'), Transform(SToD('19990815'), '@E')", "15-08-99"},
      {"Set(4, 'yyyy.mm.dd'), Transform(SToD('19990815'), '@E')", "1999.08.15"},
      {"Set(4, 'mm/dd/yyyy'), Transform(SToD(''), '@E') + '|'", "  /  /    |"},
  };
  ExpectAll(dates);
}

TEST(PictureParseTest, FunctionsAndTemplate) {
  Picture p("@E 999,999.99");
  EXPECT_TRUE(p.functions().european);
  EXPECT_FALSE(p.functions().insertLiterals);
  EXPECT_EQ(p.templ(), "999,999.99");
  Picture s("@S10!K");
  EXPECT_EQ(s.functions().scrollWidth, 10);
  EXPECT_TRUE(s.functions().upper);
  EXPECT_TRUE(s.functions().clearOnKey);
  EXPECT_EQ(s.templ(), "");
  EXPECT_TRUE(Picture("@r").functions().insertLiterals);
  EXPECT_EQ(Picture("@Z  99").templ(), " 99");  // one blank ends the functions
  EXPECT_EQ(Picture("999").templ(), "999");
  EXPECT_EQ(Picture("@").templ(), "");
  PictureFunctions all = Picture("@BCDEKRXZ()!AS3").functions();
  EXPECT_TRUE(all.leftAlign && all.credit && all.dateFormat && all.european && all.clearOnKey &&
              all.insertLiterals && all.debit && all.blankZero && all.parens && all.parensTight && all.upper &&
              all.alphaOnly);
  EXPECT_EQ(all.scrollWidth, 3);
}

class EditMaskTest : public testing::RuntimeTest {};

TEST_F(EditMaskTest, StringPositions) {
  SetCodePage("ESWIN");
  EditMask m(Value::String("12ab"), Picture("@R 99-AA"));
  EXPECT_EQ(m.type(), 'C');
  EXPECT_EQ(m.templ(), "99-AA");
  EXPECT_FALSE(m.IsEditable(2));
  EXPECT_FALSE(m.IsEditable(5));
  EXPECT_EQ(m.Accept(0, 'a'), std::nullopt);
  EXPECT_EQ(m.Accept(0, '5'), '5');
  EXPECT_EQ(m.Accept(2, '5'), std::nullopt);
  EXPECT_EQ(m.Accept(3, '5'), std::nullopt);
  EXPECT_EQ(m.Accept(3, '\xF1'), '\xF1');  // ñ is a letter in ESWIN
  EXPECT_EQ(m.FirstEditable(), 0u);
  EXPECT_EQ(m.NextEditable(1), 3u);
  EXPECT_EQ(m.PreviousEditable(3), 1u);
  EXPECT_EQ(m.LastEditable(), 4u);
  EXPECT_EQ(m.NextEditable(4), std::string::npos);
  EXPECT_EQ(m.Format(Value::String("12ab")), "12-ab");
  EXPECT_EQ(m.Parse("34-cd").AsString(), "34cd");

  EditMask plain(Value::String("abc"), Picture("@!"));
  EXPECT_EQ(plain.templ(), "!!!");
  EXPECT_EQ(plain.Accept(1, '\xF1'), '\xD1');  // ñ -> Ñ
  EXPECT_EQ(plain.Parse("AB").AsString(), "AB ");  // padded to the value's length

  EditMask kinds(Value::String("xxxxxx"), Picture("ANX#L!"));
  EXPECT_EQ(kinds.Accept(0, '1'), std::nullopt);
  EXPECT_EQ(kinds.Accept(1, '1'), '1');
  EXPECT_EQ(kinds.Accept(1, '-'), std::nullopt);
  EXPECT_EQ(kinds.Accept(2, '-'), '-');
  EXPECT_EQ(kinds.Accept(3, ' '), ' ');
  EXPECT_EQ(kinds.Accept(3, 'a'), std::nullopt);
  EXPECT_EQ(kinds.Accept(4, 'y'), 'Y');
  EXPECT_EQ(kinds.Accept(4, 'q'), std::nullopt);
  EXPECT_EQ(kinds.Accept(5, 'q'), 'Q');
  EditMask letters(Value::String("ab"), Picture("@A"));
  EXPECT_EQ(letters.Accept(0, '1'), std::nullopt);
  EXPECT_EQ(letters.Accept(0, 'b'), 'b');
}

TEST_F(EditMaskTest, NumberPositions) {
  EditMask m(Value::Double(1234.5, 2), Picture("@E 999,999.99"));
  EXPECT_EQ(m.type(), 'N');
  EXPECT_EQ(m.DecimalPos(), 7u);
  EXPECT_FALSE(m.IsEditable(3));
  EXPECT_FALSE(m.IsEditable(7));
  EXPECT_TRUE(m.IsEditable(8));
  EXPECT_EQ(m.Accept(0, 'a'), std::nullopt);
  EXPECT_EQ(m.Accept(0, '-'), '-');
  EXPECT_EQ(m.Format(Value::Double(1234.5, 2)), "  1.234,50");
  Value back = m.Parse("  1.234,50");
  EXPECT_DOUBLE_EQ(back.AsDouble(), 1234.5);
  EXPECT_EQ(back.Decimals(), 2);
  EXPECT_DOUBLE_EQ(m.Parse(" -1.234,50").AsDouble(), -1234.5);
  EXPECT_DOUBLE_EQ(m.Parse("  9.876,5 ").AsDouble(), 9876.5);

  EditMask whole(Value::Integer(12), Picture());
  EXPECT_EQ(whole.templ(), "9999999999");
  EXPECT_EQ(whole.DecimalPos(), std::string::npos);
  EXPECT_TRUE(whole.Parse("       345").IsInteger());
  EXPECT_EQ(whole.Parse("       345").AsInt(), 345);

  EXPECT_EQ(EditMask(Value::Integer(1), Picture("@( 999")).Parse("( 5)").AsInt(), -5);
  EXPECT_EQ(EditMask(Value::Integer(1), Picture("@X 999")).Parse("  5 DB").AsInt(), -5);
  EXPECT_EQ(EditMask(Value::Double(1, 2), Picture("9.99")).templ(), "9.99");
}

TEST_F(EditMaskTest, DateAndLogicalPositions) {
  SetValue(SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  SetValue(SET_EPOCH, Value::Integer(1920));
  EditMask d(Value::FromDate(Date::FromYmd(2024, 3, 15)), Picture());
  EXPECT_EQ(d.type(), 'D');
  EXPECT_EQ(d.templ(), "99-99-9999");
  EXPECT_FALSE(d.IsEditable(2));
  EXPECT_EQ(d.Accept(0, 'x'), std::nullopt);
  EXPECT_EQ(d.Format(Value::FromDate(Date::FromYmd(2024, 3, 15))), "15-03-2024");
  EXPECT_EQ(d.Parse("31-12-23").AsDate().Dtos(), "19231231");  // SET EPOCH 1920
  EXPECT_EQ(d.Parse("31-12-19").AsDate().Dtos(), "20191231");
  EXPECT_TRUE(d.Parse("  -  -    ").AsDate().IsEmpty());
  EditMask e(Value::FromDate(Date{}), Picture("@E"));
  EXPECT_EQ(e.templ(), "99-99-9999");  // @E: the format, already day first
  EXPECT_EQ(e.Format(Value::FromDate(Date::FromYmd(2024, 3, 15))), "15-03-2024");

  EditMask l(Value::Logical(true), Picture());
  EXPECT_EQ(l.templ(), "L");
  EXPECT_EQ(l.Accept(0, 'y'), 'Y');
  EXPECT_EQ(l.Accept(0, 'x'), std::nullopt);
  EXPECT_TRUE(l.Parse("Y").AsLogical());
  EXPECT_FALSE(l.Parse("F").AsLogical());
  EXPECT_EQ(EditMask(Value::Logical(true), Picture("Y")).Accept(0, 't'), std::nullopt);
}

}  // namespace
}  // namespace xb
