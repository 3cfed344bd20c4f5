// Combo boxes and list boxes under Wine: the value rules of both classes as one table, the
// edit part of a drop-down combo, a drop-down list keeping its value, duplicates, a sorted
// list with Spanish letters, a list of files, pictures before the items, several items chosen,
// moving items, and the owner-draw record as compiled text reads it.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "tests/support/mouse_input.h"
#include "tests/support/pump.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/list_text.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tget.h"
#include "ui/controls/tlistbox.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using test::Blk;
using vdr::test::WindowText;
using xb::Args;
using xb::Value;

Value Items(std::initializer_list<const char*> texts) {
  xb::Array list = xb::Array::New();
  for (const char* t : texts) list.Append(Value::String(t));
  return Value(list);
}

class ListsTest : public test::ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    window_ = Make(40, 40, 420, 300);
    ShowWindow(window_->hWnd, SW_SHOW);
  }
  xb::Ref<TComboBox> Combo(const Value& set_get, const Value& items, int style = TComboBox::kDropDownList,
                           int top = 10, const Value& pictures = {}) {
    auto c = xb::MakeRef<TComboBox>();
    c->New({.row = top, .col = 10, .set_get = set_get, .items = items, .width = 150, .height = 120,
            .parent = window_, .pixel = true, .pictures = pictures, .style = style});
    return c;
  }
  xb::Ref<TListBox> List(const Value& set_get, const Value& items, bool multiple = false, bool sorted = false,
                         const Value& pictures = {}) {
    auto l = xb::MakeRef<TListBox>();
    l->New({.row = 10, .col = 200, .set_get = set_get, .items = items, .width = 150, .height = 120,
            .parent = window_, .pixel = true, .pictures = pictures, .multiple = multiple, .sorted = sorted});
    return l;
  }
  // The user chooses item n (1-based): the control's selection and its notification.
  static void Choose(TControl& control, int n, bool combo) {
    SendMessageA(control.hWnd, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(n - 1), 0);
    SendMessageA(GetParent(control.hWnd), WM_COMMAND, MAKEWPARAM(control.nId, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control.hWnd));
  }
  static int Shown(TControl& control, bool combo) {
    return static_cast<int>(SendMessageA(control.hWnd, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0)) + 1;
  }

  xb::Ref<TWindow> window_;
};

TEST_F(ListsTest, ValueRulesOfBothClasses) {
  struct Case {
    const char* what;
    Value start;
    int shown;       // the item selected at the start (0: none)
    int chosen;      // the item the user then chooses (0: none)
    Value combo;     // the value afterwards
    Value list;
  } cases[] = {
      {"0 is the first", Value::Integer(0), 1, 3, Value::Integer(3), Value::Integer(3)},
      {"a number", Value::Integer(2), 2, 0, Value::Integer(2), Value::Integer(2)},
      {"past the items", Value::Integer(7), 0, 0, Value::Integer(7), Value::Integer(7)},
      {"text, case and blanks aside", Value::String(" TRES "), 3, 0, Value::String(" TRES "), Value::String(" TRES ")},
      {"text chosen", Value::String("tres"), 3, 1, Value::String("uno"), Value::String("uno")},
      {"no value", Value(), 1, 2, Value::String("dos"), Value::String("dos")},
  };
  for (bool combo : {true, false}) {
    for (const Case& c : cases) {
      const SetGet value = SetGet::Of(c.start);
      xb::Ref<TControl> control;
      if (combo) control = Combo(value.block, Items({"uno", "dos", "tres"}));
      else control = List(value.block, Items({"uno", "dos", "tres"}));
      const std::string what = std::string(combo ? "combo: " : "list: ") + c.what;
      EXPECT_EQ(Shown(*control, combo), c.shown) << what;
      if (c.chosen > 0) Choose(*control, c.chosen, combo);
      const Value expected = combo ? c.combo : c.list;
      EXPECT_EQ(value.Get().ValType(), expected.ValType()) << what;
      EXPECT_EQ(value.Get().AsInt(), expected.AsInt()) << what;
      EXPECT_EQ(value.Get().AsString(), expected.AsString()) << what;
      control->End();
    }
  }
  // No value at all: the combo takes its first item, the list an empty text.
  const SetGet none = SetGet::Of(Value());
  auto combo = Combo(none.block, Items({"uno", "dos"}));
  EXPECT_EQ(none.Get().AsString(), "uno");
  const SetGet none2 = SetGet::Of(Value());
  auto list = List(none2.block, Items({"uno", "dos"}));
  EXPECT_EQ(none2.Get().AsString(), "");
}

