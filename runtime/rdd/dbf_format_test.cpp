#include "runtime/rdd/dbf_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "runtime/rdd/test_support.h"

namespace xb::rdd::dbf {
namespace {

using testing::ReferenceFile;
using testing::FixtureStructure;
using testing::ReadWholeFile;

TEST(DbfFormat, DecodesTheReferenceHeader) {
  const std::string bytes = ReadWholeFile(ReferenceFile("cdx-1k/fixture.dbf"));
  Header h;
  ASSERT_TRUE(DecodeHeader(bytes, &h).ok());
  EXPECT_EQ(h.version, kVersionFpt);
  EXPECT_EQ(h.record_count, 1000u);
  EXPECT_EQ(h.header_length, 226);
  EXPECT_EQ(h.record_length, 82);
  EXPECT_TRUE(h.structural_index());
  EXPECT_EQ(h.code_page, 0);
  std::vector<Field> fields;
  ASSERT_TRUE(DecodeFields(bytes, h, &fields).ok());
  ASSERT_EQ(fields.size(), 6u);
  const struct {
    const char* name;
    char type;
    int length, decimals, offset;
  } expected[] = {{"CODIGO", 'C', 10, 0, 1}, {"NOMBRE", 'C', 40, 0, 11}, {"FECHA", 'D', 8, 0, 51},
                  {"IMPORTE", 'N', 12, 2, 59}, {"ACTIVO", 'L', 1, 0, 71}, {"NOTAS", 'M', 10, 0, 72}};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(fields[i].name, expected[i].name);
    EXPECT_EQ(fields[i].type, expected[i].type);
    EXPECT_EQ(fields[i].length, expected[i].length);
    EXPECT_EQ(fields[i].decimals, expected[i].decimals);
    EXPECT_EQ(fields[i].offset, expected[i].offset);
  }
}

// A structure laid out here gives the very header area the established runtime wrote;
// only the date, the record count and the index flag differ.
TEST(DbfFormat, LayoutMatchesTheReferenceHeaders) {
  const struct {
    const char* file;
    std::vector<FieldSpec> specs;
    MemoKind memo;
  } cases[] = {
      {"cdx-1k/fixture.dbf", FixtureStructure(), MemoKind::kFpt},
      {"ntx-1k/fixture.dbf", FixtureStructure(), MemoKind::kDbt},
      {"cdx2/fixture2.dbf",
       {{"nNumPed", 'N', 7, 0}, {"cSerie", 'C', 1, 0}, {"nImporte", 'N', 14, 4}, {"dFecha", 'D', 0, 0},
        {"lCerrada", 'L', 0, 0}, {"cRef", 'C', 18, 0}},
       MemoKind::kFpt},
  };
  for (const auto& c : cases) {
    std::string reference = ReadWholeFile(ReferenceFile(c.file));
    Header h;
    std::vector<Field> fields;
    ASSERT_TRUE(Layout(c.specs, c.memo, &h, &fields).ok()) << c.file;
    std::string ours = EncodeHeaderArea(h, fields);
    reference.resize(ours.size());
    for (std::size_t at : {1, 2, 3, 4, 5, 6, 7, 28}) reference[at] = ours[at] = 0;
    EXPECT_EQ(ours, reference) << c.file;
  }
}

TEST(DbfFormat, RejectsDamagedHeaders) {
  const std::string good = ReadWholeFile(ReferenceFile("cdx2/fixture2.dbf")).substr(0, 226);
  auto with = [&](std::size_t at, std::initializer_list<unsigned char> bytes) {
    std::string b = good;
    for (unsigned char c : bytes) b[at++] = static_cast<char>(c);
    return b;
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"shorter than a header", good.substr(0, 20)},
      {"unknown version", with(0, {0x42})},
      {"header length too small", with(8, {40, 0})},
      {"record length too small", with(10, {1, 0})},
      {"record length not the sum of the fields", with(10, {51, 0})},
      {"unknown field type", with(32 + 11, {'X'})},
      {"zero-length field", with(32 + 16, {0})},
      {"decimals not below the length", with(32 + 17, {7})},
      {"nameless field", with(32, {0})},
      {"header area cut short", good.substr(0, 100)},
  };
  for (const auto& c : cases) {
    Header h;
    std::vector<Field> fields;
    Status s = DecodeHeader(c.bytes, &h);
    if (s.ok()) s = DecodeFields(c.bytes, h, &fields);
    EXPECT_EQ(s.code(), StatusCode::kCorrupt) << c.what;
    EXPECT_FALSE(s.message().empty());
  }
}

