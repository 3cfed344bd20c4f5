// Subclassing through the slot procedures and the bridge procedure's answers.
#include "ui/bridge/window_dispatch.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/dialog_answerer.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/posted_texts.h"
#include "ui/bridge/probe_window_test_support.h"
#include "ui/bridge/slot_procs.h"

namespace ui {
namespace {

using test::kProbe;
using test::kProbeAnswer;
using test::ProbeLog;
using test::ProbeWindow;

// What the dispatcher saw and how it answers; one per test.
struct Dispatch {
  std::vector<SlotMessage> seen;
  std::optional<Answer> answer;     // for kProbe
  bool destroy_on_probe = false;
  static Dispatch* current;

  static std::optional<Answer> Handle(const SlotMessage& m) {
    Dispatch& d = *current;
    d.seen.push_back(m);
    if (m.message != kProbe) return Answer{};
    if (d.destroy_on_probe) DestroyWindow(m.hwnd);
    return d.answer;
  }
  int Probes() const {
    int n = 0;
    for (const SlotMessage& m : seen) n += m.message == kProbe;
    return n;
  }
};
Dispatch* Dispatch::current = nullptr;

class WindowDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dispatch::current = &dispatch_;
    SetWindowDispatcher(&Dispatch::Handle);
  }
  void TearDown() override { SetWindowDispatcher(nullptr); }
  Dispatch dispatch_;
  ProbeLog log_;
};

TEST(SlotProcedures, TwoThousandDistinctProceduresAndNoMore) {
  std::set<WNDPROC> procs;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    WNDPROC proc = SlotProcedure(slot);
    ASSERT_NE(proc, nullptr) << slot;
    EXPECT_EQ(SlotOfProcedure(proc), slot);
    procs.insert(proc);
  }
  EXPECT_EQ(procs.size(), 2000u);
  EXPECT_EQ(SlotProcedure(2000), nullptr);
  EXPECT_EQ(SlotProcedure(-1), nullptr);
  EXPECT_EQ(SlotOfProcedure(DefWindowProcA), -1);
}

TEST_F(WindowDispatchTest, EachSlotForwardsItsArgumentsAndItsOwnNumber) {
  for (int slot : {0, 1, 2, 999, 1998, 1999}) {
    ProbeWindow window(&log_);
    const WNDPROC class_proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window.get(), GWLP_WNDPROC));
    EXPECT_EQ(XChangeProc(window.get(), slot), class_proc);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window.get(), GWLP_WNDPROC)),
              SlotProcedure(slot));
    EXPECT_EQ(SlotWindow(slot), window.get());
    dispatch_.seen.clear();
    dispatch_.answer = Answer::Number(slot + 5);
    const WPARAM w = static_cast<WPARAM>(0xFEDC'BA98'7654'3210ULL);
    const LPARAM l = static_cast<LPARAM>(0x0123'4567'89AB'CDEFLL);
    EXPECT_EQ(SendMessageA(window.get(), kProbe, w, l), slot + 5);
    ASSERT_EQ(dispatch_.Probes(), 1);
    const SlotMessage& m = dispatch_.seen.back();
    EXPECT_EQ(m.slot, slot);
    EXPECT_EQ(m.hwnd, window.get());
    EXPECT_EQ(m.wparam, w);
    EXPECT_EQ(m.lparam, l);
    EXPECT_EQ(log_.Count(kProbe), 0);  // answered: the class procedure did not run
    EXPECT_EQ(RestProc(window.get(), class_proc), SlotProcedure(slot));
    EXPECT_EQ(SlotWindow(slot), nullptr);
  }
}

