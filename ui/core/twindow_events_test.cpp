// TWindow's message methods: what keys, mouse, commands, menus, colours, timers, drops and
// the management panel's records do.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <dde.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include <map>

#include "runtime/macro.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/palette_table.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/core/core_test_support.h"
#include "ui/core/help.h"
#include "ui/core/twindow.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

class TWindowEventsTest : public test::FrameworkTest {};

// Records the message methods a real window receives through its slot.
struct RecordingWindow : TWindow {
  std::vector<std::string> calls;
  void Add(std::string call) { calls.push_back(std::move(call)); }
  static std::string N(std::int64_t n) { return std::to_string(n); }

  Answer ReSize(int t, int w, int h) override {
    Add("ReSize(" + N(t) + "," + N(w) + "," + N(h) + ")");
    return TWindow::ReSize(t, w, h);
  }
  Answer KeyDown(int k, LPARAM f) override {
    Add("KeyDown(" + N(k) + "," + N(f) + ")");
    return Answer::Number(0);
  }
  Answer KeyChar(int k, LPARAM f) override {
    Add("KeyChar(" + N(k) + "," + N(f) + ")");
    return Answer::Number(0);
  }
  Answer LButtonDown(int r, int c, WPARAM k) override {
    Add("LButtonDown(" + N(r) + "," + N(c) + "," + N(static_cast<std::int64_t>(k)) + ")");
    return Answer::Number(0);
  }
  Answer MouseWheel(int k, int d, int x, int y) override {
    Add("MouseWheel(" + N(k) + "," + N(d) + "," + N(x) + "," + N(y) + ")");
    return Answer::Number(0);
  }
  Answer MenuSelect(int i, int f, HMENU m) override {
    Add("MenuSelect(" + N(i) + "," + N(f) + "," + N(reinterpret_cast<std::intptr_t>(m)) + ")");
    return Answer::Number(0);
  }
  Answer Command(WPARAM w, LPARAM l) override {
    Add("Command(" + N(static_cast<std::int64_t>(w)) + "," + N(l) + ")");
    return TWindow::Command(w, l);
  }
  Answer Timer(WPARAM id, LPARAM l) override {
    Add("Timer(" + N(static_cast<std::int64_t>(id)) + ")");
    return TWindow::Timer(id, l);
  }
  Answer BeginPaint() override {
    Add("BeginPaint");
    return TWindow::BeginPaint();
  }
  Answer Paint() override {
    Add("Paint");
    return TWindow::Paint();
  }
  Answer EndPaint() override {
    Add("EndPaint");
    return TWindow::EndPaint();
  }
  Answer Destroy() override {
    Add("Destroy");
    return TWindow::Destroy();
  }
  bool Saw(const std::string& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }
};

TEST_F(TWindowEventsTest, MessagesReachTheirMethodsThroughTheSlot) {
  auto w = Make<RecordingWindow>();
  HWND h = w->hWnd;
  SendMessageA(h, WM_KEYDOWN, VK_F5, 0x3F0001);
  SendMessageA(h, WM_CHAR, 'a', 1);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0xFFFF, 12));
  SendMessageA(h, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(0xFFF6, 300));
  SendMessageA(h, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  SendMessageA(h, WM_COMMAND, MAKEWPARAM(20001, 0), 0);
  MoveWindow(h, 50, 50, 250, 150, TRUE);
  const Rect c = w->GetCliRect();
  ShowWindow(h, SW_SHOWNOACTIVATE);
  InvalidateRect(h, nullptr, TRUE);
  UpdateWindow(h);
  ASSERT_EQ(SetTimer(h, 5, 10, nullptr), 5u);
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return w->Saw("Timer(5)"); }, 3000));
  KillTimer(h, 5);
  DestroyWindow(h);
  for (const char* expected : {"KeyDown(116,4128769)", "KeyChar(97,1)", "LButtonDown(12,-1,1)",
                               "MouseWheel(0,-120,-10,300)", "MenuSelect(0,65535,0)", "Command(20001,0)",
                               "Destroy"}) {
    EXPECT_TRUE(w->Saw(expected)) << expected;
  }
  EXPECT_TRUE(w->Saw("ReSize(0," + std::to_string(c.right) + "," + std::to_string(c.bottom) + ")"));
  const auto paint = std::find(w->calls.begin(), w->calls.end(), "BeginPaint");
  ASSERT_NE(paint, w->calls.end());
  ASSERT_LT(paint + 2, w->calls.end());
  EXPECT_EQ(*(paint + 1), "Paint");
  EXPECT_EQ(*(paint + 2), "EndPaint");
}

