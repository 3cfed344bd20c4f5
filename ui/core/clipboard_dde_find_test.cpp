// The clipboard class, DDE conversations with servers made here, and the Find dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <dde.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/bridge/find_dialog.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tclipboard.h"
#include "ui/core/tdde.h"
#include "ui/core/tdlgfind.h"

namespace ui {
namespace {

using test::Blk;
using xb::Value;

// ---- the clipboard -----------------------------------------------------------------------------

class ClipboardTest : public test::FrameworkTest {
 protected:
  xb::Ref<TClipBoard> Clip(int format = TClipBoard::kText) {
    auto clip = xb::MakeRef<TClipBoard>();
    clip->New(format, owner_);
    return clip;
  }
  void SetUp() override {
    FrameworkTest::SetUp();
    owner_ = Make(20, 20, 200, 100);
  }
  static HBITMAP Picture(COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 6);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = {0, 0, 8, 6};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
  }
  static COLORREF PixelOf(HBITMAP bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, 3, 3);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
  }
  static bool Holds(UINT format) { return IsClipboardFormatAvailable(format) != FALSE; }
  xb::Ref<TWindow> owner_;
};

TEST_F(ClipboardTest, TextAndBitmapsRoundTripAndABitmapAloneCountsAsEmpty) {
  auto text = Clip();
  const std::string lines = "Línea uno\r\nAlbarán nº 2";
  ASSERT_TRUE(text->SetText(lines));
  EXPECT_EQ(text->GetText(), lines);
  EXPECT_FALSE(text->IsEmpty());

  // A bitmap joins the text; what comes back is a copy of its own.
  auto pictures = Clip(TClipBoard::kBitmap);
  HBITMAP red = Picture(RGB(200, 0, 0));
  ASSERT_TRUE(pictures->SetBitmap(red));
  EXPECT_EQ(text->GetText(), lines) << "SetBitmap leaves the text";
  HBITMAP copy = pictures->GetBitmap();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, red);
  BITMAP info = {};
  ASSERT_TRUE(GetObjectA(copy, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 8);
  EXPECT_EQ(info.bmHeight, 6);
  EXPECT_EQ(PixelOf(copy), RGB(200, 0, 0));
  EXPECT_TRUE(DeleteObject(copy)) << "the caller owns the copy";
  EXPECT_EQ(PixelOf(red), RGB(200, 0, 0)) << "the caller keeps its own bitmap";

  // SetText empties first: the bitmap goes.
  ASSERT_TRUE(text->SetText("otra"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(Holds(CF_BITMAP));
  CloseClipboard();

  text->Clear();
  EXPECT_TRUE(text->IsEmpty());
  ASSERT_TRUE(pictures->SetBitmap(red));
  EXPECT_TRUE(text->IsEmpty()) << "a bitmap alone";
  EXPECT_EQ(text->GetText(), "");
  DeleteObject(red);

  // The same through the runtime's messages.
  const Value clip = xb::Send(xb::CallFunction("TCLIPBOARD"), "NEW", {Value::Integer(1), Value(owner_)});
  EXPECT_TRUE(xb::Send(clip, "SETTEXT", {Value::String("por nombre")}).AsLogical());
  EXPECT_EQ(xb::Send(clip, "GETTEXT").AsString(), "por nombre");
  ASSERT_TRUE(xb::Send(clip, "OPEN").AsLogical());
  EXPECT_EQ(xb::Send(clip, "GETDATA").AsString(), "por nombre");
  xb::Send(clip, "CLOSE");
}

TEST_F(ClipboardTest, AClipboardHeldByAnotherProgramGivesNothingAndWritesNothing) {
  auto clip = Clip();
  ASSERT_TRUE(clip->SetText("antes"));
  std::atomic<int> stage{0};
  std::thread holder([&] {
    if (!OpenClipboard(nullptr)) {
      stage = -1;
      return;
    }
    stage = 1;
    while (stage == 1) Sleep(5);
    CloseClipboard();
  });
  while (stage == 0) Sleep(5);
  ASSERT_EQ(stage.load(), 1);
  HBITMAP picture = Picture(RGB(0, 0, 200));
  EXPECT_FALSE(clip->SetText("durante"));
  EXPECT_EQ(clip->GetText(), "");
  EXPECT_TRUE(clip->IsEmpty());
  EXPECT_FALSE(clip->SetBitmap(picture));
  EXPECT_EQ(clip->GetBitmap(), nullptr);
  stage = 2;
  holder.join();
  EXPECT_EQ(clip->GetText(), "antes");
  DeleteObject(picture);
}

// ---- DDE ----------------------------------------------------------------------------------------

// A server window of this test: it answers initiates for its service, and acknowledges a
// command now, later or never (it terminates instead).
struct Server {
  enum class Mode { kAckNow, kAckLater, kTerminate, kNever };
  HWND hwnd = nullptr;
  Mode mode = Mode::kAckNow;
  std::string service, topic;
  std::vector<std::string> commands;
  HGLOBAL last_block = nullptr;
  HWND client = nullptr;
  int terminates = 0;
  DWORD acked_at = 0;
};

std::vector<Server*> g_answer_order;

std::string AtomText(ATOM atom) {
  char text[256] = {};
  GlobalGetAtomNameA(atom, text, sizeof text);
  return text;
}

LRESULT CALLBACK ServerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* s = reinterpret_cast<Server*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (s == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  auto client = reinterpret_cast<HWND>(wparam);
  switch (message) {
    case WM_DDE_INITIATE:
      if (AtomText(LOWORD(lparam)) == s->service && AtomText(HIWORD(lparam)) == s->topic) {
        g_answer_order.push_back(s);
        SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(hwnd),
                     MAKELPARAM(GlobalAddAtomA(s->service.c_str()), GlobalAddAtomA(s->topic.c_str())));
      }
      return 0;
    case WM_DDE_EXECUTE: {
      s->client = client;
      s->last_block = reinterpret_cast<HGLOBAL>(lparam);
      if (const char* text = static_cast<const char*>(GlobalLock(s->last_block))) {
        s->commands.emplace_back(text);
        GlobalUnlock(s->last_block);
      }
      if (s->mode == Server::Mode::kAckNow) {
        PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(hwnd),
                     PackDDElParam(WM_DDE_ACK, 0x8000, reinterpret_cast<UINT_PTR>(s->last_block)));
      } else if (s->mode == Server::Mode::kAckLater) {
        SetTimer(hwnd, 1, 300, nullptr);
      } else if (s->mode == Server::Mode::kTerminate) {
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(hwnd), 0);
      }
      return 0;
    }
    case WM_TIMER:
      KillTimer(hwnd, 1);
      s->acked_at = GetTickCount();
      PostMessageA(s->client, WM_DDE_ACK, reinterpret_cast<WPARAM>(hwnd),
                   PackDDElParam(WM_DDE_ACK, 0x8000, reinterpret_cast<UINT_PTR>(s->last_block)));
      return 0;
    case WM_DDE_TERMINATE:
      ++s->terminates;
      return 0;
    default: return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

int g_ticks = 0;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

class DdeTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    g_answer_order.clear();
    // Every window of every test program hears the initiate: a service of this process only.
    service_ = "VdrPrueba" + std::to_string(GetCurrentProcessId());
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &ServerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VdrDdeServer";
    RegisterClassA(&wc);
    app_ = Make(10, 10, 200, 80);
    SetWndApp(app_->hWnd);
    ASSERT_EQ(GetWndApp(), app_->hWnd);
  }
  void TearDown() override {
    for (auto& s : servers_) DestroyWindow(s->hwnd);
    FrameworkTest::TearDown();
  }
  Server& AddServer(Server::Mode mode = Server::Mode::kAckNow) {
    auto s = std::make_unique<Server>();
    s->mode = mode;
    s->service = service_;
    s->topic = "Sistema";
    s->hwnd = CreateWindowA("VdrDdeServer", "servidor", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(s->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s.get()));
    servers_.push_back(std::move(s));
    return *servers_.back();
  }
  xb::Ref<TDde> Conversation(xb::Value end_block = {}) {
    auto dde = xb::MakeRef<TDde>();
    dde->New(service_, "Sistema", "Elemento", Value(), std::move(end_block));
    return dde;
  }
  static bool Listed(const TDde& dde) {
    for (const auto& d : TDde::Conversations()) {
      if (d.get() == &dde) return true;
    }
    return false;
  }
  std::string service_;
  xb::Ref<TWindow> app_;
  std::vector<std::unique_ptr<Server>> servers_;
};