TEST_F(ListsTest, DuplicatesAndOutOfRangeItemNumbers) {
  const SetGet number = SetGet::Of(Value::Integer(1));
  auto combo = Combo(number.block, Items({"uno", "dos", "tres"}));
  auto list = List(number.block, Items({"uno", "dos", "tres"}));
  combo->Add("dos");
  list->Add("dos");
  EXPECT_EQ(combo->Count(), 4);
  EXPECT_EQ(SendMessageA(combo->hWnd, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(list->Len(), 4);
  EXPECT_EQ(list->GetPos(), 4);  // the item added is selected
  Choose(*combo, 4, true);
  EXPECT_EQ(number.Get().AsInt(), 4);
  // Numbers outside the items touch nothing.
  for (int n : {0, 9, -1}) {
    combo->Modify("x", n);
    combo->Del(n);
    combo->Insert("x", n + 20);
    list->Modify("x", n == 0 ? 9 : n);
    list->Del(n == 0 ? 9 : n);
  }
  EXPECT_EQ(combo->Count(), 4);
  EXPECT_EQ(list->Count(), 4);
  combo->Select(9);
  EXPECT_EQ(combo->nAt, 0);
  EXPECT_EQ(SendMessageA(combo->hWnd, CB_GETCURSEL, 0, 0), CB_ERR);
  combo->Set(Value::Integer(0));
  EXPECT_EQ(combo->nAt, 1);
  // Modify and Del keep what is chosen valid.
  list->Select(2);
  list->Modify("DOS");
  EXPECT_EQ(list->GetPos(), 2);
  EXPECT_EQ(list->GetItem(2), "DOS");
  list->Del();
  EXPECT_EQ(list->GetPos(), 2);
  EXPECT_EQ(list->GetItem(2), "tres");
  EXPECT_EQ(combo->FindString("tres"), 3);
  EXPECT_TRUE(combo->Find("UNO"));  // CB_FINDSTRING ignores case
  EXPECT_FALSE(combo->Find("cinco"));
}

TEST_F(ListsTest, TheEditPartOfADropDownCombo) {
  // A text no item has stays the value, shown in the edit part.
  const SetGet text = SetGet::Of(Value::String("cuatro"));
  auto combo = Combo(text.block, Items({"uno", "dos", "tres"}), TComboBox::kDropDown);
  ASSERT_TRUE(combo->oGet);
  HWND edit = combo->oGet->hWnd;
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(GetParent(edit), combo->hWnd);
  EXPECT_EQ(TrimRight(WindowText(edit)), "cuatro");
  EXPECT_EQ(combo->nAt, 0);
  EXPECT_EQ(text.Get().AsString(), "cuatro");
  // Choosing an item writes it into the edit part.
  Choose(*combo, 2, true);
  EXPECT_EQ(text.Get().AsString(), "dos");
  EXPECT_EQ(TrimRight(WindowText(edit)), "dos");
  // Typing: the text goes into the value when the edit part lets the focus go.
  auto other = Combo(SetGet::Of(Value::String("uno")).block, Items({"uno"}), TComboBox::kDropDownList, 60);
  SetFocus(edit);
  vdr::test::PumpPending();
  SendMessageA(edit, EM_SETSEL, 0, -1);
  combo->oGet->SelectAll();
  Key(edit, VK_DELETE);
  Type(edit, "siete");
  EXPECT_EQ(TrimRight(WindowText(edit)), "siete");
  SetFocus(other->hWnd);
  vdr::test::PumpPending();
  EXPECT_EQ(text.Get().AsString(), "siete");
  EXPECT_EQ(combo->nAt, 0);
  // A typed item's text chooses it.
  SetFocus(edit);
  combo->oGet->SelectAll();
  Key(edit, VK_DELETE);
  Type(edit, "TRES");
  SetFocus(other->hWnd);
  vdr::test::PumpPending();
  EXPECT_EQ(combo->nAt, 3);
  Screenshot(window_->hWnd, "combo_drop_down_typed");
}

TEST_F(ListsTest, ADropDownListKeepsAValueItDoesNotHold) {
  for (int style : {TComboBox::kDropDownList, TComboBox::kSimple}) {
    const SetGet text = SetGet::Of(Value::String("cuatro"));
    auto combo = Combo(text.block, Items({"uno", "dos"}), style);
    auto other = List(SetGet::Of(Value::String("")).block, Items({"a"}));
    SetFocus(combo->hWnd);
    vdr::test::PumpPending();
    SetFocus(other->hWnd);
    vdr::test::PumpPending();
    EXPECT_EQ(text.Get().AsString(), "cuatro") << style;
    EXPECT_EQ(combo->cVarGet(), style == TComboBox::kSimple ? "cuatro" : "") << style;
    combo->End();
    other->End();
  }
}

TEST_F(ListsTest, ASortedListKeepsItsItemsInItsOwnOrder) {
  const SetGet number = SetGet::Of(Value::Integer(0));
  auto list = List(number.block, Items({"\xD1u", "Nu", "\xD3scar", "Oca"}), false, true);
  ASSERT_EQ(list->Len(), 4);
  std::vector<std::string> order;
  for (int i = 1; i <= 4; ++i) {
    order.push_back(list->GetItem(i));
    EXPECT_EQ(list->aItems[static_cast<std::size_t>(i - 1)].AsString(), list->GetItem(i)) << i;
  }
  std::vector<std::string> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"Nu", "Oca", "\xD1u", "\xD3scar"}));  // the same four
  // The number chosen names the item of that text.
  const int enye = list->ItemOf("\xF1U");  // "ñU": case aside
  ASSERT_GT(enye, 0);
  EXPECT_EQ(list->GetItem(enye), "\xD1u");
  Choose(*list, enye, false);
  EXPECT_EQ(number.Get().AsInt(), enye);
  // Added items take their place and keep numbers and texts together.
  list->Add("Mar");
  EXPECT_EQ(list->GetSelText(), "Mar");
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(list->aItems[static_cast<std::size_t>(i - 1)].AsString(), list->GetItem(i));
  const SetGet text = SetGet::Of(Value::String(""));
  list->bSetGet = text.block;
  Choose(*list, 1, false);
  EXPECT_EQ(text.Get().AsString(), list->GetItem(1));
}