TEST_F(TWindowEventsTest, MouseBlocksGetRowColumnAndFlags) {
  auto w = Make();
  std::vector<std::int64_t> clicked, dbl, right;
  int on_click = 0;
  w->bLClicked = Blk([&](Args& a) {
    clicked = {a.Int(1), a.Int(2), a.Int(3)};
    return Value::Integer(7);
  });
  w->bLDblClick = Blk([&](Args& a) {
    dbl = {a.Int(1), a.Int(2)};
    return Value();
  });
  w->bRClicked = Blk([&](Args& a) {
    right = {a.Int(1), a.Int(2), a.Int(3)};
    EXPECT_EQ(a.Obj(4).get(), w.get());
    return Value::Integer(99);  // RButtonDown answers nothing, whatever the block says
  });
  w->OnClick = Blk([&](Args& a) {
    ++on_click;
    EXPECT_EQ(a.Obj(1).get(), w.get());
    return Value();
  });
  EXPECT_EQ(SendMessageA(w->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 20)), 7);
  EXPECT_EQ(clicked, (std::vector<std::int64_t>{20, 30, MK_LBUTTON}));
  SendMessageA(w->hWnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(3, 4));
  EXPECT_EQ(dbl, (std::vector<std::int64_t>{4, 3}));
  SendMessageA(w->hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 9));
  EXPECT_EQ(right, (std::vector<std::int64_t>{9, 8, MK_RBUTTON}));
  SendMessageA(w->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(on_click, 1);
  // Without bMMoved a mouse move answers 0; with it, the block's value.
  EXPECT_EQ(SendMessageA(w->hWnd, WM_MOUSEMOVE, 0, 0), 0);
  w->bMMoved = Blk([](Args&) { return Value::Integer(3); });
  EXPECT_EQ(SendMessageA(w->hWnd, WM_MOUSEMOVE, 0, 0), 3);
}

TEST_F(TWindowEventsTest, TabMovesAmongTheParentsControls) {
  auto parent = Make(40, 40, 300, 200);
  ShowWindow(parent->hWnd, SW_SHOW);
  SetForegroundWindow(parent->hWnd);
  std::vector<WindowRef> children;
  for (int i = 0; i < 3; ++i) {
    auto child = xb::MakeRef<TWindow>();
    TWindow::NewParams p;
    p.parent = parent;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
    p.pixel = true;
    p.top = 10 + i * 40;
    p.left = 10;
    p.bottom = p.top + 30;
    p.right = 200;
    child->New(p);
    parent->AddControl(child);
    children.push_back(child);
  }
  vdr::test::PumpPending();
  SetFocus(children[0]->hWnd);
  ASSERT_EQ(GetFocus(), children[0]->hWnd);
  SendMessageA(children[0]->hWnd, WM_KEYDOWN, VK_TAB, 1);
  EXPECT_EQ(GetFocus(), children[1]->hWnd);
  EXPECT_EQ(parent->hCtlFocus, children[1]->hWnd);
  EXPECT_EQ(parent->FirstActiveCtrl().get(), children[0].get());
  EXPECT_EQ(parent->LastActiveCtrl().get(), children[2].get());
  children[2]->Disable();
  EXPECT_EQ(parent->LastActiveCtrl().get(), children[1].get());
  // The parent getting the focus back gives it to the child that had it.
  SetFocus(parent->hWnd);
  EXPECT_EQ(GetFocus(), children[1]->hWnd);
}

