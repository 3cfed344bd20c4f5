// Every message of the decoder's table reaches its method with the decoded arguments.
#include "ui/bridge/message_decoder.h"

#include <gtest/gtest.h>
#include <dde.h>

#include <sstream>
#include <string>
#include <vector>

namespace ui {
namespace {

// Writes each call as "Name(arg,arg)" and answers the number of calls so far.
class Recorder : public MessageTarget {
 public:
  std::vector<std::string> calls;

  template <typename... Args>
  Answer Record(const char* name, Args... args) {
    std::ostringstream out;
    out << name << '(';
    bool first = true;
    ((out << (first ? "" : ",") << Text(args), first = false), ...);
    out << ')';
    calls.push_back(out.str());
    return Answer::Number(static_cast<LRESULT>(calls.size()));
  }

  Answer Destroy() override { return Record("Destroy"); }
  Answer Moved(WPARAM w, int x, int y) override { return Record("Moved", w, x, y); }
  Answer ReSize(int type, int w, int h) override { return Record("ReSize", type, w, h); }
  Answer GotFocus(HWND h) override { return Record("GotFocus", h); }
  Answer LostFocus(HWND h) override { return Record("LostFocus", h); }
  Answer BeginPaint() override { return Record("BeginPaint"); }
  Answer Paint() override { return Record("Paint"); }
  Answer EndPaint() override { return Record("EndPaint"); }
  Answer Close(WPARAM w) override { return Record("Close", w); }
  Answer QueryEndSession() override { return Record("QueryEndSession"); }
  Answer EraseBkGnd(HDC dc) override { return Record("EraseBkGnd", dc); }
  Answer GetMinMaxInfo(MINMAXINFO* p) override { return Record("GetMinMaxInfo", p); }
  Answer DrawItem(WPARAM id, DRAWITEMSTRUCT* p) override { return Record("DrawItem", id, p); }
  Answer MeasureItem(WPARAM id, MEASUREITEMSTRUCT* p) override { return Record("MeasureItem", id, p); }
  Answer QueryDragIcon() override { return Record("QueryDragIcon"); }
  Answer CommNotify(WPARAM w, LPARAM l) override { return Record("CommNotify", w, l); }
  Answer Notify(WPARAM id, NMHDR* p) override { return Record("Notify", id, p); }
  Answer NcActivate(bool a) override { return Record("NcActivate", a); }
  Answer GetDlgCode(WPARAM k) override { return Record("GetDlgCode", k); }
  Answer NcMouseMove(WPARAM hit, int r, int c) override { return Record("NcMouseMove", hit, r, c); }
  Answer KeyDown(int k, LPARAM f) override { return Record("KeyDown", k, f); }
  Answer KeyChar(int k, LPARAM f) override { return Record("KeyChar", k, f); }
  Answer Command(WPARAM w, LPARAM l) override { return Record("Command", w, l); }
  Answer SysCommand(WPARAM w, LPARAM l) override { return Record("SysCommand", w, l); }
  Answer Timer(WPARAM id, LPARAM l) override { return Record("Timer", id, l); }
  Answer HScroll(WPARAM w, LPARAM l) override { return Record("HScroll", w, l); }
  Answer VScroll(WPARAM w, LPARAM l) override { return Record("VScroll", w, l); }
  Answer InitMenuPopup(HMENU m, int p, bool s) override { return Record("InitMenuPopup", m, p, s); }
  Answer MenuSelect(int i, int f, HMENU m) override { return Record("MenuSelect", i, f, m); }
  Answer MenuChar(int c, int f, HMENU m) override { return Record("MenuChar", c, f, m); }
  Answer CtlColor(HWND h, HDC dc) override { return Record("CtlColor", h, dc); }
  Answer MouseMove(int r, int c, WPARAM k) override { return Record("MouseMove", r, c, k); }
  Answer LButtonDown(int r, int c, WPARAM k) override { return Record("LButtonDown", r, c, k); }
  Answer LButtonUp(int r, int c, WPARAM k) override { return Record("LButtonUp", r, c, k); }
  Answer LDblClick(int r, int c, WPARAM k) override { return Record("LDblClick", r, c, k); }
  Answer RButtonDown(int r, int c, WPARAM k) override { return Record("RButtonDown", r, c, k); }
  Answer RButtonUp(int r, int c, WPARAM k) override { return Record("RButtonUp", r, c, k); }
  Answer MButtonDown(int r, int c, WPARAM k) override { return Record("MButtonDown", r, c, k); }
  Answer MButtonUp(int r, int c, WPARAM k) override { return Record("MButtonUp", r, c, k); }
  Answer MouseWheel(int k, int d, int x, int y) override { return Record("MouseWheel", k, d, x, y); }
  Answer DropFiles(HDROP h) override { return Record("DropFiles", h); }
  Answer QueryNewPalette() override { return Record("QueryNewPalette"); }
  Answer PaletteChanged(HWND h) override { return Record("PaletteChanged", h); }
  Answer DdeInitiate(HWND c, ATOM a, ATOM t) override { return Record("DdeInitiate", c, a, t); }
  Answer DdeTerminate(WPARAM w) override { return Record("DdeTerminate", w); }
  Answer DdeAck(WPARAM w, LPARAM l) override { return Record("DdeAck", w, l); }
  Answer DdeExecute(WPARAM w, LPARAM l) override { return Record("DdeExecute", w, l); }
  Answer HelpF1() override { return Record("HelpF1"); }
  Answer DropOver(int lo, int hi, LPARAM l) override { return Record("DropOver", lo, hi, l); }
  Answer AsyncSelect(WPARAM w, LPARAM l) override { return Record("AsyncSelect", w, l); }
  Answer TaskBar(WPARAM w, LPARAM l) override { return Record("TaskBar", w, l); }