TEST(DbfFormat, LayoutChecksTheStructure) {
  const struct {
    const char* what;
    std::vector<FieldSpec> specs;
    bool ok;
  } cases[] = {
      {"no fields", {}, false},
      {"blank name", {{"  ", 'C', 5, 0}}, false},
      {"name with a blank inside", {{"MI CAMPO", 'C', 5, 0}}, false},
      {"name starting with a digit", {{"1ABC", 'C', 5, 0}}, false},
      {"repeated after upper-casing", {{"Nombre", 'C', 5, 0}, {"NOMBRE", 'N', 5, 0}}, false},
      {"unknown type", {{"A", 'X', 5, 0}}, false},
      {"numeric too short for its decimals", {{"A", 'N', 3, 2}}, false},
      {"character of length 0", {{"A", 'C', 0, 0}}, false},
      {"long name is cut to ten letters", {{"ABCDEFGHIJKLMN", 'c', 5, 0}}, true},
      {"fixed lengths for D L M are forced", {{"D", 'D', 3, 1}, {"L", 'l', 9, 0}, {"M", 'M', 1, 0}}, true},
      {"long character field", {{"TEXTO", 'C', 1000, 0}}, true},
  };
  for (const auto& c : cases) {
    Header h;
    std::vector<Field> fields;
    Status s = Layout(c.specs, MemoKind::kFpt, &h, &fields);
    EXPECT_EQ(s.ok(), c.ok) << c.what << ": " << s.message();
  }
  Header h;
  std::vector<Field> fields;
  ASSERT_TRUE(Layout({{"ABCDEFGHIJKLMN", 'c', 5, 0}, {"D", 'D', 3, 1}, {"T", 'C', 1000, 0}}, MemoKind::kFpt, &h, &fields).ok());
  EXPECT_EQ(fields[0].name, "ABCDEFGHIJ");
  EXPECT_EQ(fields[0].type, 'C');
  EXPECT_EQ(fields[1].length, 8);
  EXPECT_EQ(fields[1].decimals, 0);
  // A long character field keeps its high length byte in the decimals place, and reads back.
  const std::string area = EncodeHeaderArea(h, fields);
  EXPECT_EQ(static_cast<unsigned char>(area[32 * 3 + 16]), 1000 % 256);
  EXPECT_EQ(static_cast<unsigned char>(area[32 * 3 + 17]), 1000 / 256);
  std::vector<Field> back;
  ASSERT_TRUE(DecodeFields(area, h, &back).ok());
  EXPECT_EQ(back[2].length, 1000);
  EXPECT_EQ(h.version, kVersionPlain);
  EXPECT_EQ(Layout({{"M", 'M', 10, 0}}, MemoKind::kNone, &h, &fields).code(), StatusCode::kInvalid);
}

TEST(DbfFormat, NumbersAreWrittenAsStrWritesThem) {
  const struct {
    double value;
    int length, decimals;
    const char* text;  // "" when it does not fit
  } cases[] = {
      {-103555.69, 12, 2, "  -103555.69"},
      {188816.53, 12, 2, "   188816.53"},
      {0.5, 12, 2, "        0.50"},
      {-0.5, 6, 2, " -0.50"},
      {-0.001, 6, 2, "  0.00"},  // no negative zero
      {2.675, 6, 2, "  2.68"},   // halves round away from zero as the user reads them
      {-2.675, 6, 2, " -2.68"},
      {1.005, 6, 2, "  1.01"},
      {6567, 7, 0, "   6567"},
      {-3.6727, 14, 4, "       -3.6727"},
      {1234567, 7, 0, "1234567"},
      {12345678, 7, 0, ""},
      {123.45, 5, 2, ""},
      {-99.99, 6, 2, "-99.99"},
      {-999.99, 6, 2, ""},
      {1e300, 20, 0, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatNumber(c.value, c.length, c.decimals), c.text) << c.value;

  Field f{"N", 'N', 5, 2, 1};
  std::string record(6, ' ');
  EXPECT_EQ(EncodeNumber(record.data(), f, 123.45).code(), StatusCode::kDataWidth);
  EXPECT_EQ(record.substr(1), "*****");
  EXPECT_EQ(DecodeNumber(record, f), 0.0);
}

// Numbers read back as the C library reads the same text, for every width and decimals.
TEST(DbfFormat, NumbersReadBackExactly) {
  std::uint64_t seed = 12345;
  auto next = [&seed]() { return seed = seed * 6364136223846793005ULL + 1442695040888963407ULL; };
  for (int i = 0; i < 20000; ++i) {
    const int length = 1 + static_cast<int>(next() % 20);
    const int decimals = length < 3 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(length - 1));
    const double value = (static_cast<double>(next() % 2000000000000ULL) - 1e12) / std::pow(10.0, next() % 9);
    const std::string text = FormatNumber(value, length, decimals);
    if (text.empty()) continue;
    const Field f{"N", 'N', static_cast<std::uint16_t>(length), static_cast<std::uint8_t>(decimals), 0};
    EXPECT_EQ(DecodeNumber(text, f), std::strtod(text.c_str(), nullptr)) << text;
  }
}