TEST_F(TWindowEventsTest, KeysGoToHandlersBlocksAndTheParent) {
  auto parent = Make();
  auto child = xb::MakeRef<TWindow>();
  TWindow::NewParams p;
  p.parent = parent;
  p.style = WS_CHILD | WS_VISIBLE;
  p.pixel = true;
  p.top = p.left = 5;
  p.bottom = p.right = 50;
  child->New(p);
  std::vector<std::int64_t> parent_keys;
  parent->bKeyDown = Blk([&](Args& a) {
    parent_keys.push_back(a.Int(1));
    return Value::Integer(1);
  });
  // A child without its own block passes the key up; the answer there is not the child's.
  EXPECT_EQ(SendMessageA(child->hWnd, WM_KEYDOWN, 'X', 0), 0);
  EXPECT_EQ(parent_keys, std::vector<std::int64_t>{'X'});
  EXPECT_EQ(child->nLastKey, 'X');

  // A key handler set with SETKEY runs with the procedure name, line and the window.
  int handled = 0;
  xb::RegisterFunction("SETKEY", [&](Args& a) -> Value {
    if (a.Int(1) != VK_F5) return Value();
    return Blk([&](Args& b) {
      ++handled;
      EXPECT_TRUE(b.Arg(1).IsString());
      EXPECT_EQ(b.Obj(3).get(), child.get());
      return Value();
    });
  });
  EXPECT_EQ(SendMessageA(child->hWnd, WM_KEYDOWN, VK_F5, 0), 0);
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(parent_keys.size(), 1u);

  // Escape typed in a child goes on to the parent's KeyChar.
  std::vector<std::int64_t> chars;
  parent->bKeyChar = Blk([&](Args& a) {
    chars.push_back(a.Int(1));
    return Value();
  });
  SendMessageA(child->hWnd, WM_CHAR, VK_ESCAPE, 1);
  SendMessageA(child->hWnd, WM_CHAR, 'q', 1);
  EXPECT_EQ(chars, std::vector<std::int64_t>{VK_ESCAPE});
}

// A child's Escape reaches its parent whatever the child's bKeyChar answers; other keys
// stay with the child. A key handler for an extended key answers for it.
TEST_F(TWindowEventsTest, EscapeGoesOnToTheParentAfterTheChildsBlock) {
  auto parent = Make();
  auto child = xb::MakeRef<TWindow>();
  TWindow::NewParams p;
  p.parent = parent;
  p.style = WS_CHILD | WS_VISIBLE;
  p.pixel = true;
  p.top = p.left = 5;
  p.bottom = p.right = 50;
  child->New(p);
  std::vector<std::int64_t> reached;
  parent->bKeyChar = Blk([&](Args& a) {
    reached.push_back(a.Int(1));
    return Value();
  });
  struct Case {
    int key;
    bool child_block;
    Answer answer;
    bool parent_sees;
  };
  const Case cases[] = {
      {VK_ESCAPE, false, Answer{}, true},
      {VK_ESCAPE, true, Answer::Number(5), true},
      {'q', true, Answer::Number(5), false},
      {'q', false, Answer{}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.key) + (c.child_block ? " with block" : " without block"));
    reached.clear();
    std::vector<std::int64_t> own;
    child->bKeyChar = c.child_block ? Blk([&](Args& a) {
      own.push_back(a.Int(1));
      return Value::Integer(5);
    })
                                    : Value();
    EXPECT_EQ(child->KeyChar(c.key, 1), c.answer);
    EXPECT_EQ(own.size(), c.child_block ? 1u : 0u);
    EXPECT_EQ(reached, c.parent_sees ? std::vector<std::int64_t>{c.key} : std::vector<std::int64_t>{});
  }

  // An extended key (bit 24) with a handler: the handler's value is the answer, and neither
  // block runs.
  xb::RegisterFunction("SETKEY", [](Args& a) -> Value {
    if (a.Int(1) != VK_RETURN) return Value();
    return Blk([](Args&) { return Value::Integer(9); });
  });
  reached.clear();
  child->bKeyChar = Blk([&](Args&) {
    ADD_FAILURE() << "the handler took the key";
    return Value();
  });
  EXPECT_EQ(child->KeyChar(VK_RETURN, 1 << 24), Answer::Number(9));
  child->bKeyChar = Value();
  EXPECT_EQ(child->KeyChar(VK_RETURN, 1), Answer{});  // not extended: no handler
  EXPECT_TRUE(reached.empty());
}

