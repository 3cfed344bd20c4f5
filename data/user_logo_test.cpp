#include "data/user_logo.h"

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "runtime/function_table.h"
#include "runtime/object.h"

namespace data {
namespace {

using xb::Value;

// The main window as the switch sees it: REFRESH counted.
class FakeWindow : public xb::Object {
 public:
  FakeWindow() : Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = xb::Class::Define("FAKELOGOWINDOW").Method("REFRESH", [](xb::Object& o, xb::Args&) {
      ++xb::Class::Cast<FakeWindow>(o).refreshes;
      return Value();
    });
    return c;
  }
  int refreshes = 0;
};

class UserLogoTest : public testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    cPathStart("..\\DBF\\");
    xb::RegisterFunction("CCODUSUARIO", [](xb::Args&) { return Value::String("02"); });
    CreateTable("..\\DBF\\Usuarios.dbf", {{"CCODIGO", 'C', 2, 0}, {"CNOMBRE", 'C', 25, 0}, {"LLOGO", 'L', 1, 0}}, 3,
                [](xb::rdd::WorkArea& a, int n) {
                  a.PutField(1, Value::String("0" + std::to_string(n)));
                  a.PutField(3, Value::Logical(true));
                });
    window_ = xb::MakeRef<FakeWindow>();
    SetMainWindow(Value(window_));
  }
  void TearDown() override {
    SetMainWindow(Value());
    DataTest::TearDown();
  }
  bool Stored(int record) {
    const int selected = areas().CurrentArea();
    const int area = Use("..\\DBF\\Usuarios.dbf", "LOOK", true);
    areas().Area(area)->GoTo(static_cast<std::uint32_t>(record));
    const bool logo = areas().Area(area)->GetField(3).AsLogical();
    areas().Area(area)->Close();
    areas().SelectArea(selected);
    return logo;
  }
  xb::Ref<FakeWindow> window_;
};

TEST_F(UserLogoTest, TheSwitchKeepsForcesOrTogglesTheUsersLogo) {
  X("DBSELECTAREA(7)");
  EXPECT_FALSE(lSwLogo());  // toggled off
  EXPECT_FALSE(Stored(2));
  EXPECT_TRUE(Stored(1) && Stored(3));
  EXPECT_FALSE(lSwLogo(true));  // kept
  EXPECT_FALSE(Stored(2));
  EXPECT_TRUE(X("LSWLOGO(.F., .T.)").AsLogical());  // forced
  EXPECT_TRUE(Stored(2));
  EXPECT_TRUE(lSwLogo(false, true));  // forced again: nothing to write
  EXPECT_EQ(window_->refreshes, 4);
  EXPECT_EQ(X("SELECT()").AsInt(), 7);
  EXPECT_EQ(areas().AreaOfAlias("_QzLogo"), 0);
}

TEST_F(UserLogoTest, ARefusedLockWritesNothing) {
  const int other = Use("..\\DBF\\Usuarios.dbf", "OTHER", true);
  ASSERT_TRUE(X("OTHER->(DBRLOCK(2))").AsLogical());
  EXPECT_TRUE(lSwLogo());  // still as stored
  EXPECT_TRUE(Stored(2));
  ASSERT_FALSE(ui().messages.empty());
  EXPECT_EQ(ui().messages.back().text, "El registro que se intenta procesar está bloqueado");
  areas().Area(other)->Close();

  xb::RegisterFunction("CCODUSUARIO", [](xb::Args&) { return Value::String("09"); });
  EXPECT_FALSE(lSwLogo(false, true));  // not in the table
  EXPECT_EQ(window_->refreshes, 1);
}

}  // namespace
}  // namespace data
