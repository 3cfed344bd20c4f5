// Keys of a shared table kept by several processes at once: helper processes append records
// and change keys while holding the table shared; every tag then holds every record's key, in
// order. Run natively and under Wine, for CDX and NTX.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_process.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "runtime/test_env.h"

namespace xb::rdd {
namespace {

class KeysAcrossProcesses : public xb::testing::RuntimeTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    InitTables();
    previous_codepage_ = SetCodePage("ESWIN");
    WorkAreas::Get().set_file_system(nullptr);
    table_ = folder_ / "claves.dbf";
  }
  void TearDown() override {
    ResetTables();
    SetCodePage(previous_codepage_);
    RuntimeTest::TearDown();
  }
  static Value X(const std::string& text) { return EvalMacro(text); }
  bool Ntx() const { return std::string(GetParam()) == "DBFNTX"; }
  std::string Q(const std::string& s) const { return "'" + s + "'"; }
  // What a process runs to open the table with its indexes.
  std::vector<std::string> OpenSteps() const {
    std::vector<std::string> steps{"=DBUSEAREA(.T., " + Q(GetParam()) + ", " + Q(table_) + ", 'T', .T., .F.)"};
    if (Ntx()) {
      steps.push_back("ORDLISTADD(" + Q(folder_ / "codigo") + ")");
      steps.push_back("ORDLISTADD(" + Q(folder_ / "num") + ")");
    }
    return steps;
  }

  // The table with `records` records R1, R2, ... numbered 1, 2, ... and its tags CODIGO and NUM.
  void MakeTable(int records) {
    ASSERT_TRUE(X("DBCREATE(" + Q(table_) + ", {{'CODIGO', 'C', 10, 0}, {'NUM', 'N', 7, 0}}, " + Q(GetParam()) + ")")
                    .AsLogical());
    ASSERT_TRUE(X("DBUSEAREA(.T., " + Q(GetParam()) + ", " + Q(table_) + ", 'T', .F., .F.)").AsLogical());
    for (int i = 1; i <= records; ++i) {
      X("DBAPPEND()");
      X("FIELDPUT(1, 'R" + std::to_string(i) + "')");
      X("FIELDPUT(2, " + std::to_string(i) + ")");
    }
    if (Ntx()) {
      X("DBCREATEINDEX(" + Q(folder_ / "codigo") + ", 'CODIGO')");
      X("ORDCREATE(" + Q(folder_ / "num") + ", 'NUM', 'NUM')");
    } else {
      X("ORDCREATE(, 'CODIGO', 'CODIGO')");
      X("ORDCREATE(, 'NUM', 'NUM')");
    }
    X("DBCLOSEAREA()");
  }

  xb::rdd::testing::TempFolder folder_;
  std::string table_, previous_codepage_;
};