TEST_F(DdeTest, TheFirstOfTwoServersKeepsTheConversationAndExecutes) {
  Server& a = AddServer();
  Server& b = AddServer();
  int ended = 0;
  auto dde = Conversation(Blk([&](xb::Args&) {
    ++ended;
    return Value();
  }));
  EXPECT_TRUE(Listed(*dde));
  dde->Activate();
  ASSERT_EQ(g_answer_order.size(), 2u);
  Server& first = *g_answer_order[0];
  Server& second = *g_answer_order[1];
  ASSERT_TRUE(dde->oWndServer);
  EXPECT_EQ(dde->ServerWindow(), first.hwnd);
  EXPECT_TRUE(dde->lActive);
  EXPECT_EQ(TDde::PendingOperation(), TDde::kAcknowledged);
  // The server's window object only names the window.
  EXPECT_EQ(dde->oWndServer->Slot(), 0);
  vdr::test::PumpPending();
  EXPECT_EQ(second.terminates, 1) << "the second server is told at once";
  EXPECT_EQ(first.terminates, 0);

  dde->Execute("[Abrir(\"Empresa\")]");
  EXPECT_EQ(TDde::PendingOperation(), TDde::kAcknowledged);
  ASSERT_EQ(first.commands.size(), 1u);
  EXPECT_EQ(first.commands[0], "[Abrir(\"Empresa\")]");
  EXPECT_TRUE(second.commands.empty());

  // End acts once: one terminate, the end block once, the atoms deleted once.
  dde->End();
  dde->End();
  vdr::test::PumpPending();
  EXPECT_EQ(first.terminates, 1);
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(dde->lActive);
  EXPECT_EQ(GlobalFindAtomA(service_.c_str()), 0) << "every atom of the service was given back";
  EXPECT_TRUE(IsWindow(a.hwnd) && IsWindow(b.hwnd));
}