// A DDE broadcast is acknowledged only by a window whose bDdeInit takes it: a window that
// answered every one would pose as the server of any program and topic.
TEST_F(TWindowEventsTest, DdeInitiateIsAcknowledgedOnlyWhenTheBlockTakesIt) {
  auto server = Make();
  struct Acks {
    std::vector<std::string> seen;
  } acks;
  HWND client = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(client);
  SetWindowSubclass(client, [](HWND hw, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) -> LRESULT {
    if (m == WM_DDE_ACK) {
      char application[64] = {}, topic[64] = {};
      GlobalGetAtomNameA(LOWORD(lp), application, sizeof application);
      GlobalGetAtomNameA(HIWORD(lp), topic, sizeof topic);
      GlobalDeleteAtom(LOWORD(lp));
      GlobalDeleteAtom(HIWORD(lp));
      reinterpret_cast<Acks*>(data)->seen.push_back(std::string(application) + "|" + topic);
      return 0;
    }
    return DefSubclassProc(hw, m, wp, lp);
  }, 1, reinterpret_cast<DWORD_PTR>(&acks));
  struct Case {
    const char* name;
    Value block;
    bool acknowledged;
  };
  std::vector<std::string> asked;
  auto answering = [&](Value answer) {
    return Blk([&asked, answer](Args& a) {
      asked.push_back(std::string(a.Str(2)) + "|" + std::string(a.Str(3)));
      return answer;
    });
  };
  const Case cases[] = {
      {"without block", Value(), false},
      {"block answers .F.", answering(Value::Logical(false)), false},
      {"block answers .T.", answering(Value::Logical(true)), true},
      {"block answers NIL", answering(Value()), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    acks.seen.clear();
    asked.clear();
    server->bDdeInit = c.block;
    const ATOM application = GlobalAddAtomA("VdrServicio");
    const ATOM topic = GlobalAddAtomA("Sistema");
    SendMessageA(server->hWnd, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(client), MAKELPARAM(application, topic));
    GlobalDeleteAtom(application);
    GlobalDeleteAtom(topic);
    EXPECT_EQ(asked, c.block.IsNil() ? std::vector<std::string>{} : std::vector<std::string>{"VdrServicio|Sistema"});
    EXPECT_EQ(acks.seen, c.acknowledged ? std::vector<std::string>{"VdrServicio|Sistema"} : std::vector<std::string>{});
  }
  EXPECT_EQ(GlobalFindAtomA("VdrServicio"), 0) << "every atom was deleted";
}

TEST_F(TWindowEventsTest, F1WithoutHelpFileSaysSo) {
  auto w = Make();
  SetHelpFile("");
  vdr::test::DialogAnswerer answerer([](const vdr::test::SeenDialog& d) {
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  EXPECT_EQ(SendMessageA(w->hWnd, WM_KEYDOWN, VK_F1, 0), 0);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, " Atención");
  EXPECT_EQ(answerer.seen()[0].AllText(), "No hay fichero de ayuda disponible.");
  // No help file and no topic: both read as empty texts.
  EXPECT_EQ(xb::EvalMacro("GETHELPFILE()").AsString(), "");
  EXPECT_EQ(xb::EvalMacro("GETHELPTOPIC()").AsString(), "");
  EXPECT_EQ(xb::EvalMacro("SETHELPTOPIC( 12 ), GETHELPTOPIC()").AsInt(), 12);
  EXPECT_EQ(xb::EvalMacro("SETHELPTOPIC( NIL ), GETHELPTOPIC()").AsString(), "");
  // A run nobody watches is told and goes on.
  std::vector<std::string> told;
  SetUnattended([&](std::string_view title, std::string_view text) { told.push_back(std::string(title) + "|" + std::string(text)); });
  EXPECT_FALSE(xb::EvalMacro("HELPINDEX()").AsLogical());
  SetUnattended({});
  EXPECT_EQ(told, std::vector<std::string>{" Atención|No hay fichero de ayuda disponible."});
  EXPECT_EQ(answerer.seen().size(), 1u);
}

// The middle button with Ctrl held opens the inspector on the window's object; without Ctrl
// nothing opens.
TEST_F(TWindowEventsTest, CtrlAndTheMiddleButtonInspectTheWindow) {
  auto w = Make();
  w->Cargo = Value::String("carga");
  std::vector<std::string> items;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) {
    HWND list = FindWindowExA(d.hwnd, nullptr, "ListBox", nullptr);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[512] = {};
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.emplace_back(text);
    }
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\core_object_inspector.bmp"));
    return d.ButtonId("Aceptar");
  });
  SendMessageA(w->hWnd, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(10, 10));
  EXPECT_TRUE(answerer.seen().empty());
  SendMessageA(w->hWnd, WM_MBUTTONDOWN, MK_MBUTTON | MK_CONTROL, MAKELPARAM(10, 10));
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, "TWINDOW");
  auto has = [&](const std::string& line) { return std::find(items.begin(), items.end(), line) != items.end(); };
  EXPECT_TRUE(has("CARGO           C \"carga\""));
  EXPECT_TRUE(has("CCAPTION        C \"Prueba\""));
  EXPECT_TRUE(has("LVISIBLE        L .t."));
  EXPECT_TRUE(has("OWND            U "));
  // From text, by either name.
  items.clear();
  xb::CallFunction("OINSPECT2", {w->Self()});
  EXPECT_EQ(answerer.seen().size(), 2u);
  EXPECT_TRUE(has("CARGO           C \"carga\""));
}

