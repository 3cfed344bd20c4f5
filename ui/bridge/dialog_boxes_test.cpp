// Dialog templates built in memory, and modal and modeless dialogs finding their objects.
#include "ui/bridge/dialog_boxes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "tests/support/pump.h"
#include "tests/support/window_text.h"
#include "ui/bridge/dialog_templates.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

int Word(const std::string& s, size_t at) {
  return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}
std::uint32_t Dword(const std::string& s, size_t at) {
  return static_cast<std::uint32_t>(Word(s, at)) | (static_cast<std::uint32_t>(Word(s, at + 2)) << 16);
}
std::wstring Utf16At(const std::string& s, size_t at) {
  std::wstring out;
  for (; at + 1 < s.size() && Word(s, at) != 0; at += 2) out += static_cast<wchar_t>(Word(s, at));
  return out;
}

TEST(DialogTemplates, HeaderLayout) {
  const std::string h = CDlg2Chr(3, 10, 20, 110, 220, "Ab", 0);
  ASSERT_EQ(h.size(), 28u);
  EXPECT_EQ(Dword(h, 0), 0u);
  EXPECT_EQ(Dword(h, 4), 0u);
  EXPECT_EQ(Word(h, 8), 3);
  EXPECT_EQ(Word(h, 10), 20);   // x
  EXPECT_EQ(Word(h, 12), 10);   // y
  EXPECT_EQ(Word(h, 14), 201);  // width
  EXPECT_EQ(Word(h, 16), 101);  // height
  EXPECT_EQ(Word(h, 18), 0);    // menu
  EXPECT_EQ(Word(h, 20), 0);    // class
  EXPECT_EQ(Utf16At(h, 22), L"Ab");
  EXPECT_EQ(Word(h, 26), 0);
}

TEST(DialogTemplates, HeaderStylesTitlesAndAlignment) {
  struct Case {
    const char* title;
    std::uint32_t style;
    size_t size;
    std::uint32_t want_style;
    std::uint32_t want_extended;
  };
  const Case cases[] = {
      {"", 0x10C80000, 24, 0x10C80000, 0},
      {"Abc", 0, 32, 0, 0},                   // odd length: two bytes of padding
      {"Atención", 2, 40, 0x80000002, 0x20},  // style 2 becomes a popup with extended style
      {"X", 0x10000000, 28, 0xC0000000, 0},
  };
  for (const Case& c : cases) {
    const std::string h = CDlg2Chr(0, 0, 0, 9, 9, c.title, c.style);
    EXPECT_EQ(h.size(), c.size) << c.title;
    EXPECT_EQ(h.size() % 4, 0u) << c.title;
    EXPECT_EQ(Dword(h, 0), c.want_style) << c.title;
    EXPECT_EQ(Dword(h, 4), c.want_extended) << c.title;
  }
  // Text of the ANSI code page keeps its accented letters.
  EXPECT_EQ(Utf16At(CDlg2Chr(0, 0, 0, 9, 9, "Información", 0), 22), L"Informaci\u00f3n");
  // A long title needs no fixed buffer.
  const std::string long_title(300, 'x');
  EXPECT_EQ(Utf16At(CDlg2Chr(0, 0, 0, 9, 9, long_title, 0), 22).size(), 300u);
}

