#include "runtime/setkey.h"

#include <gtest/gtest.h>

#include "runtime/macro.h"
#include "runtime/test_env.h"

namespace xb {
namespace {

class SetKeyTest : public testing::RuntimeTest {
 protected:
  void TearDown() override {
    ClearKeyHandlers();
    RuntimeTest::TearDown();
  }
  static Value Run(std::string_view text) { return EvalMacro(text); }
};

TEST_F(SetKeyTest, SetsAnswersPreviousAndRemoves) {
  EXPECT_TRUE(Run("SETKEY( -1 )").IsNil());
  EXPECT_TRUE(Run("SETKEY( -1, {|| 'uno' } )").IsNil());  // nothing was set before
  EXPECT_EQ(Run("EVAL( SETKEY( -1 ) )").AsString(), "uno");
  EXPECT_EQ(Run("EVAL( SETKEY( -1, {|| 'dos' } ) )").AsString(), "uno");
  EXPECT_EQ(Run("EVAL( SETKEY( -1 ) )").AsString(), "dos");
  EXPECT_EQ(Run("EVAL( SETKEY( -1, NIL ) )").AsString(), "dos");
  EXPECT_TRUE(Run("SETKEY( -1 )").IsNil());
  // Other keys are left alone; a key that is not a number is no key.
  EXPECT_TRUE(Run("SETKEY( 28 )").IsNil());
  EXPECT_TRUE(Run("SETKEY( 'x', {|| 1 } )").IsNil());
}

TEST_F(SetKeyTest, ConditionDecidesWhetherTheActionIsGiven) {
  Run("SETKEY( 115, {|| 'accion' }, {|n| n == 115 .AND. __MVGET( 'LACTIVA' ) } )");
  Run("__MVPUBLIC( 'LACTIVA' )");
  Run("__MVPUT( 'LACTIVA', .F. )");
  EXPECT_TRUE(GetKeyAction(115).IsNil());
  Run("__MVPUT( 'LACTIVA', .T. )");
  EXPECT_EQ(GetKeyAction(115).AsBlock().Eval().AsString(), "accion");
  // Replacing the action without a condition drops the old condition.
  SetKey(115, Run("{|| 'otra' }"));
  Run("__MVPUT( 'LACTIVA', .F. )");
  EXPECT_EQ(GetKeyAction(115).AsBlock().Eval().AsString(), "otra");
}

}  // namespace
}  // namespace xb