TEST_F(ListsTest, AListOfFilesAndTheListsOfADialog) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "vdr_lbx_" + std::to_string(GetCurrentProcessId()) + "\\";
  test::FreshFolder(folder);
  for (const char* name : {"B.TXT", "a.txt", "c.dat", "\xD1" "AME.TXT"}) {
    HANDLE f = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
  }
  CreateDirectoryA((folder + "d.txt").c_str(), nullptr);

  auto dialog = xb::MakeRef<TDialog>();
  dialog->New({.resource = Value::String("PRUEBALISTAS")});
  const SetGet file = SetGet::Of(Value::String("b.txt"));
  auto files = xb::MakeRef<TListBox>();
  files->ReDefine({.id = 101, .set_get = file.block, .parent = dialog, .file_spec = folder + "*.txt"});
  const SetGet typed = SetGet::Of(Value::String("cinco"));
  auto drop_down = xb::MakeRef<TComboBox>();
  drop_down->ReDefine({.id = 102, .set_get = typed.block, .items = Items({"uno", "dos"}), .parent = dialog,
                       .style = TComboBox::kDropDown});
  const SetGet chosen = SetGet::Of(Value::Integer(2));
  auto drop_list = xb::MakeRef<TComboBox>();
  drop_list->ReDefine({.id = 103, .set_get = chosen.block, .items = Items({"uno", "dos"}), .parent = dialog});
  std::vector<std::string> names;
  dialog->bStart = Blk([&, d = dialog.get()](Args&) {
    for (int i = 1; i <= files->Len(); ++i) names.push_back(files->GetItem(i));
    EXPECT_EQ(files->GetSelText(), "b.txt");
    EXPECT_TRUE(drop_down->oGet && drop_down->oGet->hWnd != nullptr);
    EXPECT_EQ(TrimRight(drop_down->oGet->cText()), "cinco");
    EXPECT_EQ(drop_list->nAt, 2);
    Screenshot(d->hWnd, "lists_of_a_dialog");
    d->End();
    return Value();
  });
  dialog->Activate({.centered = true});
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt", "\xF1" "ame.txt"}));  // lower case, sorted
  for (const char* name : {"B.TXT", "a.txt", "c.dat", "\xD1" "AME.TXT"}) DeleteFileA((folder + name).c_str());
  RemoveDirectoryA((folder + "d.txt").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(ListsTest, PicturesBeforeTheItemsAndSeveralChosen) {
  const SetGet light = SetGet::Of(Value::Integer(1));
  auto combo = Combo(light.block, Items({"Libre", "En uso", "Sin luz"}), TComboBox::kDropDownList, 10,
                     Items({"BMPVERDE", "BMPROJO", "NOHAY"}));
  EXPECT_TRUE(combo->lOwnerDraw);
  EXPECT_EQ(combo->nBmpWidth, 16);
  EXPECT_EQ(combo->aBitmaps, (std::vector<int>{1, 2, 0}));  // a picture that cannot be had: none
  EXPECT_NE(combo->hCbxBuff(), nullptr);
  auto list = List(SetGet::Of(Value::String("")).block, Items({"Libre", "En uso", "Bloqueada"}), true, false,
                   Items({"BMPVERDE", "BMPROJO", "BMPNOCHK"}));
  list->SetSelItems({1, 3});
  EXPECT_EQ(list->GetSelCount(), 2);
  EXPECT_EQ(list->aSelections(), (std::vector<std::string>{"Libre", "Bloqueada"}));
  EXPECT_TRUE(list->IsMultipleSel());
  RedrawWindow(window_->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  vdr::test::PumpPending();
  // The green light of the chosen item on the left of the combo's field; the red one before
  // the list's second item.
  auto pixel = [](HWND hwnd, int x, int y) {
    MemorySurface s(1, 1);
    WindowDC dc(hwnd);
    BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), x, y, SRCCOPY);
    return s.Pixel(0, 0);
  };
  RECT field = {};
  GetClientRect(combo->hWnd, &field);
  const COLORREF green = pixel(combo->hWnd, 19, field.bottom / 2);  // the middle of its cell
  EXPECT_GT(GetGValue(green), 100);
  EXPECT_LT(GetRValue(green), 100);
  const int row = static_cast<int>(SendMessageA(list->hWnd, LB_GETITEMHEIGHT, 0, 0));
  const COLORREF red = pixel(list->hWnd, 8, row + row / 2);
  EXPECT_GT(GetRValue(red), 120);
  EXPECT_LT(GetGValue(red), 100);
  SendMessageA(combo->hWnd, CB_SHOWDROPDOWN, TRUE, 0);
  vdr::test::PumpPending();
  Screenshot(window_->hWnd, "lists_with_pictures");
  SendMessageA(combo->hWnd, CB_SHOWDROPDOWN, FALSE, 0);
  // Moving the chosen item of a single-choice list.
  auto plain = List(SetGet::Of(Value::String("uno")).block, Items({"uno", "dos", "tres"}));
  plain->SwapUp();  // the first: nothing
  EXPECT_EQ(plain->GetItem(1), "uno");
  plain->SwapDown();
  EXPECT_EQ(plain->GetItem(2), "uno");
  EXPECT_EQ(plain->GetPos(), 2);
  EXPECT_EQ(plain->aItems[0].AsString(), "dos");
  // The pictures a list loaded are its own; handles given stay the caller's.
  HBITMAP given = CreateBitmap(16, 16, 1, 1, nullptr);
  auto handed = List(SetGet::Of(Value::String("")).block, Items({"a"}), false, false,
                     Value(xb::Array::Of({Value::Integer(reinterpret_cast<std::intptr_t>(given))})));
  handed->End();
  vdr::test::PumpPending();
  BITMAP info = {};
  EXPECT_EQ(GetObjectA(given, sizeof info, &info), static_cast<int>(sizeof info));
  DeleteObject(given);
}