TEST_F(DdeTest, ExecuteWaitsForALateAcknowledgementWhileWindowsKeepWorking) {
  Server& server = AddServer(Server::Mode::kAckLater);
  auto dde = Conversation();
  dde->Activate();
  ASSERT_EQ(dde->ServerWindow(), server.hwnd);
  g_ticks = 0;
  const UINT_PTR thread_timer = SetTimer(nullptr, 0, 20, &Tick);
  const DWORD started = GetTickCount();
  dde->Execute("[Esperar]");
  const DWORD returned = GetTickCount();
  KillTimer(nullptr, thread_timer);
  const int ticks = g_ticks;
  ASSERT_NE(server.acked_at, 0u);
  EXPECT_GE(returned, server.acked_at) << "it returns only after the acknowledgement";
  EXPECT_GE(returned - started, 250u);
  EXPECT_GE(ticks, 5) << "the program's timers and windows kept running while it waited";
  EXPECT_EQ(server.commands, std::vector<std::string>{"[Esperar]"});
  dde->End();
}

TEST_F(DdeTest, AServerThatTerminatesEndsTheWaitAndTheConversation) {
  Server& server = AddServer(Server::Mode::kTerminate);
  int ended = 0;
  auto dde = Conversation(Blk([&](xb::Args&) {
    ++ended;
    return Value();
  }));
  dde->Activate();
  ASSERT_EQ(dde->ServerWindow(), server.hwnd);
  dde->Execute("[Nunca]");
  EXPECT_FALSE(Listed(*dde)) << "its terminate removed it";
  EXPECT_EQ(ended, 1);
  vdr::test::PumpPending();
  EXPECT_EQ(server.terminates, 1) << "answered once";
  dde->End();
  vdr::test::PumpPending();
  EXPECT_EQ(server.terminates, 1);
  EXPECT_EQ(ended, 1);
}

TEST_F(DdeTest, TheQuitMessageEndsAWaitForAServerThatNeverAnswers) {
  Server& server = AddServer(Server::Mode::kNever);
  auto dde = Conversation();
  dde->Activate();
  ASSERT_EQ(dde->ServerWindow(), server.hwnd);
  struct Quit {
    static void CALLBACK Post(HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      PostQuitMessage(0);
    }
  };
  SetTimer(nullptr, 0, 200, &Quit::Post);
  const DWORD started = GetTickCount();
  dde->Execute("[Nada]");
  EXPECT_GE(GetTickCount() - started, 150u) << "it waited until the quit message";
  EXPECT_EQ(TDde::PendingOperation(), TDde::kExecute);
  EXPECT_EQ(server.commands, std::vector<std::string>{"[Nada]"});
  dde->End();
}