TEST_P(KeysAcrossProcesses, EveryProcessesKeysEndUpInEveryTag) {
  const int kStart = 40, kPerChild = 60, kChildren = 3;
  ASSERT_NO_FATAL_FAILURE(MakeTable(kStart));

  // Each helper appends its own records and rewrites the codes of its share of the old ones.
  std::vector<std::unique_ptr<xb::rdd::testing::ChildProcess>> children;
  for (int k = 1; k <= kChildren; ++k) {
    std::vector<std::string> args{"xbase"};
    for (const std::string& s : OpenSteps()) args.push_back(s);
    for (int i = 1; i <= kPerChild; ++i) {
      const std::string n = std::to_string(k * 1000 + i);
      args.push_back("DBAPPEND()");
      args.push_back("=!NETERR()");
      args.push_back("FIELDPUT(1, 'P" + n + "')");
      args.push_back("FIELDPUT(2, " + n + ")");
      args.push_back("DBUNLOCK()");
      const int old = k + (i - 1) * kChildren;
      if (old <= kStart) {
        args.push_back("DBGOTO(" + std::to_string(old) + ")");
        args.push_back("=RLOCK()");
        args.push_back("FIELDPUT(1, 'C" + std::to_string(old) + "')");
        args.push_back("FIELDPUT(2, " + std::to_string(100000 + old) + ")");
        args.push_back("DBUNLOCK()");
      }
    }
    children.push_back(std::make_unique<xb::rdd::testing::ChildProcess>(args));
    ASSERT_TRUE(children.back()->started());
  }
  for (auto& c : children) EXPECT_EQ(c->Wait(), 0);

  // Every tag walks every record once, in key order, and finds each key.
  for (const std::string& s : OpenSteps()) X(s.substr(s[0] == '=' ? 1 : 0));
  const std::int64_t records = X("RECCOUNT()").AsInt();
  ASSERT_EQ(records, kStart + kChildren * kPerChild);
  for (int order : {1, 2}) {
    SCOPED_TRACE("order " + std::to_string(order));
    X("ORDSETFOCUS(" + std::to_string(order) + ")");
    EXPECT_EQ(X("ORDKEYCOUNT()").AsInt(), records);
    X("DBGOTOP()");
    std::int64_t walked = 0;
    std::string last_code;
    double last_num = -1;
    while (!X("EOF()").AsLogical() && walked <= records) {
      ++walked;
      const std::string code(X("FIELDGET(1)").AsString());
      const double num = X("FIELDGET(2)").AsDouble();
      if (order == 1) {
        EXPECT_LE(Collate(CodePageEsWin(), last_code, code), 0) << code;
        last_code = code;
      } else {
        EXPECT_LT(last_num, num);
        last_num = num;
      }
      X("DBSKIP()");
    }
    EXPECT_EQ(walked, records);
  }
  X("ORDSETFOCUS(1)");
  for (int k = 1; k <= kChildren; ++k) {
    for (int i = 1; i <= kPerChild; i += 6) {
      const std::string code = "P" + std::to_string(k * 1000 + i);
      EXPECT_TRUE(X("DBSEEK('" + code + "')").AsLogical()) << code;
    }
  }
  EXPECT_FALSE(X("DBSEEK('R1 ')").AsLogical());  // rewritten by the first helper
  EXPECT_TRUE(X("DBSEEK('C1 ')").AsLogical());
  X("DBCLOSEAREA()");
}

// A process that holds the table open and has sought in it sees what another process changed
// since: keys rewritten and appended (the pages it read before are not used), and the record
// itself read again even after a key count read it (SET DELETED off: no check of its own).
TEST_P(KeysAcrossProcesses, SeeksSeeWhatAnotherProcessChangedSince) {
  ASSERT_NO_FATAL_FAILURE(MakeTable(300));

  SetValue(SET_DELETED, Value::Logical(true));
  for (const std::string& s : OpenSteps()) X(s.substr(s[0] == '=' ? 1 : 0));
  X("ORDSETFOCUS(1)");
  for (int i = 1; i <= 300; i += 7) EXPECT_TRUE(X("DBSEEK('R" + std::to_string(i) + "')").AsLogical()) << i;
  EXPECT_TRUE(X("DBSEEK('R8 ')").AsLogical());
  EXPECT_EQ(X("ADSKEYCOUNT()").AsInt(), 300);  // reads every record's deletion flag, R99's last

  std::vector<std::string> args{"xbase"};
  for (const std::string& s : OpenSteps()) args.push_back(s);
  for (const char* step : {"DBGOTO(8)", "=RLOCK()", "FIELDPUT(1, 'C8')", "DBUNLOCK()", "DBGOTO(99)", "=RLOCK()",
                           "FIELDPUT(2, 9900)", "DBUNLOCK()", "DBAPPEND()", "=!NETERR()", "FIELDPUT(1, 'N1')",
                           "FIELDPUT(2, 301)", "DBUNLOCK()"})
    args.push_back(step);
  xb::rdd::testing::ChildProcess child(args);
  ASSERT_TRUE(child.started());
  EXPECT_EQ(child.Wait(), 0);

  SetValue(SET_DELETED, Value::Logical(false));
  EXPECT_TRUE(X("DBSEEK('R99 ')").AsLogical());
  EXPECT_EQ(X("FIELDGET(2)").AsInt(), 9900);
  SetValue(SET_DELETED, Value::Logical(true));
  EXPECT_FALSE(X("DBSEEK('R8 ')").AsLogical());
  EXPECT_TRUE(X("DBSEEK('C8 ')").AsLogical());
  EXPECT_EQ(X("RECNO()").AsInt(), 8);
  EXPECT_TRUE(X("DBSEEK('N1 ')").AsLogical());
  EXPECT_EQ(X("FIELDGET(2)").AsInt(), 301);
  X("DBCLOSEAREA()");
}

INSTANTIATE_TEST_SUITE_P(Drivers, KeysAcrossProcesses, ::testing::Values("DBFCDX", "DBFNTX"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace xb::rdd
