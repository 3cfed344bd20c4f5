// The message loop, its one-pass form, accelerators, modeless navigation, timers and the MDI
// helpers.
#include "ui/bridge/message_loop.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "tests/support/pump.h"
#include "tests/support/window_text.h"
#include "ui/bridge/mdi_helpers.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/probe_window_test_support.h"

namespace ui {
namespace {

using test::kProbe;
using test::ProbeLog;
using test::ProbeWindow;

// A window whose procedure runs a test's function for each message.
class ScriptWindow {
 public:
  using Script = std::function<bool(HWND, UINT, WPARAM, LPARAM)>;  // true: handled
  explicit ScriptWindow(Script script) : script_(std::move(script)) {
    static const ATOM kClass = [] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "VdrLoopScript";
      return RegisterClassA(&wc);
    }();
    (void)kClass;
    hwnd_ = CreateWindowA("VdrLoopScript", "Bucle", WS_OVERLAPPEDWINDOW, 10, 10, 200, 120, nullptr,
                          nullptr, GetModuleHandleA(nullptr), this);
  }
  ~ScriptWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_NCCREATE) {
      SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams));
    }
    auto* self = reinterpret_cast<ScriptWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self != nullptr && self->script_ && self->script_(hwnd, m, w, l)) return 0;
    return DefWindowProcA(hwnd, m, w, l);
  }
  Script script_;
  HWND hwnd_ = nullptr;
};