TEST(DialogTemplates, ItemLayoutAndPadding) {
  const std::string item = CCtrl2Chr(5, 7, 20, 56, 101, WS_CHILD | WS_VISIBLE, "BUTTON", "S\xED");
  ASSERT_EQ(item.size(), 40u);  // 18 + 14 + 6 + 2, a multiple of 4 already
  EXPECT_EQ(Dword(item, 0), static_cast<std::uint32_t>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(Dword(item, 4), 0u);
  EXPECT_EQ(Word(item, 8), 7);
  EXPECT_EQ(Word(item, 10), 5);
  EXPECT_EQ(Word(item, 12), 50);
  EXPECT_EQ(Word(item, 14), 16);
  EXPECT_EQ(Word(item, 16), 101);
  EXPECT_EQ(Utf16At(item, 18), L"BUTTON");
  EXPECT_EQ(Utf16At(item, 32), L"S\u00ed");
  EXPECT_EQ(Word(item, 38), 0);  // creation data
  EXPECT_EQ(CCtrl2Chr(0, 0, 9, 9, 1, 0, "BUTTON", "").size(), 36u);
  EXPECT_EQ(CCtrl2Chr(0, 0, 9, 9, 1, 0, "BUTTON", "A").size(), 40u);  // 38 padded
  // Negative coordinates are 16-bit two's complement.
  EXPECT_EQ(Word(CCtrl2Chr(-2, -3, 9, 9, 1, 0, "X", ""), 8), 0xFFFD);
}

// A dialog object for the procedures: records what reaches it and answers through `on`.
struct ProbeDialog : xb::Object {
  ProbeDialog() : xb::Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = xb::Class::Define("BRIDGEPROBEDIALOG");
    return c;
  }
  std::vector<UINT> seen;
  std::vector<bool> modal;
  HWND hwnd = nullptr;  // from WM_INITDIALOG
  std::function<Answer(ProbeDialog&, UINT, WPARAM, LPARAM)> on;
};

Answer ProbeDispatch(xb::Object& object, bool modal, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* probe = dynamic_cast<ProbeDialog*>(&object);
  if (probe == nullptr) return {};
  probe->seen.push_back(message);
  probe->modal.push_back(modal);
  if (message == WM_INITDIALOG) probe->hwnd = reinterpret_cast<HWND>(lparam);
  return probe->on ? probe->on(*probe, message, wparam, lparam) : Answer{};
}

class DialogBoxesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDialogDispatcher(&ProbeDispatch);
    vdre_ = SetResources("VDRE.DLL");
    ASSERT_NE(vdre_, nullptr);
  }
  void TearDown() override {
    SetDialogDispatcher(nullptr);
    FreeResources();
    SetLoopRunning(false);
  }
  static int Count(const ProbeDialog& p, UINT message) {
    int n = 0;
    for (UINT m : p.seen) n += m == message;
    return n;
  }
  // A small in-memory dialog with one push button 1.
  static std::string Template(const char* title) {
    return CDlg2Chr(1, 10, 10, 60, 120, title, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME) +
           CCtrl2Chr(30, 10, 43, 60, IDOK, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, "BUTTON", "&Aceptar");
  }
  HMODULE vdre_ = nullptr;
};

TEST_F(DialogBoxesTest, ModalFromResourceReachesItsObjectAndReturnsItsResult) {
  auto probe = xb::MakeRef<ProbeDialog>();
  bool running_inside = false;
  probe->on = [&](ProbeDialog& p, UINT message, WPARAM, LPARAM) -> Answer {
    if (message != WM_INITDIALOG) return {};
    running_inside = LWRunning();
    EXPECT_EQ(ModalDialogDepth(), 1);
    EndDialogResult(p.hwnd, 65535);
    return Answer::Logical(true);
  };
  ASSERT_FALSE(LWRunning());
  EXPECT_EQ(ModalDialog(vdre_, DialogName{"FININ2"}, nullptr, probe), 65535);
  EXPECT_TRUE(running_inside);
  EXPECT_FALSE(LWRunning());  // put back
  EXPECT_EQ(ModalDialogDepth(), 0);
  EXPECT_EQ(Count(*probe, WM_INITDIALOG), 1);
  EXPECT_GE(Count(*probe, WM_DESTROY), 1);
  EXPECT_EQ(probe->modal.front(), true);
  // A template that is not in the module: Windows cannot create it.
  EXPECT_EQ(ModalDialog(vdre_, DialogName{"NOEXISTE"}, nullptr, probe), 65535);
  EXPECT_EQ(ModalDialogDepth(), 0);
}