TEST_F(TWindowEventsTest, CommandsOfControlsGoBackToThemAsPrivateMessages) {
  auto w = Make();
  std::map<UINT, int> got;
  HWND control = CreateWindowA("STATIC", "x", WS_CHILD, 0, 0, 10, 10, w->hWnd, nullptr, nullptr, nullptr);
  SetWindowSubclass(control, [](HWND hw, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) -> LRESULT {
    if (m >= 2048 && m <= 2070) (*reinterpret_cast<std::map<UINT, int>*>(data))[m]++;
    return DefSubclassProc(hw, m, wp, lp);
  }, 1, reinterpret_cast<DWORD_PTR>(&got));
  const LPARAM l = reinterpret_cast<LPARAM>(control);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), l);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(101, 1), l);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(101, 8), l);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(101, 5), l);
  EXPECT_EQ(got[kFwClick], 1);
  EXPECT_EQ(got[kFwChange], 1);
  EXPECT_EQ(got[kFwCommand8], 1);
  EXPECT_EQ(got.size(), 3u);
  RemoveWindowSubclass(control, nullptr, 1);
}

// A menu for the tests: items 1..n with prompts; records what the window asks.
struct FakeItem : WindowMenuItem {
  std::string prompt;
  bool block = false;
  std::string Prompt() const override { return prompt; }
  bool HasBlockAction() const override { return block; }
  bool IsSubMenu() const override { return false; }
  HBITMAP Bitmap() const override { return nullptr; }
  std::string Message() const override { return "msg " + prompt; }
  void HelpTopic() override {}
};

struct FakeMenu : xb::Object, WindowMenu {
  FakeMenu() : xb::Object(Cls()) {
    menu = CreateMenu();
    for (const char* p : {"&Archivo", "&Editar", "Ay&uda"}) {
      auto item = std::make_unique<FakeItem>();
      item->prompt = p;
      AppendMenuA(menu, MF_STRING, 20001 + items.size(), p);
      items.push_back(std::move(item));
    }
  }
  static const xb::Class& Cls() {
    static const xb::Class& c = xb::Class::Define("TFAKEMENU");
    return c;
  }
  HMENU hMenu() const override { return menu; }
  void SetWindow(TWindow* w) override { owner = w; }
  void ActivateAccelerators() override { ++accelerators; }
  void Command(int id) override { commands.push_back(id); }
  WindowMenuItem* GetMenuItem(int id) override {
    const int i = id - 20001;
    return i >= 0 && i < static_cast<int>(items.size()) ? items[static_cast<size_t>(i)].get() : nullptr;
  }
  WindowMenu* GetSubMenu(HMENU) override { return nullptr; }
  int ItemCount() const override { return static_cast<int>(items.size()); }
  WindowMenuItem* Item(int i) override { return items[static_cast<size_t>(i)].get(); }
  void Initiate(HMENU h) override { initiated.push_back(h); }
  void Destroy() override { ++destroyed; }
  void End() override {}
  void DrawItem(WindowMenuItem&, DRAWITEMSTRUCT*) override {}