bool QueueHasQuit() {
  MSG m;
  return PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

void DrainQuit() {
  MSG m;
  while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

TEST(SysRefresh, LetsQueuedMessagesRunAndNeverWaits) {
  ProbeLog log;
  ProbeWindow window(&log);
  EXPECT_TRUE(SysRefresh());  // empty queue
  PostMessageA(window.get(), kProbe, 0, 0);
  PostMessageA(window.get(), kProbe, 0, 0);
  EXPECT_TRUE(SysRefresh());
  EXPECT_EQ(log.Count(kProbe), 2);
  const DWORD start = GetTickCount();
  EXPECT_TRUE(SysRefresh());
  EXPECT_LT(GetTickCount() - start, 200u);
}

TEST(SysRefresh, AQuitOutsideAnyLoopIsConsumedAndOnlyTheResultTellsOfIt) {
  SetLoopRunning(false);
  PostQuitMessage(0);
  EXPECT_FALSE(SysRefresh());
  EXPECT_FALSE(QueueHasQuit());
  EXPECT_TRUE(SysRefresh());
}

TEST(SysRefresh, AQuitInsideARunningLoopIsPostedAgain) {
  const bool before = SetLoopRunning(true);
  PostQuitMessage(0);
  EXPECT_FALSE(SysRefresh());
  EXPECT_TRUE(QueueHasQuit());
  DrainQuit();
  SetLoopRunning(before);
}

TEST(SysRefresh, KeepsTheLastCharacter) {
  ProbeLog log;
  ProbeWindow window(&log);
  PostMessageA(window.get(), WM_CHAR, 'q', 1);
  SysRefresh();
  EXPECT_EQ(LastRefreshChar(), 'q');
}

TEST(WinRun, RunsUntilQuitWithItsApplicationWindowAndClearsTheFlag) {
  HWND seen_app = nullptr;
  bool seen_running = false;
  ScriptWindow window([&](HWND h, UINT m, WPARAM, LPARAM) {
    if (m != kProbe) return false;
    seen_app = GetWndApp();
    seen_running = LWRunning();
    PostQuitMessage(0);
    return true;
  });
  const HWND app_before = GetWndApp();
  SetLoopRunning(true);  // as if a modal dialog that started before were still open
  PostMessageA(window.get(), kProbe, 0, 0);
  WinRun(window.get());
  EXPECT_EQ(seen_app, window.get());
  EXPECT_TRUE(seen_running);
  EXPECT_FALSE(LWRunning());  // cleared, not restored
  EXPECT_EQ(GetWndApp(), app_before);
}

TEST(WinRun, EndsWhenAHandlerMeetsTheQuitInsideSysRefresh) {
  bool refresh_result = true;
  ScriptWindow window([&](HWND, UINT m, WPARAM, LPARAM) {
    if (m != kProbe) return false;
    PostQuitMessage(0);
    refresh_result = SysRefresh();
    return true;
  });
  PostMessageA(window.get(), kProbe, 0, 0);
  WinRun(window.get());  // would hang if the quit were swallowed
  EXPECT_FALSE(refresh_result);
  EXPECT_FALSE(QueueHasQuit());
}

TEST(WinRun, WithoutAWindowKeepsTheStoredApplicationWindow) {
  ScriptWindow app([](HWND, UINT, WPARAM, LPARAM) { return false; });
  SetWndApp(app.get());
  ASSERT_EQ(GetWndApp(), app.get());
  HWND seen = nullptr;
  ScriptWindow other([&](HWND, UINT m, WPARAM, LPARAM) {
    if (m != kProbe) return false;
    seen = GetWndApp();
    PostQuitMessage(0);
    return true;
  });
  PostMessageA(other.get(), kProbe, 0, 0);
  WinRun();
  EXPECT_EQ(seen, app.get());
  EXPECT_EQ(GetWndApp(), app.get());
}

TEST(SetWndApp, StoresOnlyWhenNoLiveWindowIsStored) {
  HWND first_handle = nullptr;
  {
    ScriptWindow first([](HWND, UINT, WPARAM, LPARAM) { return false; });
    first_handle = first.get();
    SetWndApp(first.get());
    ScriptWindow second([](HWND, UINT, WPARAM, LPARAM) { return false; });
    SetWndApp(second.get());
    EXPECT_EQ(GetWndApp(), first.get());
  }
  ScriptWindow third([](HWND, UINT, WPARAM, LPARAM) { return false; });
  SetWndApp(third.get());  // the stored one is gone
  EXPECT_EQ(GetWndApp(), third.get());
  EXPECT_NE(GetWndApp(), first_handle);
}

TEST(Accelerators, TranslateForTheApplicationWindowInTheLoop) {
  std::vector<int> commands;
  ScriptWindow window([&](HWND, UINT m, WPARAM w, LPARAM) {
    if (m == WM_COMMAND) {
      commands.push_back(LOWORD(w));
      PostQuitMessage(0);
      return true;
    }
    return false;
  });
  const Accelerator keys[] = {{VK_F5, 0, 1234}, {'S', FCONTROL, 1235}};
  HACCEL table = SetAccTable(keys);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(CurrentAccTable(), table);
  PostMessageA(window.get(), WM_KEYDOWN, VK_F5, 1);
  WinRun(window.get());
  EXPECT_EQ(commands, std::vector<int>{1234});
  DestroyAccTable();
  EXPECT_EQ(CurrentAccTable(), nullptr);
}

TEST(Accelerators, SysRefreshDetachesTheTableForThePassAndPutsItBack) {
  std::vector<UINT> seen;
  bool table_during_pass = true;
  ScriptWindow window([&](HWND, UINT m, WPARAM, LPARAM) {
    if (m == WM_COMMAND || m == WM_KEYDOWN) {
      seen.push_back(m);
      table_during_pass = CurrentAccTable() != nullptr;
    }
    return false;
  });
  {
    ScriptWindow gone([](HWND, UINT, WPARAM, LPARAM) { return false; });
    SetWndApp(gone.get());
  }
  SetWndApp(window.get());
  const Accelerator keys[] = {{VK_F6, 0, 77}};
  HACCEL table = SetAccTable(keys);
  PostMessageA(window.get(), WM_KEYDOWN, VK_F6, 1);
  EXPECT_TRUE(SysRefresh());
  EXPECT_EQ(seen, std::vector<UINT>{WM_COMMAND});  // translated with the kept table
  EXPECT_FALSE(table_during_pass);
  EXPECT_EQ(CurrentAccTable(), table);
  DestroyAccTable();
}

TEST(Accelerators, NotTranslatedBySysRefreshWithoutAnApplicationWindow) {
  std::vector<UINT> seen;
  {
    ScriptWindow gone([](HWND, UINT, WPARAM, LPARAM) { return false; });
    SetWndApp(gone.get());
  }
  ASSERT_FALSE(IsWindow(GetWndApp()));
  ScriptWindow window([&](HWND, UINT m, WPARAM, LPARAM) {
    if (m == WM_COMMAND || m == WM_KEYDOWN) seen.push_back(m);
    return false;
  });
  const Accelerator keys[] = {{VK_F7, 0, 78}};
  SetAccTable(keys);
  PostMessageA(window.get(), WM_KEYDOWN, VK_F7, 1);
  SysRefresh();
  EXPECT_EQ(seen, std::vector<UINT>{WM_KEYDOWN});
  DestroyAccTable();
}

TEST(ModelessDialogs, TwoHundredEntriesAndTheHighestIndexWalksDown) {
  std::vector<HWND> fake;
  for (int i = 1; i <= kMaxModelessDialogs; ++i) {
    fake.push_back(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x10000 + i * 4)));
  }
  for (HWND h : fake) ASSERT_TRUE(RegDialog(h));
  EXPECT_FALSE(CanRegDialog());
  EXPECT_FALSE(RegDialog(reinterpret_cast<HWND>(0x9999)));
  EXPECT_EQ(ModelessHighestIndex(), 199);
  // Free 197 and 198, then the highest: the index walks down past the free ones.
  EXPECT_TRUE(DeregDialog(fake[197]));
  EXPECT_TRUE(DeregDialog(fake[198]));
  EXPECT_EQ(ModelessHighestIndex(), 199);
  EXPECT_TRUE(DeregDialog(fake[199]));
  EXPECT_EQ(ModelessHighestIndex(), 196);
  EXPECT_TRUE(CanRegDialog());
  EXPECT_FALSE(DeregDialog(fake[199]));  // not registered any more
  EXPECT_TRUE(RegDialog(fake[199]));     // takes the first free entry
  EXPECT_EQ(ModelessHighestIndex(), 197);
  for (HWND h : fake) DeregDialog(h);
  EXPECT_EQ(ModelessHighestIndex(), -1);
}

