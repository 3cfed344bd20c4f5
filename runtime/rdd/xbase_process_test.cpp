// Two programs on one table through the xBase functions: this process and the helper,
// which evaluates xBase text. Natively and under Wine.
#include <gtest/gtest.h>

#include "runtime/macro.h"
#include "runtime/rdd/test_process.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/test_env.h"

namespace xb::rdd {
namespace {

using testing::ChildProcess;
using xb::testing::RecordingErrorBlock;

class XBaseAcrossProcesses : public xb::testing::RuntimeTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    InitTables();
    path_ = folder_ / "clientes.dbf";
    driver_ = GetParam();
    ASSERT_TRUE(L("DBCREATE('" + path_ + "', {{'CODIGO', 'C', 10, 0}, {'NOTAS', 'M', 10, 0}}, '" + driver_ +
                  "', .T., 'C')"));
    for (int i = 1; i <= 5; ++i) X("DBAPPEND()");
    X("DBCLOSEAREA()");
  }
  void TearDown() override {
    ResetTables();
    RuntimeTest::TearDown();
  }

  static Value X(const std::string& text) { return EvalMacro(text); }
  static bool L(const std::string& text) { return X(text).AsLogical(); }
  static std::int64_t N(const std::string& text) { return X(text).AsInt(); }

  std::string Use(bool shared) const {
    return "DBUSEAREA(.T., '" + driver_ + "', '" + path_ + "', 'C', " + (shared ? ".T." : ".F.") + ")";
  }
  // Starts the helper on `steps`, then waits until it reaches "@ready".
  std::unique_ptr<ChildProcess> Start(std::vector<std::string> steps) {
    steps.insert(steps.begin(), "xbase");
    steps.push_back("@ready:" + ready_);
    steps.push_back("@wait:" + release_);
    auto child = std::make_unique<ChildProcess>(steps);
    EXPECT_TRUE(testing::WaitForFile(ready_));
    return child;
  }
  int Finish(ChildProcess& child) {
    testing::TouchFile(release_);
    return child.Wait();
  }

  testing::TempFolder folder_;
  std::string path_, driver_;
  std::string ready_ = folder_ / "ready", release_ = folder_ / "release";
};

TEST_P(XBaseAcrossProcesses, AppendLocksTheNewRecordAndWritesNeedLocks) {
  auto child = Start({Use(true), "DBAPPEND()", "=!NETERR()", "=RECNO() == 6", "C->CODIGO := 'HIJO'",
                      "C->NOTAS := 'nota del hijo'"});
  ASSERT_TRUE(L(Use(true)));
  EXPECT_EQ(N("LASTREC()"), 6);
  EXPECT_FALSE(L("DBRLOCK(6)"));
  X("DBAPPEND()");
  EXPECT_FALSE(L("NETERR()"));
  EXPECT_EQ(N("RECNO()"), 7);
  X("C->CODIGO := 'PADRE'");
  X("DBUNLOCK()");
  EXPECT_EQ(Finish(*child), 0);
  X("DBGOTO(6)");
  EXPECT_EQ(X("CODIGO").AsString(), "HIJO      ");
  EXPECT_EQ(X("NOTAS").AsString(), "nota del hijo");
  X("DBGOTO(1)");
  RecordingErrorBlock block(Value::Logical(false));
  X("C->CODIGO := 'SIN BLOQUEO'");
  ASSERT_EQ(block.count, 1);
  EXPECT_EQ(block.error()->genCode, EG_UNLOCKED);
}

// A record another process appended before this one took the file lock is there under it.
TEST_P(XBaseAcrossProcesses, AFileLockSeesTheRecordsAppendedBeforeIt) {
  ASSERT_TRUE(L(Use(true)));
  X("DBGOTO(5)");
  auto child = Start({Use(true), "DBAPPEND()", "=!NETERR()", "C->CODIGO := 'HIJO'", "DBUNLOCK()"});
  ASSERT_TRUE(L("FLOCK()"));
  X("DBGOTO(6)");
  EXPECT_FALSE(L("EOF()"));
  EXPECT_EQ(X("CODIGO").AsString(), "HIJO      ");
  X("DBGOBOTTOM()");
  EXPECT_EQ(N("RECNO()"), 6);
  X("DBUNLOCK()");
  EXPECT_EQ(Finish(*child), 0);
}

TEST_P(XBaseAcrossProcesses, ExclusiveUseAndFileLocks) {
  auto child = Start({Use(false), "=USED()"});
  {
    RecordingErrorBlock block(Value::Logical(false));
    EXPECT_FALSE(L(Use(true)));
    EXPECT_TRUE(L("NETERR()"));
    ASSERT_EQ(block.count, 1);
    EXPECT_EQ(block.error()->genCode, EG_OPEN);
    EXPECT_EQ(block.error()->osCode, 32);
  }
  EXPECT_EQ(Finish(*child), 0);

  std::remove(ready_.c_str());
  std::remove(release_.c_str());
  child = Start({Use(true), "=FLOCK()"});
  ASSERT_TRUE(L(Use(true)));
  EXPECT_FALSE(L("RLOCK()"));
  EXPECT_FALSE(L("FLOCK()"));
  {
    RecordingErrorBlock block(Value::Logical(false));
    X("DBAPPEND()");
    EXPECT_TRUE(L("NETERR()"));
    EXPECT_EQ(block.error()->genCode, EG_APPENDLOCK);
  }
  EXPECT_EQ(Finish(*child), 0);
  EXPECT_TRUE(L("FLOCK()"));
  // And the other way round: our record lock keeps the other program from the record.
  EXPECT_TRUE(L("RLOCK()"));
  ChildProcess other({"xbase", Use(true), "=!RLOCK()", "=!FLOCK()", "=DBRLOCK(2)"});
  EXPECT_EQ(other.Wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(Drivers, XBaseAcrossProcesses, ::testing::Values("DBFCDX", "DBFNTX"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace xb::rdd