  HMENU menu = nullptr;
  TWindow* owner = nullptr;
  int accelerators = 0;
  int destroyed = 0;
  std::vector<int> commands;
  std::vector<HMENU> initiated;
  std::vector<std::unique_ptr<FakeItem>> items;
};

TEST_F(TWindowEventsTest, MenusGetTheirCommandsHotKeysAndSelection) {
  auto menu = xb::MakeRef<FakeMenu>();
  TWindow::NewParams p;
  p.menu = menu;
  auto w = Make(40, 40, 300, 200, p);
  EXPECT_EQ(GetMenu(w->hWnd), menu->menu);
  EXPECT_EQ(menu->owner, w.get());
  EXPECT_EQ(menu->accelerators, 1);

  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(20002, 0), 0);
  EXPECT_EQ(menu->commands, std::vector<int>{20002});

  // The hot key's item, counted from 0, with MNC_EXECUTE; no match is 0.
  EXPECT_EQ(SendMessageA(w->hWnd, WM_MENUCHAR, MAKEWPARAM('u', MF_POPUP), reinterpret_cast<LPARAM>(menu->menu)),
            MAKELRESULT(2, MNC_EXECUTE));
  EXPECT_EQ(SendMessageA(w->hWnd, WM_MENUCHAR, MAKEWPARAM('z', MF_POPUP), reinterpret_cast<LPARAM>(menu->menu)), 0);

  int selections = 0;
  w->bMenuSelect = Blk([&](Args&) {
    ++selections;
    return Value();
  });
  SendMessageA(w->hWnd, WM_MENUSELECT, MAKEWPARAM(20001, MF_HILITE), reinterpret_cast<LPARAM>(menu->menu));
  EXPECT_EQ(TWindow::oMItemSelect, menu->items[0].get());
  SendMessageA(w->hWnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // closed
  EXPECT_EQ(TWindow::oMItemSelect, nullptr);
  EXPECT_EQ(selections, 2);

  SendMessageA(w->hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu->menu), MAKELPARAM(0, 0));
  EXPECT_FALSE(menu->initiated.empty());

  MEASUREITEMSTRUCT measure = {};
  measure.CtlType = ODT_MENU;
  measure.itemID = 20001;
  SendMessageA(w->hWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
  EXPECT_GT(measure.itemWidth, 20u);
  const UINT plain = measure.itemWidth;
  menu->items[0]->block = true;
  SendMessageA(w->hWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
  EXPECT_EQ(measure.itemWidth, plain + 20);

  DestroyWindow(w->hWnd);
  EXPECT_EQ(menu->destroyed, 1);
}

TEST_F(TWindowEventsTest, StaticControlsPaintTransparentlyOnTheWindowsBrush) {
  TWindow::NewParams p;
  p.clr_text = RGB(1, 2, 3);
  p.clr_pane = RGB(200, 100, 50);
  auto w = Make(40, 40, 300, 200, p);
  HWND label = CreateWindowA("STATIC", "Etiqueta", WS_CHILD | WS_VISIBLE, 5, 5, 100, 20, w->hWnd, nullptr,
                             nullptr, nullptr);
  HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 5, 40, 100, 20, w->hWnd, nullptr, nullptr, nullptr);
  MemorySurface s(4, 4);
  const LRESULT brush = SendMessageA(w->hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(s.dc()),
                                     reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), w->oBrush->hBrush);
  EXPECT_EQ(GetBkMode(s.dc()), TRANSPARENT);
  EXPECT_EQ(GetTextColor(s.dc()), RGB(1, 2, 3));
  // An edit field without an object keeps Windows' own colours.
  const LRESULT edit_brush = SendMessageA(w->hWnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(s.dc()),
                                          reinterpret_cast<LPARAM>(edit));
  EXPECT_EQ(edit_brush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
}

