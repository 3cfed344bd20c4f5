// The multi-line edit: its text stored whole on focus loss, read-only refusals, selection and
// lines through the clipboard, its edit menu; and the memo editor built on it.
#include "ui/controls/tmultiget.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/function_table.h"
#include "tests/support/dialog_answerer.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/memo_edit.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tget.h"
#include "ui/core/tclipboard.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmsgbar.h"

namespace ui {
namespace {

using test::PressKeys;
using vdr::test::WindowText;
using xb::Value;

class MultiGetTest : public test::ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    window_ = Make(30, 30, 420, 300);
    ShowWindow(window_->hWnd, SW_SHOW);
  }
  xb::Ref<TMultiGet> Edit(const std::string& text, bool read_only = false) {
    value_ = SetGet::Of(Value::String(text));
    auto edit = xb::MakeRef<TMultiGet>();
    TMultiGet::NewParams p;
    p.row = 10;
    p.col = 10;
    p.set_get = value_.block;
    p.parent = window_;
    p.width = 300;
    p.height = 150;
    p.pixel = true;
    p.read_only = read_only;
    edit->New(p);
    return edit;
  }
  // A second field to take the focus.
  HWND Other() {
    if (other_ == nullptr) {
      other_ = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 10, 200, 200, 22,
                             window_->hWnd, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    return other_;
  }
  std::string Stored() const { return std::string(value_.Get().AsString()); }
  static std::string Clipboard() {
    auto clip = xb::MakeRef<TClipBoard>();
    clip->New();
    return clip->GetText();
  }
  static void Select(const TMultiGet& edit, int start, int end) {
    SendMessageA(edit.hWnd, EM_SETSEL, static_cast<WPARAM>(start), end);
  }
  static vdr::test::DialogAnswerer::Chooser FirstButton() {
    return [](const vdr::test::SeenDialog& d) { return d.buttons.empty() ? 0 : d.buttons.front().id; };
  }

  xb::Ref<TWindow> window_;
  SetGet value_;
  HWND other_ = nullptr;
};

TEST_F(MultiGetTest, LeavingTheControlStoresTheWholeTextWithItsLineBreaks) {
  auto edit = Edit("primera");
  ASSERT_NE(edit->hWnd, nullptr);
  EXPECT_EQ(WindowText(edit->hWnd), "primera");
  const auto style = static_cast<DWORD>(GetWindowLongA(edit->hWnd, GWL_STYLE));
  EXPECT_NE(style & ES_MULTILINE, 0u);
  EXPECT_NE(style & ES_WANTRETURN, 0u);
  EXPECT_NE(style & WS_VSCROLL, 0u);

  std::string long_text;
  for (int i = 1; i <= 400; ++i) long_text += "Línea número " + std::to_string(i) + " del albarán\r\n";
  ASSERT_GT(long_text.size(), 10000u);
  SetFocus(edit->hWnd);
  SetWindowTextA(edit->hWnd, long_text.c_str());
  SetFocus(Other());
  vdr::test::PumpPending();
  EXPECT_EQ(Stored(), long_text);

  // Typing, as a person does: Enter makes a new line.
  SetForegroundWindow(window_->hWnd);
  SetFocus(edit->hWnd);
  SetWindowTextA(edit->hWnd, "");
  PressKeys({'A'});
  PressKeys({VK_RETURN});
  PressKeys({'B'});
  vdr::test::PumpUntil([&] { return WindowText(edit->hWnd).size() >= 4; }, 2000);
  SetFocus(Other());
  vdr::test::PumpPending();
  EXPECT_EQ(Stored(), "a\r\nb");
  Screenshot(window_->hWnd, "multiget_typed");

  // Refresh shows the value again; the runtime's messages reach the same.
  value_.Put(Value::String("desde el valor"));
  xb::Send(edit->Self(), "REFRESH");
  EXPECT_EQ(xb::Send(edit->Self(), "CTEXT").AsString(), "desde el valor");
}

TEST_F(MultiGetTest, AReadOnlyControlRefusesEveryEdit) {
  auto edit = Edit("fijo\r\nsegunda", true);
  EXPECT_EQ(GetWindowLongA(edit->hWnd, GWL_STYLE) & WS_TABSTOP, 0);
  vdr::test::DialogAnswerer answerer(FirstButton());
  Select(*edit, 0, 4);
  edit->Cut();
  edit->Del();
  ASSERT_EQ(answerer.seen().size(), 2u);
  EXPECT_EQ(answerer.seen()[0].title, "Can't cut");
  EXPECT_NE(answerer.seen()[0].AllText().find("The get is read only!"), std::string::npos);
  EXPECT_EQ(answerer.seen()[1].title, "Can't delete");
  edit->Paste("pegado");
  EXPECT_EQ(WindowText(edit->hWnd), "fijo\r\nsegunda");

  SetForegroundWindow(window_->hWnd);
  SetFocus(edit->hWnd);
  Select(*edit, 0, 0);
  PressKeys({'X'});
  PressKeys({VK_DELETE});
  PressKeys({VK_RETURN});
  PressKeys({VK_BACK});
  vdr::test::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(WindowText(edit->hWnd), "fijo\r\nsegunda");
  SetFocus(Other());
  vdr::test::PumpPending();
  EXPECT_EQ(Stored(), "fijo\r\nsegunda");
}

TEST_F(MultiGetTest, TheSelectionAndLinesGoThroughTheClipboard) {
  auto edit = Edit("abcdef");
  Select(*edit, 2, 4);
  EXPECT_EQ(edit->GetSel(), "cd");
  edit->Copy();
  EXPECT_EQ(Clipboard(), "cd");
  Select(*edit, 3, 3);
  EXPECT_EQ(edit->GetSel(), "");

  int changes = 0;
  edit->bChange = test::Blk([&](xb::Args&) {
    ++changes;
    return Value();
  });
  SetWindowTextA(edit->hWnd, "uno\r\ndos\r\ntres");
  Select(*edit, 7, 7);  // in "dos"
  EXPECT_EQ(edit->GetRow(), 2);
  EXPECT_EQ(edit->GetCol(), 3);
  xb::Send(edit->Self(), "DELLINE", {Value::Integer(2)});
  EXPECT_EQ(WindowText(edit->hWnd), "uno\r\ntres");
  EXPECT_EQ(Stored(), "uno\r\ntres");
  EXPECT_EQ(Clipboard(), "dos\r\n");
  EXPECT_EQ(changes, 1);
  edit->DelLine(2);  // the last line has no break after it
  EXPECT_EQ(WindowText(edit->hWnd), "uno\r\n");

  edit->Paste("pegado");
  EXPECT_EQ(Clipboard(), "pegado");
  EXPECT_EQ(Stored(), "uno\r\npegado");
  Select(*edit, 0, 3);
  edit->Cut();
  EXPECT_EQ(Clipboard(), "uno");
  EXPECT_EQ(Stored(), "\r\npegado");
  edit->UnDo();
  EXPECT_EQ(Stored(), "uno\r\npegado");
}

TEST_F(MultiGetTest, TheRightButtonShowsTheEditMenuAndPrintingSaysThePrinterIsNotReady) {
  auto edit = Edit("texto del menú");
  ASSERT_TRUE(xb::Send(xb::Send(xb::CallFunction("TCLIPBOARD"), "NEW"), "SETTEXT", {Value::String("algo")}).AsLogical());
  SetForegroundWindow(window_->hWnd);
  SetFocus(edit->hWnd);
  Select(*edit, 0, 5);
  std::vector<std::string> prompts;
  std::vector<bool> active;
  bool shown = false;
  test::DuringMenu during({[&] {
                             HWND open = test::OpenMenuWindow();
                             shown = open != nullptr;
                             if (open == nullptr) return;
                             auto menu = reinterpret_cast<HMENU>(SendMessageA(open, MN_GETHMENU, 0, 0));
                             if (TMenu* own = TMenu::GetPopup(menu)) {
                               for (const auto& item : own->aItems) {
                                 prompts.push_back(item->cPrompt);
                                 active.push_back(item->lActive);
                               }
                             }
                             Screenshot(open, "multiget_edit_menu");
                             Screenshot(window_->hWnd, "multiget_with_menu");
                             EndMenu();
                           }},
                          250);
  SendMessageA(edit->hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(120, 100));
  EXPECT_TRUE(during.fired());
  ASSERT_TRUE(shown);
  EXPECT_EQ(prompts, (std::vector<std::string>{"&Undo", "", "Cu&t", "&Copy", "&Paste", "&Delete", "", "P&rint", "",
                                               "Select &All"}));
  ASSERT_EQ(active.size(), 10u);
  EXPECT_TRUE(active[2] && active[3] && active[4] && active[5]) << "a selection and text on the clipboard";

  // Read-only with nothing selected: cut, copy, paste and delete are off.
  auto fixed = Edit("fijo", true);
  SetFocus(fixed->hWnd);
  Select(*fixed, 0, 0);
  active.clear();
  prompts.clear();
  test::DuringMenu again({[&] {
                            HWND open = test::OpenMenuWindow();
                            if (open == nullptr) return;
                            auto menu = reinterpret_cast<HMENU>(SendMessageA(open, MN_GETHMENU, 0, 0));
                            if (TMenu* own = TMenu::GetPopup(menu)) {
                              for (const auto& item : own->aItems) active.push_back(item->lActive);
                            }
                            EndMenu();
                          }},
                         250);
  SendMessageA(fixed->hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(80, 70));
  ASSERT_EQ(active.size(), 10u);
  EXPECT_FALSE(active[2] || active[3] || active[4] || active[5]);
  EXPECT_TRUE(active[7] && active[9]);

  vdr::test::DialogAnswerer answerer(FirstButton());
  edit->Print();
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_NE(answerer.seen()[0].AllText().find("Printer not ready!"), std::string::npos);
}

// Printing through the framework's printer, here a stand-in that records the job, its pages
// and where each line goes: 60 lines a page, each a sixtieth of the page's height lower.
TEST_F(MultiGetTest, PrintingPutsSixtyLinesOnAPage) {
  struct Printed {
    std::string job;
    int pages = 0;
    bool ended = false;
    std::vector<std::pair<int, std::string>> lines;  // {row on its page, text}
    std::vector<int> page_of_line;
  };
  static Printed printed;
  const xb::FunctionTableSnapshot functions = xb::FunctionTableSnapshot::Take();
  HDC dc = CreateCompatibleDC(nullptr);
  static HDC printer_dc = nullptr;
  printer_dc = dc;
  static const xb::Class& printer = [] () -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TPRUEBAIMPRESORA");
    c.Method("HDC", [](xb::Object&, xb::Args&) { return Value::Integer(reinterpret_cast<std::intptr_t>(printer_dc)); });
    c.Method("NVERTRES", [](xb::Object&, xb::Args&) { return Value::Integer(1200); });
    c.Method("SAY", [](xb::Object&, xb::Args& a) {
      printed.lines.emplace_back(static_cast<int>(a.Int(1)), std::string(a.Str(3)));
      printed.page_of_line.push_back(printed.pages);
      return Value();
    });
    return c;
  }();
  xb::RegisterFunction("PRINTBEGIN", [](xb::Args& a) {
    printed.job = std::string(a.Str(1));
    return Value(printer.New());
  });
  xb::RegisterFunction("PAGEBEGIN", [](xb::Args&) { ++printed.pages; return Value(); });
  xb::RegisterFunction("PAGEEND", [](xb::Args&) { return Value(); });
  xb::RegisterFunction("PRINTEND", [](xb::Args&) { printed.ended = true; return Value(); });
  struct Case {
    int lines;
    int pages;
  } cases[] = {{3, 1}, {60, 1}, {61, 2}, {121, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    printed = Printed{};
    std::string text;
    for (int i = 1; i <= c.lines; ++i) text += (i > 1 ? "\r\n" : "") + ("Línea " + std::to_string(i));
    auto edit = Edit(text);
    edit->Print();
    EXPECT_EQ(printed.job, "Notes");
    EXPECT_EQ(printed.pages, c.pages);
    EXPECT_TRUE(printed.ended);
    ASSERT_EQ(printed.lines.size(), static_cast<std::size_t>(c.lines));
    for (int i = 0; i < c.lines; ++i) {
      EXPECT_EQ(printed.lines[static_cast<std::size_t>(i)].second, "Línea " + std::to_string(i + 1));
      EXPECT_EQ(printed.lines[static_cast<std::size_t>(i)].first, i % 60 * 20) << "line " << i + 1;  // 1200 / 60
      EXPECT_EQ(printed.page_of_line[static_cast<std::size_t>(i)], i / 60 + 1) << "line " << i + 1;
    }
    DestroyWindow(edit->hWnd);
  }
  functions.Restore();
  DeleteDC(dc);
}

// ---- the memo editor -----------------------------------------------------------------------------

TEST_F(MultiGetTest, TheMemoEditorChangesTheTextOnlyOnOk) {
  std::string text = "Nota original\r\nsegunda línea";
  bool looked = false;
  auto ok = std::make_unique<vdr::test::DialogAnswerer>([&](const vdr::test::SeenDialog& d) {
    HWND field = FindWindowExA(d.hwnd, nullptr, "EDIT", nullptr);
    if (field == nullptr) return 0;
    if (!looked) {
      looked = true;
      EXPECT_EQ(d.title, "MemoEdit");
      EXPECT_EQ(WindowText(field), "Nota original\r\nsegunda línea");
      RECT dialog = {}, edit = {};
      GetWindowRect(d.hwnd, &dialog);
      GetWindowRect(field, &edit);
      const int w = dialog.right - dialog.left, h = dialog.bottom - dialog.top;
      EXPECT_EQ(edit.right - edit.left, w - 17);
      EXPECT_EQ(edit.bottom - edit.top, h - 69);
      HWND button = GetDlgItem(d.hwnd, d.ButtonId("Ok"));
      RECT b = {};
      GetWindowRect(button, &b);
      POINT at = {b.left, b.top};
      ScreenToClient(d.hwnd, &at);
      EXPECT_EQ(at.x, w - 250);
      EXPECT_EQ(at.y, h - 57);
      auto font = reinterpret_cast<HFONT>(SendMessageA(field, WM_GETFONT, 0, 0));
      LOGFONTA lf = {};
      GetObjectA(font, sizeof lf, &lf);
      EXPECT_EQ(lf.lfHeight, -12);
      SetWindowTextA(field, "Nota cambiada");
      Screenshot(d.hwnd, "memoedit");
    }
    return d.ButtonId("Ok");
  });
  EXPECT_TRUE(MemoEdit(text));
  EXPECT_TRUE(looked);
  EXPECT_EQ(ok->seen().size(), 1u);
  EXPECT_EQ(text, "Nota cambiada");
  ok.reset();  // one answerer at a time: both would answer the next dialog

  vdr::test::DialogAnswerer cancel([](const vdr::test::SeenDialog& d) {
    if (HWND field = FindWindowExA(d.hwnd, nullptr, "EDIT", nullptr)) SetWindowTextA(field, "descartado");
    return d.ButtonId("Cancel");
  });
  MemoEditParams p;
  p.title = "Editing: Notas";
  EXPECT_FALSE(MemoEdit(text, p));
  ASSERT_EQ(cancel.seen().size(), 1u);
  EXPECT_EQ(cancel.seen()[0].title, "Editing: Notas");
  EXPECT_EQ(text, "Nota cambiada");
}

TEST_F(MultiGetTest, MemoEditByNameWritesTheCallersVariableOnlyOnOk) {
  const Value text = Value::NewRef(Value::String("antes"));
  {
    vdr::test::DialogAnswerer cancel([](const vdr::test::SeenDialog& d) { return d.ButtonId("Cancel"); });
    EXPECT_FALSE(xb::CallFunction("MEMOEDIT", {text, Value::String("Título")}).AsLogical());
  }
  EXPECT_EQ(text.Deref().AsString(), "antes");
  vdr::test::DialogAnswerer ok([](const vdr::test::SeenDialog& d) {
    if (HWND field = FindWindowExA(d.hwnd, nullptr, "EDIT", nullptr)) SetWindowTextA(field, "después");
    return d.ButtonId("Ok");
  });
  EXPECT_TRUE(xb::CallFunction("MEMOEDIT", {text, Value::String("Título")}).AsLogical());
  EXPECT_EQ(text.Deref().AsString(), "después");
}

// The pointer over an edit field shows the field's message on the window's message bar, and
// the bar's own text when the field has none (a message shown before does not stay).
TEST_F(MultiGetTest, EditFieldsShowTheirMessageOrTheBarsOwnText) {
  TMsgBar::NewParams mp;
  mp.text = "Listo";
  auto bar = TMsgBar::New(*window_, mp);
  auto get_with = xb::MakeRef<TGet>();
  get_with->New({.row = 10, .col = 320, .parent = window_, .width = 60, .height = 20, .pixel = true, .message = "Código"});
  auto get_without = xb::MakeRef<TGet>();
  get_without->New({.row = 40, .col = 320, .parent = window_, .width = 60, .height = 20, .pixel = true});
  auto memo_with = Edit("uno");
  memo_with->cMsg = "Notas";
  auto memo_without = Edit("dos");
  struct Step {
    HWND over;
    const char* shown;
  };
  const Step steps[] = {{get_with->hWnd, "Código"},   {get_without->hWnd, "Listo"}, {memo_with->hWnd, "Notas"},
                        {memo_without->hWnd, "Listo"}, {get_with->hWnd, "Código"},   {memo_without->hWnd, "Listo"}};
  for (const Step& s : steps) {
    SendMessageA(s.over, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    EXPECT_EQ(bar->cMsg, s.shown);
  }
}

}  // namespace
}  // namespace ui