// The mouse and the keys of a person on a list bound to a number: a click, an arrow key and a
// double click each choose their item, bChange runs once per change with the list, and the
// double click runs bLDblClick with the item already stored.
TEST_F(ListsTest, AListChoosesByClickKeyAndDoubleClick) {
  const SetGet number = SetGet::Of(Value::Integer(0));
  auto list = List(number.block, Items({"uno", "dos", "tres", "cuatro"}));
  std::vector<int> changes;
  list->bChange = Blk([&](Args& a) {
    EXPECT_EQ(a.Obj(1).get(), list.get());
    changes.push_back(static_cast<int>(number.Get().AsInt()));
    return Value();
  });
  std::vector<int> double_clicks;
  list->bLDblClick = Blk([&](Args&) {
    double_clicks.push_back(static_cast<int>(number.Get().AsInt()));
    return Value();
  });
  EXPECT_EQ(list->GetPos(), 1);  // 0 is the first item
  SetForegroundWindow(window_->hWnd);
  const int row = static_cast<int>(SendMessageA(list->hWnd, LB_GETITEMHEIGHT, 0, 0));
  auto click = [&](int item) {
    ASSERT_TRUE(vdr::test::MouseToClient(list->hWnd, {30, row * (item - 1) + row / 2}));
    vdr::test::LeftButton(true);
    vdr::test::LeftButton(false);
  };
  click(3);
  EXPECT_EQ(number.Get().AsInt(), 3);
  EXPECT_EQ(GetFocus(), list->hWnd);
  test::PressKeys({VK_DOWN});
  vdr::test::PumpUntil([&] { return number.Get().AsInt() == 4; }, 2000);
  EXPECT_EQ(number.Get().AsInt(), 4);
  click(2);
  click(2);  // the second click of a double click
  EXPECT_EQ(number.Get().AsInt(), 2);
  EXPECT_EQ(double_clicks, (std::vector<int>{2}));
  EXPECT_EQ(changes, (std::vector<int>{3, 4, 2}));
}

