// The radio group over the three buttons of the company search (dialog "FININ2": 102, 103
// and 101 are options 1, 2 and 3): the value it starts from, clicks and arrows choosing,
// going round at the ends, and what compiled text sees of it.
#include "ui/controls/tradmenu.h"

#include <gtest/gtest.h>

#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/set_get.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

class RadioTest : public test::ControlsTest {
 protected:
  // FININ2 with a radio group over `option`; `during` runs once the dialog shows.
  void Run(const Value& start, const std::function<void(TRadMenu&, HWND)>& during) {
    option = SetGet::Of(start);
    auto dialog = xb::MakeRef<TDialog>();
    dialog->New({.resource = Value::String("FININ2")});
    group = xb::MakeRef<TRadMenu>();
    group->ReDefine({.set_get = option.block,
                     .parent = dialog,
                     .ids = {102, 103, 101},
                     .change = Blk([this](Args& a) {
                       changes.push_back(static_cast<int>(a.Int(1)));
                       return Value();
                     })});
    dialog->bStart = Blk([&, d = dialog.get()](Args&) {
      during(*group, d->hWnd);
      d->End();
      return Value();
    });
    dialog->Activate({.centered = true});
  }
  static int Checked(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0)); }

  SetGet option;
  xb::Ref<TRadMenu> group;
  std::vector<int> changes;
};

TEST_F(RadioTest, ClicksAndArrowsChooseTheOptionOnce) {
  std::vector<int> checks;
  Run(Value::Integer(1), [&](TRadMenu& g, HWND dialog) {
    checks = {Checked(dialog, 102), Checked(dialog, 103), Checked(dialog, 101)};
    SendDlgItemMessageA(dialog, 101, BM_CLICK, 0, 0);  // the third button: by name
    EXPECT_EQ(option.Get().AsInt(), 3);
    EXPECT_EQ(Checked(dialog, 101), 1);
    EXPECT_EQ(Checked(dialog, 102), 0);
    SendDlgItemMessageA(dialog, 101, BM_CLICK, 0, 0);  // again: nothing changes
    // Down on the third goes round to the first, and the focus follows.
    SendMessageA(GetDlgItem(dialog, 101), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(option.Get().AsInt(), 1);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 102));
    SendMessageA(GetDlgItem(dialog, 102), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(option.Get().AsInt(), 3);
    SendMessageA(GetDlgItem(dialog, 101), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(option.Get().AsInt(), 2);
    EXPECT_EQ(Checked(dialog, 103), 1);
    EXPECT_EQ(Checked(dialog, 101), 0);
    EXPECT_TRUE(g.aItems[1]->lIsChecked());
  });
  EXPECT_EQ(checks, (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(changes, (std::vector<int>{3, 1, 3, 2}));
}

TEST_F(RadioTest, AValueThatIsNoOptionStartsAtTheFirst) {
  for (const Value& start : {Value::Integer(0), Value(), Value::String("2")}) {
    changes.clear();
    int first = -1;
    Run(start, [&](TRadMenu&, HWND dialog) { first = Checked(dialog, 102); });
    EXPECT_EQ(option.Get().AsInt(), 1);
    EXPECT_EQ(first, 1);
    EXPECT_TRUE(changes.empty());
  }
  // Started at the second, the second shows checked.
  Run(Value::Integer(2), [&](TRadMenu& g, HWND dialog) {
    EXPECT_EQ(Checked(dialog, 103), 1);
    EXPECT_EQ(Checked(dialog, 102), 0);
    g.SetOption(7);  // no such option
    EXPECT_EQ(g.nOption(), 2);
  });
}

TEST_F(RadioTest, CompiledTextReadsAndSetsTheOption) {
  Run(Value::Integer(1), [&](TRadMenu& g, HWND dialog) {
    xb::DeclarePublic(xb::Intern("ORAD"));
    xb::SetMemvar(xb::Intern("ORAD"), g.Self());
    EXPECT_EQ(xb::EvalMacro("oRad:nOption").AsInt(), 1);
    EXPECT_EQ(xb::EvalMacro("Len(oRad:aItems)").AsInt(), 3);
    xb::EvalMacro("oRad:SetOption(2)");
    EXPECT_EQ(Checked(dialog, 103), 1);
    xb::EvalMacro("oRad:nOption := 3");
    xb::EvalMacro("oRad:Refresh()");
    EXPECT_EQ(Checked(dialog, 101), 1);
    EXPECT_EQ(Checked(dialog, 103), 0);
    EXPECT_EQ(xb::EvalMacro("oRad:aItems[3]:nPos").AsInt(), 3);
  });
  EXPECT_EQ(changes, (std::vector<int>{2, 3, 3}));
}

TEST_F(RadioTest, ARadioButtonIsBoundByItsOwnReDefine) {
  auto dialog = xb::MakeRef<TDialog>();
  dialog->New({.resource = Value::String("BARRAYRADIOS")});
  xb::SetMemvar(xb::Intern("ODLG"), dialog->Self());
  // ReDefine(nId, lChecked, nPos, oWnd, oRadMenu, nHelpId, nClrText, nClrPane, cMsg, lUpdate, bWhen, bValid)
  const Value second =
      xb::EvalMacro("TRadio():ReDefine(412, .T., 2, oDlg, , 120, 255, 65280, 'La segunda', .T., {|| .T.}, {|| .T.})");
  const Value first = xb::EvalMacro("TRadio():ReDefine(411, .F., 1, oDlg)");
  ASSERT_TRUE(second.IsObject());
  auto* radio = dynamic_cast<TRadio*>(second.AsObject().get());
  ASSERT_NE(radio, nullptr);
  EXPECT_EQ(radio->nPos, 2);
  EXPECT_EQ(radio->nHelpId, 120);
  EXPECT_EQ(radio->nClrText, 255u);
  EXPECT_EQ(radio->nClrPane, 65280u);
  EXPECT_EQ(radio->cMsg, "La segunda");
  EXPECT_TRUE(radio->lUpdate);
  std::vector<int> checks;
  dialog->bStart = Blk([&, d = dialog.get()](Args&) {
    checks = {Checked(d->hWnd, 411), Checked(d->hWnd, 412)};
    SendDlgItemMessageA(d->hWnd, 411, BM_CLICK, 0, 0);  // no group: Windows' own check
    checks.push_back(Checked(d->hWnd, 411));
    d->End();
    return Value();
  });
  dialog->Activate({.centered = true});
  EXPECT_EQ(checks, (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(xb::Send(first, "NPOS").AsInt(), 1);
}

}  // namespace
}  // namespace ui