TEST_F(WindowDispatchTest, WhatTheAnswerMakesTheWindowProcedureReturn) {
  struct Case {
    const char* name;
    std::optional<Answer> answer;
    LRESULT expected;
    int class_proc_runs;
  };
  const Case cases[] = {
      {"number", Answer::Number(-42), -42, 0},
      {"large number", Answer::Number(0x1'0000'0001LL), 0x1'0000'0001LL, 0},
      {"logical true counts as 0", Answer::Logical(true), 0, 0},
      {"logical false counts as 0", Answer::Logical(false), 0, 0},
      {"nothing: the previous procedure", Answer{}, kProbeAnswer, 1},
      {"no object in the slot: the previous procedure", std::nullopt, kProbeAnswer, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProbeLog log;
    ProbeWindow window(&log);
    ASSERT_NE(XChangeProc(window.get(), 7), nullptr);
    dispatch_.answer = c.answer;
    EXPECT_EQ(SendMessageA(window.get(), kProbe, 1, 2), c.expected);
    EXPECT_EQ(log.Count(kProbe), c.class_proc_runs);
  }
}

TEST_F(WindowDispatchTest, SubclassingTwiceThroughTheSameSlotKeepsTheChain) {
  // Were the slot its own previous procedure, every unanswered message would loop forever.
  ProbeWindow window(&log_);
  WNDPROC class_proc = XChangeProc(window.get(), 12);
  ASSERT_NE(class_proc, nullptr);
  EXPECT_EQ(XChangeProc(window.get(), 12), class_proc);
  EXPECT_EQ(SlotPreviousProcedure(12), class_proc);
  dispatch_.answer = Answer{};
  EXPECT_EQ(SendMessageA(window.get(), kProbe, 0, 0), kProbeAnswer);
}

TEST_F(WindowDispatchTest, SlotTwoThousandIsRefusedWithAMessageBox) {
  ProbeWindow window(&log_);
  const LONG_PTR before = GetWindowLongPtrA(window.get(), GWLP_WNDPROC);
  vdr::test::DialogAnswerer answerer([](const vdr::test::SeenDialog& d) {
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  EXPECT_EQ(XChangeProc(window.get(), 2000), nullptr);
  EXPECT_EQ(GetWindowLongPtrA(window.get(), GWLP_WNDPROC), before);
  ASSERT_EQ(answerer.seen().size(), 1u);
  const vdr::test::SeenDialog& box = answerer.seen()[0];
  EXPECT_EQ(box.title, "Error from _XBPPProc");
  EXPECT_EQ(box.AllText(), "wAt > 2000");
  EXPECT_EQ(box.buttons.size(), 1u);
}

TEST_F(WindowDispatchTest, SlotTwoThousandIsToldNotShownWhenNobodyWatches) {
  ProbeWindow window(&log_);
  std::vector<std::string> told;
  SetUnattended([&](std::string_view title, std::string_view text) {
    told.push_back(std::string(title) + "|" + std::string(text));
  });
  vdr::test::DialogAnswerer answerer([](const vdr::test::SeenDialog& d) {
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  EXPECT_EQ(XChangeProc(window.get(), 2000), nullptr);
  SetUnattended({});
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_EQ(told, std::vector<std::string>{"Error from _XBPPProc|wAt > 2000"});
}

TEST_F(WindowDispatchTest, AHandlerThatDestroysItsWindowEndsTheMessageThere) {
  ProbeWindow window(&log_);
  HWND hwnd = window.get();
  ASSERT_NE(XChangeProc(hwnd, 30), nullptr);
  dispatch_.destroy_on_probe = true;
  dispatch_.answer = Answer{};  // "not handled", but the window is gone
  EXPECT_EQ(SendMessageA(hwnd, kProbe, 0, 0), 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(log_.Count(kProbe), 0);
  // The destruction's own messages went down the chain to the class procedure.
  EXPECT_EQ(log_.Count(WM_DESTROY), 1);
  EXPECT_EQ(log_.Count(WM_NCDESTROY), 1);
  RestProc(hwnd, nullptr);  // a gone window: the slot forgets it
  EXPECT_EQ(SlotWindow(30), nullptr);
}

TEST_F(WindowDispatchTest, ASlotTakenByAnotherWindowNoLongerServesTheFirst) {
  ProbeLog log_a, log_b;
  ProbeWindow a(&log_a), b(&log_b);
  ASSERT_NE(XChangeProc(a.get(), 40), nullptr);
  ASSERT_NE(XChangeProc(b.get(), 40), nullptr);
  dispatch_.answer = Answer::Number(5);
  dispatch_.seen.clear();
  EXPECT_EQ(SendMessageA(a.get(), kProbe, 0, 0), 0);  // DefWindowProcA, not b's object
  EXPECT_EQ(dispatch_.Probes(), 0);
  EXPECT_EQ(SendMessageA(b.get(), kProbe, 0, 0), 5);
}

TEST_F(WindowDispatchTest, RestProcRefusesANullProcedure) {
  ProbeWindow window(&log_);
  WNDPROC class_proc = XChangeProc(window.get(), 50);
  EXPECT_EQ(RestProc(window.get(), nullptr), nullptr);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window.get(), GWLP_WNDPROC)),
            SlotProcedure(50));
  EXPECT_EQ(RestProc(window.get(), class_proc), SlotProcedure(50));
}

// A text posted with a message lives until the message has been handled, whichever loop
// dispatches it; a window that handles it again, inside its own handling, still reads it.
TEST_F(WindowDispatchTest, PostedTextsLiveUntilTheirMessageIsHandled) {
  constexpr UINT kPosted = WM_APP + 21;
  struct Case {
    const char* name;
    bool subclassed;
    bool program_loop;  // the program's loop, or one of Windows' own (a modal dialog's)
  };
  const Case cases[] = {
      {"subclassed, the program's loop", true, true},
      {"subclassed, another loop", true, false},
      {"plain window, the program's loop", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProbeLog log;
    ProbeWindow window(&log);
    if (c.subclassed) {
      ASSERT_NE(XChangeProc(window.get(), 60), nullptr);
    }
    std::vector<std::string> read;
    static std::vector<std::string>* s_read = nullptr;
    static int s_before = 0;
    s_read = &read;
    SetWindowDispatcher([](const SlotMessage& m) -> std::optional<Answer> {
      if (m.message != kPosted) return Answer{};
      s_read->push_back(reinterpret_cast<const char*>(m.lparam));
      if (m.wparam == 0) SendMessageA(m.hwnd, kPosted, 1, m.lparam);  // handled again inside
      s_read->push_back(PostedTextsKept() > s_before ? "kept" : "freed");
      return Answer::Number(0);
    });
    const int before = PostedTextsKept();
    s_before = before;
    std::string text = "Texto ";
    ASSERT_TRUE(PostText(window.get(), kPosted, 0, text + "puesto"));
    text.clear();
    EXPECT_EQ(PostedTextsKept(), before + 1);
    if (c.program_loop) {
      SysRefresh();
    } else {
      MSG m = {};
      ASSERT_TRUE(PeekMessageA(&m, window.get(), kPosted, kPosted, PM_REMOVE));
      DispatchMessageA(&m);
      EXPECT_EQ(PostedTextsKept(), c.subclassed ? before : before + 1);
      PostedTextDispatched(m);  // a plain window's text goes when the loop has dispatched it
    }
    EXPECT_EQ(PostedTextsKept(), before);
    if (c.subclassed) {
      EXPECT_EQ(read, (std::vector<std::string>{"Texto puesto", "Texto puesto", "kept", "kept"}));
      RestProc(window.get(), SlotPreviousProcedure(60));
    } else {
      EXPECT_EQ(log.Count(kPosted), 1);
    }
    SetWindowDispatcher(&Dispatch::Handle);
  }
  // A post that fails keeps nothing.
  HWND gone = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  const int before = PostedTextsKept();
  EXPECT_FALSE(PostText(gone, kPosted, 0, "Nadie"));
  EXPECT_EQ(PostedTextsKept(), before);
}

}  // namespace
}  // namespace ui