TEST_F(ListsTest, TheOwnerDrawRecordAsCompiledTextReadsIt) {
  DRAWITEMSTRUCT record = {};
  record.CtlType = ODT_COMBOBOX;
  record.CtlID = 4321;
  record.itemID = static_cast<UINT>(-1);
  record.itemAction = ODA_DRAWENTIRE;
  record.itemState = ODS_SELECTED | ODS_FOCUS;
  record.hwndItem = reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x12345678ABLL));
  record.hDC = reinterpret_cast<HDC>(static_cast<std::intptr_t>(0x7FFF00001111LL));
  record.rcItem = {10, 20, 110, 40};  // left, top, right, bottom
  record.itemData = static_cast<ULONG_PTR>(0xFEDCBA9876543210ULL);
  const Value r = xb::CallFunction("GETDRAWISR", {Value::Integer(reinterpret_cast<std::intptr_t>(&record))});
  ASSERT_TRUE(r.IsArray());
  const std::vector<std::int64_t> expected = {ODT_COMBOBOX, 4321, -1, ODA_DRAWENTIRE, ODS_SELECTED | ODS_FOCUS,
                                              0x12345678ABLL, 0x7FFF00001111LL, 20, 10, 40, 110,
                                              static_cast<std::int64_t>(0xFEDCBA9876543210ULL)};
  ASSERT_EQ(r.AsArray().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(r.AsArray().Get(i).AsInt(), expected[i]) << i + 1;
  EXPECT_TRUE(xb::CallFunction("GETDRAWISR", {Value::Integer(0)}).IsNil());
  for (const char* name : {"TCOMBOBOX", "TLISTBOX", "GETDRAWISR"}) EXPECT_TRUE(xb::IsFunctionRegistered(name)) << name;
  // The classes by their messages.
  xb::Value combo = xb::EvalMacro("TComboBox()");
  EXPECT_TRUE(xb::HasMessage(combo, xb::Intern("SETITEMS")));
  EXPECT_EQ(xb::EvalMacro("Len(TListBox():aProperties)").AsInt(), 12);
}

}  // namespace
}  // namespace ui