// Resource templates (extended) and in-memory ones (plain) taken apart and joined again give
// the same bytes; a cut template is refused; an edited one makes its dialog, the resource's
// bitmap still loaded from the module.
TEST_F(DialogBoxesTest, TemplatesTakenApartAndJoined) {
  const std::string memory = Template("Uno") + CCtrl2Chr(2, 2, 8, 80, 99, WS_CHILD | WS_VISIBLE, "STATIC", "Texto");
  std::string memory_two = memory;
  memory_two[8] = 2;  // the header of Template() counts one item
  struct Case {
    std::string name;
    std::string bytes;
    bool extended;
    std::size_t items;
  };
  const Case cases[] = {
      {"10222", ResourceDialogTemplate(vdre_, DialogName{.number = 10222}), true, 166},
      {"VALIDA", ResourceDialogTemplate(vdre_, DialogName{"VALIDA"}), true, 8},
      {"DESCUADRE", ResourceDialogTemplate(vdre_, DialogName{"DESCUADRE"}), true, 0},
      {"memoria", memory_two, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.bytes.empty());
    const auto parts = SplitDialogTemplate(c.bytes);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->extended, c.extended);
    if (c.items != 0) {
      EXPECT_EQ(parts->items.size(), c.items);
    }
    std::string padded = c.bytes;
    while (padded.size() % 4 != 0) padded.push_back('\0');
    EXPECT_EQ(JoinDialogTemplate(*parts), padded);
    for (std::size_t cut : {std::size_t{3}, padded.size() / 2, padded.size() - 6})
      EXPECT_FALSE(SplitDialogTemplate(std::string_view(padded).substr(0, cut)).has_value()) << cut;
  }
  EXPECT_TRUE(ResourceDialogTemplate(vdre_, DialogName{"NOEXISTE"}).empty());

  auto parts = SplitDialogTemplate(cases[0].bytes);
  ASSERT_TRUE(parts.has_value());
  EXPECT_EQ(parts->items[0].id, 600u);  // the bitmap
  auto meter = [](const DialogTemplateItem& i) { return _stricmp(i.ClassName().c_str(), "TMeter") == 0; };
  EXPECT_TRUE(meter(parts->items[9]));
  EXPECT_EQ(std::erase_if(parts->items, meter), 155u);
  DialogTemplateItem added;
  added.style = WS_CHILD | WS_VISIBLE;
  added.x = 8;
  added.y = 62;
  added.cx = 100;
  added.cy = 10;
  added.id = 700;
  added.window_class = DialogTemplateItem::Text("Static");
  added.title = DialogTemplateItem::Text("Añadido");
  parts->items.push_back(added);
  auto probe = xb::MakeRef<ProbeDialog>();
  std::string text;
  bool meter_found = true, bitmap = false;
  probe->on = [&](ProbeDialog& p, UINT message, WPARAM, LPARAM) -> Answer {
    if (message != WM_INITDIALOG) return {};
    text = vdr::test::ItemText(p.hwnd, 700);
    meter_found = GetDlgItem(p.hwnd, 101) != nullptr;
    bitmap = SendDlgItemMessageA(p.hwnd, 600, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    EndDialogResult(p.hwnd, 7);
    return Answer::Logical(true);
  };
  EXPECT_EQ(ModalDialogIndirect(vdre_, JoinDialogTemplate(*parts), nullptr, probe), 7);
  EXPECT_EQ(text, "Añadido");
  EXPECT_FALSE(meter_found);
  EXPECT_TRUE(bitmap);
}

TEST_F(DialogBoxesTest, EmptyTemplateReturnsAtOnce) {
  auto probe = xb::MakeRef<ProbeDialog>();
  EXPECT_EQ(ModalDialogIndirect(GetModuleHandleA(nullptr), "", nullptr, probe), 0);
  EXPECT_EQ(ModelessDialogIndirect(GetModuleHandleA(nullptr), "", nullptr, probe), nullptr);
  EXPECT_TRUE(probe->seen.empty());
  EXPECT_FALSE(LWRunning());
}

