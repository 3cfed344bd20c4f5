// NMSGBOX: the value's text in a system box; none shows in a run nobody watches.
#include "ui/bridge/plain_boxes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/function_table.h"
#include "runtime/test_env.h"
#include "tests/support/dialog_answerer.h"
#include "ui/bridge/bridge_functions.h"

namespace ui {
namespace {

using xb::Value;

class PlainBoxes : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
  }
  void TearDown() override {
    SetUnattended({});
    RuntimeTest::TearDown();
  }
};

// The box: caption "Alert" unless exactly two arguments give a title; answered by pressing
// its button. Unattended, nothing shows and the sink hears what it would have said.
TEST_F(PlainBoxes, ShowsTheValueOrTellsTheSink) {
  {
    vdr::test::DialogAnswerer answerer(vdr::test::DialogAnswerer::PressId(IDOK));
    xb::CallFunction("NMSGBOX", {Value::Logical(true)});
    xb::CallFunction("NMSGBOX", {Value::String("Organización de empresas realizada"), Value::String("Proceso Finalizado")});
    xb::CallFunction("NMSGBOX", {Value::Integer(7), Value::String("Título"), Value::Integer(1)});
    ASSERT_EQ(answerer.seen().size(), 3u);
    EXPECT_EQ(answerer.seen()[0].title, "Alert");
    EXPECT_EQ(answerer.seen()[0].AllText(), ".T.");
    EXPECT_EQ(answerer.seen()[1].title, "Proceso Finalizado");
    EXPECT_EQ(answerer.seen()[1].AllText(), "Organización de empresas realizada");
    EXPECT_EQ(answerer.seen()[2].title, "Alert");
  }
  std::vector<std::string> told;
  SetUnattended([&](std::string_view title, std::string_view text) { told.push_back(std::string(title) + "|" + std::string(text)); });
  vdr::test::DialogAnswerer answerer(vdr::test::DialogAnswerer::PressId(IDOK));
  xb::CallFunction("NMSGBOX", {Value::String("Hecho"), Value::String("Fin")});
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_EQ(told, (std::vector<std::string>{"Fin|Hecho"}));
}

}  // namespace
}  // namespace ui