TEST_F(DdeTest, WithoutAServerExecuteSaysSoAndSendsNothing) {
  auto dde = Conversation();
  dde->Activate();  // nobody serves this topic
  EXPECT_FALSE(dde->oWndServer);
  EXPECT_FALSE(dde->lActive);
  vdr::test::DialogAnswerer answerer([](const vdr::test::SeenDialog& d) {
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  dde->Execute("[Algo]");
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_NE(answerer.seen()[0].AllText().find("DDE Object not properly initialized!"), std::string::npos);
  EXPECT_EQ(TDde::PendingOperation(), TDde::kExecute);
  dde->End();
}

TEST_F(DdeTest, AFrameworkWindowServesAndTheTerminatesStop) {
  // A server of the framework's own windows, through the runtime's functions.
  auto server = Make(10, 300, 200, 80);
  std::vector<std::string> commands;
  server->bDdeInit = Blk([&](xb::Args& a) { return Value::Logical(a.Str(2) == service_); });
  server->bDdeExecute = Blk([&](xb::Args& a) {
    commands.emplace_back(a.Str(1));
    return Value();
  });
  const Value dde = xb::Send(xb::CallFunction("TDDE"), "NEW",
                             {Value::String(service_), Value::String("Sistema"), Value::String("")});
  xb::Send(dde, "ACTIVATE");
  ASSERT_TRUE(xb::Send(dde, "LACTIVE").AsLogical());
  EXPECT_EQ(xb::Send(xb::Send(dde, "OWNDSERVER"), "HWND").AsInt(),
            reinterpret_cast<std::intptr_t>(server->hWnd));
  xb::Send(dde, "EXECUTE", {Value::String("[Ver]")});
  EXPECT_EQ(commands, std::vector<std::string>{"[Ver]"});
  xb::Send(dde, "END");
  // The server answers the terminate; the answer is not answered again.
  vdr::test::PumpUntil([] { return false; }, 300);
  MSG pending;
  EXPECT_FALSE(PeekMessageA(&pending, nullptr, WM_DDE_TERMINATE, WM_DDE_TERMINATE, PM_NOREMOVE));
  EXPECT_EQ(GlobalFindAtomA(service_.c_str()), 0);

  // A terminate from a window without a conversation is answered with lParam 1.
  Server& stranger = AddServer();
  PostMessageA(app_->hWnd, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(stranger.hwnd), 0);
  vdr::test::PumpPending();
  EXPECT_EQ(stranger.terminates, 1);
}

// ---- the Find dialog ----------------------------------------------------------------------------

TEST_F(ClipboardTest, TheFindDialogOpensModelessAndKeepsItsMessageNumber) {
  const int records = FindRecordCount();
  auto first = xb::MakeRef<TDlgFind>();
  first->New("albarán", owner_);
  ASSERT_NE(first->hWnd, nullptr);
  EXPECT_TRUE(IsWindowVisible(first->hWnd));
  EXPECT_FALSE(first->IsModal());
  EXPECT_NE(first->Slot(), 0) << "linked to its object";
  ASSERT_TRUE(TDlgFind::nFindMsgString());
  const UINT number = *TDlgFind::nFindMsgString();
  EXPECT_EQ(number, RegisterWindowMessageA(FINDMSGSTRINGA));
  EXPECT_EQ(vdr::test::ItemText(first->hWnd, 0x480), "albarán");
  EXPECT_GE(ModelessHighestIndex(), 0);
  vdr::test::PumpPending();
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(first->hWnd, vdr::test::ScreenshotFolder() + "\\find_dialog.bmp"));

  const Value second = xb::CallFunction("DLGFINDTEXT", {Value::String("factura"), Value(owner_)});
  auto* two = dynamic_cast<TDlgFind*>(second.AsObject().get());
  ASSERT_NE(two, nullptr);
  ASSERT_NE(two->hWnd, nullptr);
  EXPECT_EQ(*TDlgFind::nFindMsgString(), number) << "the second keeps the first one's number";
  EXPECT_EQ(xb::Send(second, "NFINDMSGSTRING").AsInt(), static_cast<std::int64_t>(number));
  EXPECT_EQ(FindRecordCount(), records + 2);
  EXPECT_EQ(vdr::test::ItemText(first->hWnd, 0x480), "albarán");

  // Its Cancel closes it; the record goes with it.
  const HWND one = first->hWnd;
  SendMessageA(one, WM_COMMAND, IDCANCEL, 0);
  vdr::test::PumpPending();
  EXPECT_FALSE(IsWindow(one));
  EXPECT_EQ(first->hWnd, nullptr);
  EXPECT_EQ(FindRecordCount(), records + 1);
  DestroyWindow(two->hWnd);
  vdr::test::PumpPending();
  EXPECT_EQ(FindRecordCount(), records);
}

// The common dialog's own procedure sees the dialog's WM_DESTROY while its record still
// lives; the record goes after it.
TEST_F(ClipboardTest, TheFindRecordOutlivesTheCommonDialogsDestruction) {
  auto dialog = xb::MakeRef<TDlgFind>();
  dialog->New("albarán", owner_);
  const HWND hwnd = dialog->hWnd;
  ASSERT_NE(hwnd, nullptr);
  static DLGPROC s_own = nullptr;
  static int s_destroys = 0;
  static bool s_record_alive = false;
  s_destroys = 0;
  s_record_alive = false;
  s_own = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hwnd, DWLP_DLGPROC));
  ASSERT_NE(s_own, nullptr);
  SetWindowLongPtrA(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> INT_PTR {
    if (m == WM_DESTROY) {
      ++s_destroys;
      s_record_alive = FindRecordOf(h) != nullptr;
    }
    return s_own(h, m, w, l);
  }));
  DestroyWindow(hwnd);
  vdr::test::PumpPending();
  EXPECT_EQ(s_destroys, 1);
  EXPECT_TRUE(s_record_alive);
  EXPECT_EQ(FindRecordOf(hwnd), nullptr);
  EXPECT_EQ(dialog->hWnd, nullptr);
}

}  // namespace
}  // namespace ui