TEST(DbfFormat, FieldValuesRoundTrip) {
  Header h;
  std::vector<Field> fields;
  ASSERT_TRUE(Layout(FixtureStructure(), MemoKind::kFpt, &h, &fields).ok());
  std::string record(h.record_length, ' ');
  EncodeCharacter(record.data(), fields[0], "Ñandú con un texto más largo");
  EncodeDate(record.data(), fields[2], DayNumber(2016, 11, 17));
  ASSERT_TRUE(EncodeNumber(record.data(), fields[3], -103555.69).ok());
  EncodeLogical(record.data(), fields[4], true);
  EncodeMemoBlock(record.data(), fields[5], 2856);
  EXPECT_EQ(DecodeCharacter(record, fields[0]), "Ñandú con ");
  EXPECT_EQ(FieldBytes(record, fields[2]), "20161117");
  EXPECT_EQ(DecodeDate(record, fields[2]), DayNumber(2016, 11, 17));
  EXPECT_DOUBLE_EQ(DecodeNumber(record, fields[3]), -103555.69);
  EXPECT_TRUE(DecodeLogical(record, fields[4]));
  EXPECT_EQ(FieldBytes(record, fields[5]), "      2856");
  EXPECT_EQ(DecodeMemoBlock(record, fields[5]), 2856u);

  EncodeDate(record.data(), fields[2], 0);
  EncodeMemoBlock(record.data(), fields[5], 0);
  EXPECT_EQ(FieldBytes(record, fields[2]), "        ");
  EXPECT_EQ(DecodeDate(record, fields[2]), 0);
  EXPECT_EQ(DecodeMemoBlock(record, fields[5]), 0u);
}

TEST(DbfFormat, DamagedFieldBytesReadAsEmptyValues) {
  Field d{"D", 'D', 8, 0, 1}, n{"N", 'N', 8, 2, 1}, l{"L", 'L', 1, 0, 1}, m{"M", 'M', 10, 0, 1};
  const struct {
    const Field* field;
    const char* bytes;
    double number;
    std::int32_t date;
    bool logical;
    std::uint32_t block;
  } cases[] = {
      {&d, " 20161131", 0, 0, false, 0},   // no 31st of November
      {&d, " 2016-1-1", 0, 0, false, 0},
      {&n, " ********", 0, 0, false, 0},
      {&n, "    -1.5x", -1.5, 0, false, 0},
      {&n, "  - 12.50", -12.5, 0, false, 0},
      {&l, " y", 0, 0, true, 0},
      {&l, " ?", 0, 0, false, 0},
      {&m, " 12ab      ", 0, 0, false, 0},
      {&m, " 99999999999", 0, 0, false, 0},  // past 32 bits
  };
  for (const auto& c : cases) {
    const std::string record = c.bytes;
    switch (c.field->type) {
      case 'N': EXPECT_DOUBLE_EQ(DecodeNumber(record, *c.field), c.number) << c.bytes; break;
      case 'D': EXPECT_EQ(DecodeDate(record, *c.field), c.date) << c.bytes; break;
      case 'L': EXPECT_EQ(DecodeLogical(record, *c.field), c.logical) << c.bytes; break;
      default: EXPECT_EQ(DecodeMemoBlock(record, *c.field), c.block) << c.bytes; break;
    }
  }
}

TEST(DbfFormat, DayNumbers) {
  EXPECT_EQ(DayNumber(2000, 1, 1), 2451545);
  EXPECT_EQ(DayNumber(1900, 2, 29), 0);
  EXPECT_NE(DayNumber(2000, 2, 29), 0);
  EXPECT_EQ(DayNumber(2023, 13, 1), 0);
  for (std::int32_t jd : {1721426, 2415021, 2451545, 2460000, 5373484}) {
    int y, m, d;
    CivilDate(jd, &y, &m, &d);
    EXPECT_EQ(DayNumber(y, m, d), jd);
  }
}

}  // namespace
}  // namespace xb::rdd::dbf