TEST_F(TWindowEventsTest, ManagementPanelRecordsAnswerZeroWithoutSpools) {
  auto w = Make();
  int asked = 0;
  xb::RegisterFunction("QZGETMSG", [&](Args&) {
    ++asked;
    return Value::Integer(1001);
  });
  char text[] = "hola";
  COPYDATASTRUCT record = {1001, sizeof text, text};
  EXPECT_EQ(SendMessageA(w->hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)), 0);
  EXPECT_EQ(asked, 1);
  // With a mail spool, the record goes to it.
  static int read = 0;
  read = 0;
  static const xb::Class& spool_class = xb::Class::Define("TTESTSPOOL").Method("READINFO", [](xb::Object&, Args& a) {
    ++read;
    EXPECT_NE(a.Int(1), 0);
    return Value();
  });
  xb::ObjectRef spool = spool_class.New();
  xb::RegisterFunction("OMAILSPOOL", [&](Args&) { return Value(spool); });
  EXPECT_EQ(SendMessageA(w->hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)), 0);
  EXPECT_EQ(read, 1);
  xb::RegisterFunction("OMAILSPOOL", [](Args&) { return Value(); });
  xb::RegisterFunction("QZGETMSG", [](Args&) { return Value::Integer(0); });
}

TEST_F(TWindowEventsTest, TimersReachTheTimerClassByIdentifier) {
  auto w = Make();
  std::vector<std::int64_t> ids;
  xb::RegisterFunction("TIMEREVENT", [&](Args& a) {
    ids.push_back(a.Int(1));
    return Value::Integer(0);
  });
  SetTimer(w->hWnd, 12, 10, nullptr);
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !ids.empty(); }, 3000));
  KillTimer(w->hWnd, 12);
  EXPECT_EQ(ids.front(), 12);
  xb::RegisterFunction("TIMEREVENT", [](Args&) { return Value(); });
}

// Palette messages reach the table of bitmaps with palettes: a new palette repaints the
// foreground bitmap's window, a changed one every other window with a palette.
TEST_F(TWindowEventsTest, PaletteMessagesRepaintTheWindowsWithPalettes) {
  auto a = Make(40, 40, 200, 120);
  auto b = Make(40, 260, 200, 120);
  for (const auto& w : {a, b}) ShowWindow(w->hWnd, SW_SHOWNA);
  vdr::test::PumpPending();
  auto palette = [] {
    struct {
      WORD version = 0x300;
      WORD count = 1;
      PALETTEENTRY entries[1] = {{10, 20, 30, 0}};
    } log;
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
  };
  HBITMAP bmp_a = CreateBitmap(4, 4, 1, 32, nullptr), bmp_b = CreateBitmap(4, 4, 1, 32, nullptr);
  HPALETTE pal_a = palette(), pal_b = palette();
  PalBmpNew(a->hWnd, bmp_a, pal_a);
  PalBmpNew(b->hWnd, bmp_b, pal_b);  // the newest is the foreground one
  auto needs_paint = [](const WindowRef& w) { return GetUpdateRect(w->hWnd, nullptr, FALSE) != FALSE; };
  for (const auto& w : {a, b}) ValidateRect(w->hWnd, nullptr);
  SendMessageA(a->hWnd, WM_QUERYNEWPALETTE, 0, 0);
  EXPECT_TRUE(needs_paint(b));
  EXPECT_FALSE(needs_paint(a));
  for (const auto& w : {a, b}) ValidateRect(w->hWnd, nullptr);
  SendMessageA(b->hWnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(b->hWnd), 0);
  EXPECT_TRUE(needs_paint(a));
  EXPECT_FALSE(needs_paint(b));
  PalBmpFree(bmp_a, pal_a);
  PalBmpFree(bmp_b, pal_b);
}