TEST_F(DialogBoxesTest, TemplatesCutShortAreNotHandedToWindows) {
  const std::string whole = Template("Entero");
  struct Row {
    const char* what;
    std::string bytes;
  };
  const Row rows[] = {
      {"a header counting items it lacks", CDlg2Chr(3, 10, 10, 60, 120, "Sin controles", WS_POPUP | WS_CAPTION)},
      {"an item cut in its caption", whole.substr(0, whole.size() - 10)},
      {"a header cut in its title", whole.substr(0, 24)},
      {"three bytes", "abc"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    auto probe = xb::MakeRef<ProbeDialog>();
    probe->on = [](ProbeDialog& p, UINT message, WPARAM, LPARAM) {
      if (message == WM_INITDIALOG && p.modal.back()) EndDialog(p.hwnd, 5);  // a dialog made all the same ends
      return Answer{};
    };
    EXPECT_EQ(ModalDialogIndirect(GetModuleHandleA(nullptr), r.bytes, nullptr, probe), 0xFFFF);
    HWND made = ModelessDialogIndirect(GetModuleHandleA(nullptr), r.bytes, nullptr, probe);
    EXPECT_EQ(made, nullptr);
    if (made != nullptr) DestroyWindow(made);
    EXPECT_TRUE(probe->seen.empty());
    EXPECT_FALSE(LWRunning());
  }
}

TEST_F(DialogBoxesTest, NestedModalDialogsFindTheirOwnObjects) {
  auto outer = xb::MakeRef<ProbeDialog>();
  auto inner = xb::MakeRef<ProbeDialog>();
  const std::string tmpl = Template("Exterior");
  int inner_result = -1;
  constexpr UINT kOpenInner = WM_APP + 1;
  constexpr UINT kAfter = WM_APP + 2;
  constexpr UINT kFromInner = WM_APP + 3;
  outer->on = [&](ProbeDialog& p, UINT message, WPARAM, LPARAM) -> Answer {
    if (message == WM_INITDIALOG) PostMessageA(p.hwnd, kOpenInner, 0, 0);
    if (message == kOpenInner) {
      inner_result = ModalDialogIndirect(GetModuleHandleA(nullptr), Template("Interior"), p.hwnd, inner);
      SendMessageA(p.hwnd, kAfter, 0, 0);  // the outer dialog still finds its object
    }
    if (message == kAfter) EndDialogResult(p.hwnd, 7);
    return {};
  };
  inner->on = [&](ProbeDialog& p, UINT message, WPARAM, LPARAM) -> Answer {
    if (message == WM_INITDIALOG) {
      EXPECT_EQ(ModalDialogDepth(), 2);
      SendMessageA(GetParent(p.hwnd), kFromInner, 0, 0);  // the outer's message goes to the outer object
      EndDialogResult(p.hwnd, 3);
    }
    return {};
  };
  EXPECT_EQ(ModalDialogIndirect(GetModuleHandleA(nullptr), tmpl, nullptr, outer), 7);
  EXPECT_EQ(inner_result, 3);
  EXPECT_EQ(Count(*outer, kAfter), 1);
  EXPECT_EQ(Count(*outer, kFromInner), 1);
  EXPECT_EQ(Count(*inner, kFromInner), 0);
  EXPECT_EQ(Count(*inner, WM_INITDIALOG), 1);
}

TEST_F(DialogBoxesTest, TheFiftyFirstNestedDialogLeavesTheOthersAlone) {
  std::vector<xb::Ref<ProbeDialog>> probes;
  for (int i = 0; i < kMaxModalDialogs + 1; ++i) probes.push_back(xb::MakeRef<ProbeDialog>());
  const std::string tmpl = CDlg2Chr(0, 0, 0, 20, 40, "Anidado", WS_POPUP | WS_CAPTION);
  constexpr UINT kProbeMessage = WM_APP + 5;
  std::vector<HWND> windows;
  int deepest_depth = 0;
  static HWND s_last = nullptr;
  static std::vector<HWND>* s_windows = nullptr;
  s_windows = &windows;
  // The 51st dialog has no object: a timer ends it after the outer ones were asked.
  auto open_next = [&](size_t level, HWND owner) {
    return ModalDialogIndirect(GetModuleHandleA(nullptr), tmpl, owner, probes[level]);
  };
  for (size_t level = 0; level < probes.size(); ++level) {
    probes[level]->on = [&, level](ProbeDialog& p, UINT message, WPARAM, LPARAM) -> Answer {
      if (message == WM_INITDIALOG) {
        windows.push_back(p.hwnd);
        PostMessageA(p.hwnd, kProbeMessage + 1, 0, 0);
      } else if (message == kProbeMessage + 1) {
        if (level + 1 < kMaxModalDialogs) {
          open_next(level + 1, p.hwnd);
        } else {
          deepest_depth = ModalDialogDepth();
          SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            // The outer dialogs still reach their own objects.
            for (HWND w = s_last; w != nullptr; w = GetParent(w)) SendMessageA(w, WM_APP + 5, 0, 0);
            EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM) -> BOOL {
              if (vdr::test::WindowText(w) == "Anidado" &&
                  std::find(s_windows->begin(), s_windows->end(), w) == s_windows->end()) {
                EndDialog(w, 51);
              }
              return TRUE;
            }, 0);
          });
          s_last = p.hwnd;
          EXPECT_EQ(open_next(level + 1, p.hwnd), 51);
        }
        EndDialogResult(p.hwnd, static_cast<int>(level));
      }
      return {};
    };
  }
  EXPECT_EQ(open_next(0, nullptr), 0);
  EXPECT_EQ(deepest_depth, kMaxModalDialogs);
  EXPECT_EQ(windows.size(), static_cast<size_t>(kMaxModalDialogs));
  EXPECT_TRUE(probes.back()->seen.empty());
  for (int level = 0; level < kMaxModalDialogs; ++level) {
    EXPECT_EQ(Count(*probes[level], kProbeMessage), 1) << level;
  }
  EXPECT_EQ(ModalDialogDepth(), 0);
}

