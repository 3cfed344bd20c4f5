#include "reports/direct_list.h"

#include <filesystem>
#include <fstream>

#include "data/data_test_support.h"
#include "reports/dictionary_tables.h"
#include "reports/report_test_support.h"
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
  void Work(const std::vector<Text>& rows) {
    CreateTable("TMP\\Directo.dbf", FindDictTable("MtrDirec")->fields, static_cast<int>(rows.size()),
                [&](xb::rdd::WorkArea& a, int n) {
                  const Text& t = rows[static_cast<std::size_t>(n - 1)];
                  a.PutField(a.FieldPos("TEXTO"), Value::String(t.texto));
                  a.PutField(a.FieldPos("FILA"), Value::Integer(t.fila));
                  a.PutField(a.FieldPos("COLUMNA"), Value::Integer(t.columna));
                  a.PutField(a.FieldPos("TFUENTE"), Value::Integer(2));
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
