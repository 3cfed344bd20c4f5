// The Find dialog: each dialog keeps its own record and buffer; the find message number is
// handed out once.
#include "ui/bridge/find_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "runtime/function_table.h"
#include "runtime/test_env.h"
#include "tests/support/pump.h"
#include "tests/support/window_text.h"
#include "ui/bridge/bridge_functions.h"

namespace ui {
namespace {

using vdr::test::ItemText;
using xb::Value;

class FindDialogTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
    owner_ = CreateWindowA("STATIC", "Dueño", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 300, 200, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    vdr::test::PumpPending();
    RuntimeTest::TearDown();
  }
  HWND owner_ = nullptr;
};

TEST_F(FindDialogTest, EachDialogKeepsItsRecordAndTheMessageIsGivenOnce) {
  Value first_msg = Value::NewRef(Value::Integer(0));
  const Value caller = Value::String("albarán");
  const Value first = xb::CallFunction(
      "FINDTEXT", {caller, Value::Integer(reinterpret_cast<std::intptr_t>(owner_)), Value(), first_msg});
  auto one = reinterpret_cast<HWND>(static_cast<std::intptr_t>(first.AsInt()));
  ASSERT_TRUE(IsWindow(one));
  EXPECT_TRUE(IsWindowVisible(one)) << "modeless: it shows at once";
  EXPECT_EQ(first_msg.Deref().AsInt(), static_cast<std::int64_t>(RegisterWindowMessageA(FINDMSGSTRINGA)));
  EXPECT_EQ(ItemText(one, 0x480), "albarán");  // the "Find what" field

  Value second_msg = Value::NewRef(Value::Integer(-1));
  const Value second = xb::CallFunction(
      "FINDTEXT", {Value::String(std::string(300, 'x')), Value::Integer(reinterpret_cast<std::intptr_t>(owner_)),
                   Value(), second_msg});
  auto two = reinterpret_cast<HWND>(static_cast<std::intptr_t>(second.AsInt()));
  ASSERT_TRUE(IsWindow(two));
  EXPECT_EQ(second_msg.Deref().AsInt(), -1) << "a second dialog does not write the number";

  const FINDREPLACEA* r1 = FindRecordOf(one);
  const FINDREPLACEA* r2 = FindRecordOf(two);
  ASSERT_NE(r1, nullptr);
  ASSERT_NE(r2, nullptr);
  EXPECT_NE(r1, r2);
  EXPECT_EQ(r1->lStructSize, sizeof(FINDREPLACEA));
  EXPECT_EQ(r1->wFindWhatLen, kFindBufferSize);
  EXPECT_STREQ(r1->lpstrFindWhat, "albarán") << "the second dialog left the first one's record alone";
  EXPECT_NE(r1->lpstrFindWhat, caller.AsString().data()) << "a buffer of its own, not the caller's string";
  EXPECT_EQ(std::string(r2->lpstrFindWhat), std::string(kFindBufferSize - 1, 'x'));
  EXPECT_EQ(r1->hwndOwner, owner_);

  // Typing into the first dialog reaches its own buffer when it searches.
  SetDlgItemTextA(one, 0x480, "factura");
  SendMessageA(one, WM_COMMAND, IDOK, 0);
  EXPECT_STREQ(r1->lpstrFindWhat, "factura");
  EXPECT_EQ(std::string(r2->lpstrFindWhat), std::string(kFindBufferSize - 1, 'x'));

  const int before = FindRecordCount();
  DestroyWindow(one);
  ReleaseFindRecord(one);
  EXPECT_EQ(FindRecordCount(), before - 1);
  EXPECT_EQ(FindRecordOf(one), nullptr);
  DestroyWindow(two);
  // A record whose dialog went without being released goes with the next dialog.
  HWND three = FindTextDialog("", owner_, nullptr);
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(FindRecordOf(two), nullptr);
  EXPECT_EQ(FindRecordCount(), before - 1);
  DestroyWindow(three);
}

}  // namespace
}  // namespace ui