TEST_F(DialogBoxesTest, ModelessObjectSeesItsCreationOnly) {
  auto probe = xb::MakeRef<ProbeDialog>();
  probe->on = [](ProbeDialog&, UINT message, WPARAM, LPARAM) -> Answer {
    return message == WM_INITDIALOG ? Answer::Number(5) : Answer{};
  };
  HWND dialog = ModelessDialog(vdre_, DialogName{"FININ2"}, nullptr, probe);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(probe->hwnd, dialog);
  EXPECT_EQ(Count(*probe, WM_INITDIALOG), 1);
  EXPECT_EQ(probe->modal.front(), false);
  const size_t during_creation = probe->seen.size();
  // Afterwards the dialog class receives them through its subclass, not twice.
  SendMessageA(dialog, WM_APP + 9, 0, 0);
  EXPECT_EQ(probe->seen.size(), during_creation);
  DestroyWindow(dialog);
  // A numbered template and an unknown one.
  HWND by_number = ModelessDialog(vdre_, DialogName{"", 9999}, nullptr, probe);
  EXPECT_EQ(by_number, nullptr);
}

// While a second modeless dialog is being created, a message for the first one that reaches
// the procedure (through the first one's chain) is not handed to the new dialog's object.
TEST_F(DialogBoxesTest, ADialogBeingCreatedGetsOnlyItsOwnMessages) {
  constexpr UINT kToFirst = WM_APP + 12;
  auto first = xb::MakeRef<ProbeDialog>();
  auto second = xb::MakeRef<ProbeDialog>();
  HWND first_window = ModelessDialogIndirect(GetModuleHandleA(nullptr), Template("Primero"), nullptr, first);
  ASSERT_NE(first_window, nullptr);
  LRESULT answered = -1;
  second->on = [&](ProbeDialog&, UINT message, WPARAM, LPARAM) -> Answer {
    if (message == WM_INITDIALOG) answered = SendMessageA(first_window, kToFirst, 0, 0);
    return {};
  };
  HWND second_window = ModelessDialogIndirect(GetModuleHandleA(nullptr), Template("Segundo"), nullptr, second);
  ASSERT_NE(second_window, nullptr);
  EXPECT_EQ(second->hwnd, second_window);
  EXPECT_EQ(Count(*second, WM_INITDIALOG), 1);
  EXPECT_EQ(answered, 0);
  EXPECT_EQ(Count(*second, kToFirst), 0);
  EXPECT_EQ(Count(*first, kToFirst), 0);  // made already: its own chain serves it
  DestroyWindow(second_window);
  DestroyWindow(first_window);

  // A handle that comes back for a new dialog after the old one is gone is the new one's.
  auto third = xb::MakeRef<ProbeDialog>();
  HWND third_window = ModelessDialogIndirect(GetModuleHandleA(nullptr), Template("Tercero"), nullptr, third);
  ASSERT_NE(third_window, nullptr);
  EXPECT_EQ(third->hwnd, third_window);
  EXPECT_EQ(Count(*third, WM_INITDIALOG), 1);
  DestroyWindow(third_window);
}

}  // namespace
}  // namespace ui
