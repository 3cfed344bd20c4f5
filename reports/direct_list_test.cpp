#include "reports/direct_list.h"

#include <filesystem>
#include <fstream>

#include "data/data_test_support.h"
#include "reports/dictionary_tables.h"
#include "reports/report_test_support.h"
#include "reports/report_device.h"
#include "reports/report_text_device.h"

namespace reports {
namespace {

using testing::ReadFile;
using xb::Value;

const unsigned char kDirect[] = {
#include "direct_list.inc"
};

struct Text {
  std::string texto;
  int fila = 1;
  int columna = 0;
  std::string alineacion = "I";
  bool startgrp = false;
  int grupo = 0;
};

class DirectListTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    path_ = (std::filesystem::temp_directory_path() / "vdr_direct_list.txt").string();
  }
  void TearDown() override {
    std::filesystem::remove(path_);
    DataTest::TearDown();
  }
  void Work(const std::vector<Text>& rows, const std::vector<int>& fonts = {}) {
    CreateTable("TMP\\Directo.dbf", FindDictTable("MtrDirec")->fields, static_cast<int>(rows.size()),
                [&](xb::rdd::WorkArea& a, int n) {
                  const Text& t = rows[static_cast<std::size_t>(n - 1)];
                  a.PutField(a.FieldPos("TEXTO"), Value::String(t.texto));
                  a.PutField(a.FieldPos("FILA"), Value::Integer(t.fila));
                  a.PutField(a.FieldPos("COLUMNA"), Value::Integer(t.columna));
                  const std::size_t at = static_cast<std::size_t>(n - 1);
                  a.PutField(a.FieldPos("TFUENTE"), Value::Integer(at < fonts.size() ? fonts[at] : 2));
                  a.PutField(a.FieldPos("ALINEACION"), Value::String(t.alineacion));
                  a.PutField(a.FieldPos("STARTGRP"), Value::Logical(t.startgrp));
                  a.PutField(a.FieldPos("GRUPO"), Value::Integer(t.grupo));
                });
    ASSERT_GT(Use("TMP\\Directo.dbf", "DIRECTO", false), 0);
  }
  std::string Read() const { return ReadFile(path_); }
  std::string path_;
};

TEST_F(DirectListTest, EjectEndsThePageAndGroupHeadingsRepeat) {
  std::vector<Text> rows;
  rows.push_back({"Grupo: Norte", 1, 0, "I", true, 1});
  rows.push_back({"Código    Importe", 1, 2, "I", true, 1});
  for (int i = 1; i <= 66; ++i) rows.push_back({"N" + std::to_string(i), 1, 2});
  rows.push_back({std::to_string(66 * 10) + ",00", 0, 20, "D"});  // same row, right-aligned at 20
  rows.push_back({"eject ", 1});
  rows.push_back({"Grupo: Sur", 1, 0, "I", true, 2});
  rows.push_back({"S1", 2, 2});
  Work(rows);
  TQZRFile file(path_);
  TDirectList list(&file);
  int headers = 0;
  list.bStartPage = [&headers](TDirectList& l) {
    l.Device()->Say(0, 1, "Cabecera", 1, 0, 1);
    l.nPxStartRow = 2;
    ++headers;
  };
  ASSERT_TRUE(list.Execute("DIRECTO"));
  EXPECT_EQ(list.nPage, 3);
  EXPECT_EQ(headers, 3);
  const std::string got = Read();
  const std::string golden(reinterpret_cast<const char*>(kDirect), sizeof kDirect);
  if (got != golden) {
    std::ofstream(std::filesystem::temp_directory_path() / "direct_list.golden", std::ios::binary) << got;
    ADD_FAILURE() << "differs; written to direct_list.golden in the temporary folder";
  }
}

// A page device that records each text with its font; characters of font 7 are 10 units wide
// and 12 high, all others 20 and 30.
class FontDevice : public testing::PageDeviceStub {
 public:
  void Say(int row, int col, std::string_view text, int font, int, int) override {
    said.push_back(std::to_string(row) + "," + std::to_string(col) + " f" + std::to_string(font) + " " + std::string(text));
  }
  int TextWidth(std::string_view text, int font) override { return static_cast<int>(text.size()) * (font == 7 ? 10 : 20); }
  int TextHeight(int font) override { return font == 7 ? 12 : 30; }
  std::vector<std::string> said;
};

// TFUENTE 1 to 4 print in the report's title, line, total and subtotal fonts (any other in
// the line font); columns and rows are measured in the line font.
TEST_F(DirectListTest, EachTextPrintsInTheReportsFontItsKindNames) {
  Work({{"Titulo", 1, 0}, {"Linea", 1, 2}, {"Total", 1, 4}, {"Subtotal", 1, 6}, {"Otra", 1, 8}}, {1, 2, 3, 4, 9});
  FontDevice device;
  TDirectList list(&device);
  list.anFonts = {5, 7, 8, 6};
  ASSERT_TRUE(list.Execute("DIRECTO"));
  EXPECT_EQ(device.said, (std::vector<std::string>{"0,0 f5 Titulo", "12,20 f7 Linea", "24,40 f8 Total",
                                                   "36,60 f6 Subtotal", "48,80 f7 Otra"}));
}

TEST_F(DirectListTest, NoWorkTableOrNoFilePrintsNothing) {
  TQZRFile file(path_);
  TDirectList list(&file);
  EXPECT_FALSE(list.Execute("NINGUNA"));
  EXPECT_EQ(list.nPage, 0);
  TQZRFile none("");
  Work({{"x"}});
  TDirectList other(&none);
  EXPECT_FALSE(other.Execute("DIRECTO"));
}

}  // namespace
}  // namespace reports