 private:
  template <typename T>
  static std::string Text(T value) {
    if constexpr (std::is_pointer_v<T>) {
      std::ostringstream out;
      out << "0x" << std::hex << reinterpret_cast<std::uintptr_t>(value);
      return out.str();
    } else if constexpr (std::is_same_v<T, bool>) {
      return value ? ".T." : ".F.";
    } else {
      return std::to_string(static_cast<long long>(value));
    }
  }
};

struct Case {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  const char* expected;  // the calls, joined by " "
};

LPARAM Words(int low, int high) { return static_cast<LPARAM>(MAKELONG(low, high)) & 0xFFFFFFFF; }

TEST(MessageDecoder, EveryMessageOfTheTableReachesItsMethod) {
  const Case cases[] = {
      {WM_DESTROY, 0, 0, "Destroy()"},
      {WM_MOVE, 3, Words(10, 20), "Moved(3,10,20)"},
      {WM_SIZE, SIZE_MAXIMIZED, Words(640, 480), "ReSize(2,640,480)"},
      {WM_SETFOCUS, 0x1234, 0, "GotFocus(0x1234)"},
      {WM_KILLFOCUS, 0x5678, 0, "LostFocus(0x5678)"},
      {WM_PAINT, 0, 0, "BeginPaint() Paint() EndPaint()"},
      {WM_CLOSE, 9, 0, "Close(9)"},
      {WM_QUERYENDSESSION, 0, 0, "QueryEndSession()"},
      {WM_ERASEBKGND, 0xABC, 0, "EraseBkGnd(0xabc)"},
      {WM_GETMINMAXINFO, 0, 0x100, "GetMinMaxInfo(0x100)"},
      {WM_DRAWITEM, 101, 0x200, "DrawItem(101,0x200)"},
      {WM_MEASUREITEM, 102, 0x300, "MeasureItem(102,0x300)"},
      {WM_QUERYDRAGICON, 0, 0, "QueryDragIcon()"},
      {WM_COMMNOTIFY, 4, 5, "CommNotify(4,5)"},
      {WM_NOTIFY, 103, 0x400, "Notify(103,0x400)"},
      {WM_NCACTIVATE, 2, 0, "NcActivate(.T.)"},
      {WM_NCACTIVATE, 0, 0, "NcActivate(.F.)"},
      {WM_GETDLGCODE, VK_TAB, 0, "GetDlgCode(9)"},
      {WM_NCMOUSEMOVE, HTCAPTION, Words(30, 40), "NcMouseMove(2,40,30)"},
      {WM_KEYDOWN, VK_F5, 0x003F0001, "KeyDown(116,4128769)"},
      {WM_CHAR, 'a', 1, "KeyChar(97,1)"},
      {WM_COMMAND, MAKEWPARAM(550, BN_CLICKED), 0x99, "Command(550,153)"},
      {WM_SYSCOMMAND, SC_CLOSE, 0, "SysCommand(61536,0)"},
      {WM_TIMER, 7, 0, "Timer(7,0)"},
      {WM_HSCROLL, SB_LINEDOWN, 0, "HScroll(1,0)"},
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50), 0, "VScroll(3276804,0)"},
      {WM_INITMENUPOPUP, 0x77, Words(3, 1), "InitMenuPopup(0x77,3,.T.)"},
      {WM_INITMENUPOPUP, 0x77, Words(2, 0), "InitMenuPopup(0x77,2,.F.)"},
      // Flags from HIWORD(wParam): a closed menu is 0xFFFF with no menu.
      {WM_MENUSELECT, MAKEWPARAM(20001, MF_POPUP | MF_HILITE), 0x88, "MenuSelect(20001,144,0x88)"},
      {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0, "MenuSelect(0,65535,0x0)"},
      {WM_MENUCHAR, MAKEWPARAM('s', MF_POPUP), 0x89, "MenuChar(115,16,0x89)"},
      // The control's whole handle, not its low 16 bits.
      {WM_CTLCOLOREDIT, 0xD0, 0x1'0000'1234LL, "CtlColor(0x100001234,0xd0)"},
      {WM_CTLCOLORLISTBOX, 0xD1, 0x55, "CtlColor(0x55,0xd1)"},
      {WM_CTLCOLORSTATIC, 0xD2, 0x56, "CtlColor(0x56,0xd2)"},
      {WM_MOUSEMOVE, MK_SHIFT, Words(5, 6), "MouseMove(6,5,4)"},
      // A captured mouse left of or above the window: negative, not 65535.
      {WM_LBUTTONDOWN, MK_LBUTTON, Words(0xFFFF, 12), "LButtonDown(12,-1,1)"},
      {WM_LBUTTONUP, 0, Words(5, 0xFFF0), "LButtonUp(-16,5,0)"},
      {WM_MOUSEMOVE, 0, Words(0x8000, 0x7FFF), "MouseMove(32767,-32768,0)"},
      {WM_LBUTTONUP, 0, Words(1, 2), "LButtonUp(2,1,0)"},
      {WM_LBUTTONDBLCLK, 0, Words(1, 2), "LDblClick(2,1,0)"},
      {WM_RBUTTONDOWN, 0, Words(1, 2), "RButtonDown(2,1,0)"},
      {WM_RBUTTONUP, 0, Words(1, 2), "RButtonUp(2,1,0)"},
      {WM_MBUTTONDOWN, MK_CONTROL, Words(1, 2), "MButtonDown(2,1,8)"},
      {WM_MBUTTONUP, 0, Words(1, 2), "MButtonUp(2,1,0)"},
      // Towards the user the delta is negative; positions are signed.
      {WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-120)), Words(0xFFF6, 300),
       "MouseWheel(8,-120,-10,300)"},
      {WM_DROPFILES, 0x66, 0, "DropFiles(0x66)"},
      {WM_QUERYNEWPALETTE, 0, 0, "QueryNewPalette()"},
      {WM_PALETTECHANGED, 0x67, 0, "PaletteChanged(0x67)"},
      {WM_DDE_INITIATE, 0x68, Words(0xC001, 0xC002), "DdeInitiate(0x68,49153,49154)"},
      {WM_DDE_TERMINATE, 0x69, 0, "DdeTerminate(105)"},
      {WM_DDE_ACK, 0x6A, 0x6B, "DdeAck(106,107)"},
      {WM_DDE_EXECUTE, 0x6C, 0x6D, "DdeExecute(108,109)"},
      {kFwDrawItem, 104, 0x500, "DrawItem(104,0x500)"},
      {kFwHelpF1, 0, 0, "HelpF1()"},
      {kFwDropOver, 0, Words(7, 8), "DropOver(7,8,524295)"},
      {kFwAsyncSelect, 1, 2, "AsyncSelect(1,2)"},
      {kFwTaskBar, 3, 4, "TaskBar(3,4)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    Recorder target;
    const Answer answer = DecodeMessage(target, c.message, c.wparam, c.lparam);
    std::string joined;
    for (const std::string& call : target.calls) joined += (joined.empty() ? "" : " ") + call;
    EXPECT_EQ(joined, c.expected);
    // The answer is the last method's: for WM_PAINT, EndPaint's (the third call).
    EXPECT_EQ(answer, Answer::Number(static_cast<LRESULT>(target.calls.size())));
    EXPECT_TRUE(HasMessageMethod(c.message));
  }
}