TEST_F(TWindowEventsTest, DroppedFilesReachTheBlockWithTheirPoint) {
  auto w = Make();
  std::vector<std::string> files;
  std::vector<std::int64_t> at;
  TWindow::ActivateParams a;
  a.drop_files = Blk([&](Args& args) {
    at = {args.Int(1), args.Int(2)};
    for (const Value& f : args.Arr(3)) files.emplace_back(f.AsString());
    return Value();
  });
  // A second window is not the first top-level one of a loop: Activate returns.
  SetLoopRunning(true);
  w->Activate(a);
  SetLoopRunning(false);
  EXPECT_NE(GetWindowLongA(w->hWnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);

  // A DROPFILES block as Explorer makes it: two names, each ended by a NUL, then one more.
  const char names[] = "C:\\uno.txt\0C:\\dos.dbf\0";
  const SIZE_T size = sizeof(DROPFILES) + sizeof names;
  HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* head = static_cast<DROPFILES*>(GlobalLock(drop));
  head->pFiles = sizeof(DROPFILES);
  head->pt = {33, 44};
  std::memcpy(reinterpret_cast<char*>(head) + sizeof(DROPFILES), names, sizeof names);
  GlobalUnlock(drop);
  SendMessageA(w->hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(files, (std::vector<std::string>{"C:\\uno.txt", "C:\\dos.dbf"}));
  EXPECT_EQ(at, (std::vector<std::int64_t>{44, 33}));
  EXPECT_EQ(w->hDrop, reinterpret_cast<HDROP>(drop));
  DestroyWindow(w->hWnd);  // finishes the drop
}

TEST_F(TWindowEventsTest, ToolTipShowsTheTextBelowTheWindowAndGoes) {
  auto w = Make(100, 100, 200, 60);
  w->cToolTip = Value::String("Añadir usuario\r\nSegunda línea");
  const int windows_before = NWindows();
  w->ShowToolTip();
  // The tip is a window of its own, in light yellow, below the window's top-left corner.
  HWND tip = nullptr;
  for (const WindowRef& each : GetAllWin()) {
    if (each && each.get() != w.get() && each->nClrPane == 14811135) tip = each->hWnd;
  }
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(IsWindowVisible(tip));
  RECT r;
  GetWindowRect(tip, &r);
  POINT corner = {7, w->nHeight() + 7};
  ClientToScreen(w->hWnd, &corner);
  EXPECT_EQ(r.top, corner.y);
  EXPECT_EQ(r.left, corner.x);
  EXPECT_GT(r.bottom - r.top, 28);  // two lines
  EXPECT_EQ(GetWndDefault().get(), w.get());  // the tip did not become the default window
  UpdateWindow(tip);
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(tip, vdr::test::ScreenshotFolder() + "\\core_tooltip.bmp"));
  SendMessageA(w->hWnd, WM_NCMOUSEMOVE, HTCAPTION, 0);
  EXPECT_FALSE(IsWindow(tip));
  EXPECT_GE(NWindows(), windows_before);
}

TEST_F(TWindowEventsTest, AControlKeepsWorkingUnderItsObject) {
  auto parent = Make();
  HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 150, 22, parent->hWnd,
                            reinterpret_cast<HMENU>(101), GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  const LONG_PTR edit_proc = GetWindowLongPtrA(edit, GWLP_WNDPROC);
  auto control = xb::MakeRef<TWindow>();
  control->hWnd = edit;
  control->oWnd = parent;
  control->Link();
  parent->AddControl(control);
  ASSERT_NE(control->Slot(), 0);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(control->nOldProc), edit_proc);
  std::vector<std::int64_t> keys;
  control->bKeyDown = Blk([&](Args& a) {
    keys.push_back(a.Int(1));
    return Value();  // nothing: the edit field handles the key too
  });
  for (char c : std::string("hola")) SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
  SendMessageA(edit, WM_KEYDOWN, VK_HOME, 1);
  SendMessageA(edit, WM_CHAR, 'X', 1);
  EXPECT_EQ(vdr::test::WindowText(edit), "Xhola");
  EXPECT_EQ(keys, std::vector<std::int64_t>{VK_HOME});
  const int slot = control->Slot();
  DestroyWindow(parent->hWnd);  // the edit field goes with its parent
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_EQ(control->hWnd, nullptr);
  EXPECT_FALSE(WindowInSlot(slot));
  EXPECT_TRUE(parent->aControls.empty());  // the cycle parent-control is broken
}

}  // namespace
}  // namespace ui