// A modeless dialog with two edit fields, built in memory.
HWND MakeTwoEditDialog() {
  alignas(4) static WORD tmpl[128];
  std::fill(std::begin(tmpl), std::end(tmpl), WORD{0});
  WORD* p = tmpl;
  auto* head = reinterpret_cast<DLGTEMPLATE*>(p);
  head->style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
  head->cdit = 2;
  head->cx = 120;
  head->cy = 60;
  p = reinterpret_cast<WORD*>(head + 1);
  *p++ = 0;  // menu
  *p++ = 0;  // class
  *p++ = 0;  // title
  *p++ = 8;  // font size
  for (char c : std::string("MS Shell Dlg")) *p++ = static_cast<WORD>(c);
  *p++ = 0;
  for (int i = 0; i < 2; ++i) {
    p = reinterpret_cast<WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR{3});
    auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(p);
    item->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
    item->x = 5;
    item->y = static_cast<short>(5 + i * 20);
    item->cx = 100;
    item->cy = 12;
    item->id = static_cast<WORD>(100 + i);
    p = reinterpret_cast<WORD*>(item + 1);
    *p++ = 0xFFFF;
    *p++ = 0x0081;  // edit
    *p++ = 0;       // text
    *p++ = 0;       // creation data
  }
  return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(tmpl),
                                    nullptr, [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR {
                                      return m == WM_INITDIALOG;
                                    },
                                    0);
}

TEST(ModelessDialogs, TheLoopGivesThemTheirTabNavigation) {
  HWND dialog = MakeTwoEditDialog();
  ASSERT_NE(dialog, nullptr);
  SetForegroundWindow(dialog);
  vdr::test::PumpUntil([] { return false; }, 100);
  HWND first = GetDlgItem(dialog, 100);
  HWND second = GetDlgItem(dialog, 101);
  SetFocus(first);
  ASSERT_EQ(GetFocus(), first);

  // Unregistered: Tab is only a character for the edit field.
  PostMessageA(first, WM_KEYDOWN, VK_TAB, 1);
  SysRefresh();
  EXPECT_EQ(GetFocus(), first);

  ASSERT_TRUE(RegDialog(dialog));
  PostMessageA(first, WM_KEYDOWN, VK_TAB, 1);
  SysRefresh();
  EXPECT_EQ(GetFocus(), second);
  EXPECT_TRUE(DeregDialog(dialog));
  DestroyWindow(dialog);
}