TEST(MessageDecoder, MessagesWithoutAMethodAnswerNothing) {
  for (UINT message : {0u, 1u, 4u, 6u, 9u, 18u, 74u, 272u, 278u, 289u, 306u, 309u, 518u, 521u,
                       1024u, 2047u, 2055u, 2057u, 2060u, 2062u, 2064u, 2066u, 2068u}) {
    SCOPED_TRACE(message);
    Recorder target;
    EXPECT_EQ(DecodeMessage(target, message, 1, 2), Answer{});
    EXPECT_TRUE(target.calls.empty());
    EXPECT_FALSE(HasMessageMethod(message));
  }
}

TEST(MessageDecoder, ABaseTargetAnswersNothingToEveryMessage) {
  MessageTarget plain;
  for (UINT message = 0; message < 2100; ++message) {
    if (message == WM_PAINT) continue;  // would need a real window
    EXPECT_EQ(DecodeMessage(plain, message, 0, 0), Answer{}) << message;
  }
}

TEST(Answer, KeepsNothingNumbersAndLogicalsApart) {
  EXPECT_FALSE(Answer{}.handled());
  EXPECT_EQ(Answer{}.DialogResult(), FALSE);
  EXPECT_EQ(Answer::Number(0).WindowResult(), 0);
  EXPECT_TRUE(Answer::Number(0).handled());
  EXPECT_EQ(Answer::Number(65535).DialogResult(), 65535);
  EXPECT_EQ(Answer::Logical(true).DialogResult(), TRUE);
  EXPECT_EQ(Answer::Logical(true).WindowResult(), 0);
  EXPECT_EQ(Answer::Logical(false).DialogResult(), FALSE);
  EXPECT_NE(Answer::Logical(true), Answer::Number(1));
  EXPECT_NE(Answer::Logical(false), Answer{});
}

}  // namespace
}  // namespace ui