TEST(Timers, ExpiriesArriveAsTimerMessagesOfTheirIdentifier) {
  std::vector<WPARAM> ids;
  ScriptWindow window([&](HWND, UINT m, WPARAM w, LPARAM) {
    if (m == WM_TIMER) ids.push_back(w);
    return m == WM_TIMER;
  });
  ASSERT_EQ(SetTimer(window.get(), 7, 10, nullptr), 7u);
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return ids.size() >= 2; }, 3000));
  EXPECT_TRUE(KillTimer(window.get(), 7));
  EXPECT_EQ(ids.front(), 7u);
}

TEST(MdiHelpers, CreationRecordWithTheDefaultMarker) {
  const std::string made = CMdiStruct("Hija", "Título", 10, 20, 110, 220, WS_CHILD, 5);
  ASSERT_EQ(made.size(), sizeof(MDICREATESTRUCTA));
  MDICREATESTRUCTA r;
  std::memcpy(&r, made.data(), sizeof r);
  EXPECT_STREQ(r.szClass, "Hija");
  EXPECT_STREQ(r.szTitle, "Título");
  EXPECT_EQ(r.x, 20);
  EXPECT_EQ(r.y, 10);
  EXPECT_EQ(r.cx, 201);
  EXPECT_EQ(r.cy, 101);
  EXPECT_EQ(r.style, static_cast<DWORD>(WS_CHILD));
  EXPECT_EQ(r.lParam, 5);
  EXPECT_EQ(r.hOwner, GetModuleHandleA(nullptr));

  const std::string whole = CMdiStruct("Hija", "Otra", 0, 0, 300, kDefaultPosition, 0, 0);
  std::memcpy(&r, whole.data(), sizeof r);
  EXPECT_EQ(r.cx, CW_USEDEFAULT);
  EXPECT_EQ(r.cy, 300);  // bottom taken as the height, unchanged
  EXPECT_STREQ(r.szTitle, "Otra");
}

TEST(MdiHelpers, FrameProcedureServesItsClientAndTheRecordCreatesAChild) {
  WNDCLASSA frame = {};
  frame.lpfnWndProc = GetFrameProc();
  frame.hInstance = GetModuleHandleA(nullptr);
  frame.lpszClassName = "VdrTestFrame";
  RegisterClassA(&frame);
  WNDCLASSA child = {};
  child.lpfnWndProc = GetMdiChlProc();
  child.hInstance = GetModuleHandleA(nullptr);
  child.lpszClassName = "VdrTestChild";
  RegisterClassA(&child);

  HWND hframe = CreateWindowA("VdrTestFrame", "Marco", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                              400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(hframe, nullptr);
  CLIENTCREATESTRUCT ccs = {};
  ccs.idFirstChild = 50000;
  HWND client = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                              100, 100, hframe, nullptr, GetModuleHandleA(nullptr), &ccs);
  ASSERT_NE(client, nullptr);
  // A bar brought above the client in Z-order: the client is still the frame's.
  HWND bar = CreateWindowA("STATIC", "barra", WS_CHILD | WS_VISIBLE, 0, 0, 380, 20, hframe, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(bar, nullptr);
  SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ASSERT_EQ(GetWindow(hframe, GW_CHILD), bar);
  EXPECT_EQ(FrameClient(hframe), client);
  // DefFrameProcA sizes the client to the frame's client area.
  SendMessageA(hframe, WM_SIZE, 0, MAKELPARAM(380, 260));
  RECT r;
  GetClientRect(client, &r);
  EXPECT_EQ(r.right, 380);
  GetClientRect(bar, &r);
  EXPECT_EQ(r.bottom, 20);  // the bar is left alone

  const std::string record = CMdiStruct("VdrTestChild", "Documento", 0, 0, kDefaultPosition,
                                        kDefaultPosition, 0, 0);
  auto made = reinterpret_cast<HWND>(
      SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(record.data())));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(vdr::test::WindowText(made), "Documento");
  DestroyWindow(hframe);
}

}  // namespace
}  // namespace ui
