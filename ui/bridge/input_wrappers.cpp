// Carets, scroll bars, list boxes, edit lines, the clipboard and dropped files by name.
#include "ui/bridge/input_wrappers.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include "runtime/function_table.h"
#include "ui/bridge/wrapper_args.h"

namespace ui {
namespace {

using namespace wrap;

constexpr UINT kText = 1;
constexpr UINT kBitmap = 2;

void RegisterCaretAndScrollBars() {
  using xb::RegisterFunction;
  RegisterFunction("CREATECARET", [](Args& a) {
    return Log(CreateCaret(Hd<HWND>(a, 1), Hd<HBITMAP>(a, 2), I(a, 3), I(a, 4)));
  });
  RegisterFunction("SHOWCARET", [](Args& a) { return Log(ShowCaret(Hd<HWND>(a, 1))); });
  RegisterFunction("HIDECARET", [](Args& a) { return Log(HideCaret(Hd<HWND>(a, 1))); });
  RegisterFunction("DESTROYCARET", [](Args&) { return Log(DestroyCaret()); });
  RegisterFunction("GETCARETPOS", [](Args&) {
    POINT p = {};
    GetCaretPos(&p);
    return XY(p.x, p.y);
  });
  RegisterFunction("SETSCROLLRANGE", [](Args& a) {
    return Log(SetScrollRange(Hd<HWND>(a, 1), I(a, 2), I(a, 3), I(a, 4), B(a, 5)));
  });
  RegisterFunction("SETSCROLLPOS", [](Args& a) {
    return Num(SetScrollPos(Hd<HWND>(a, 1), I(a, 2), I(a, 3), B(a, 4)));
  });
  RegisterFunction("GETSCROLLRANGE", [](Args& a) {
    int low = 0, high = 0;
    GetScrollRange(Hd<HWND>(a, 1), I(a, 2), &low, &high);
    return Value(xb::Array::Of({Num(low), Num(high)}));
  });
  RegisterFunction("GETSCROLLPOS", [](Args& a) { return Num(GetScrollPos(Hd<HWND>(a, 1), I(a, 2))); });
}

void RegisterListsAndEdits() {
  using xb::RegisterFunction;
  RegisterFunction("LBXGETITEM", [](Args& a) { return Str(ListBoxItem(Hd<HWND>(a, 1), I(a, 2))); });
  RegisterFunction("LBXGETSELITEMS", [](Args& a) {
    xb::Array items = xb::Array::New();
    for (int n : ListBoxSelection(Hd<HWND>(a, 1))) items.Append(Num(n));
    return Value(items);
  });
  RegisterFunction("MGETLINE", [](Args& a) {
    char line[256] = {};
    *reinterpret_cast<WORD*>(line) = sizeof line - 1;
    const LRESULT n = SendMessageA(Hd<HWND>(a, 1), EM_GETLINE, static_cast<WPARAM>(a.Int(2)),
                                   reinterpret_cast<LPARAM>(line));
    return Str(std::string_view(line, n > 0 ? static_cast<size_t>(n) : 0));
  });
  RegisterFunction("MGETREPLACE", [](Args& a) {
    const std::string text = S(a, 2);
    SendMessageA(Hd<HWND>(a, 1), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return Value();
  });
}

void RegisterClipboardAndDrops() {
  using xb::RegisterFunction;
  RegisterFunction("OPENCLIPBOARD", [](Args& a) { return Log(OpenClipboard(Hd<HWND>(a, 1))); });
  RegisterFunction("CLOSECLIPBOARD", [](Args&) { return Log(CloseClipboard()); });
  RegisterFunction("EMPTYCLIPBOARD", [](Args&) { return Log(EmptyClipboard()); });
  RegisterFunction("SETCLIPBOARDDATA", [](Args& a) {
    if (U(a, 1) == kText) return Log(SetClipboardText(a.Str(2)));
    if (U(a, 1) == kBitmap) return Log(SetClipboardBitmap(Hd<HBITMAP>(a, 2)));
    return Log(false);
  });
  RegisterFunction("GETCLPDATA", [](Args& a) -> Value {
    if (U(a, 1) == kText) return Str(ClipboardText());
    if (U(a, 1) == kBitmap) return Ptr(ClipboardBitmap());
    return Value();
  });
  RegisterFunction("CREATEPATTERNBRUSH", [](Args& a) { return Ptr(CreatePatternBrush(Hd<HBITMAP>(a, 1))); });
  RegisterFunction("DRAGACCEPTFILES", [](Args& a) {
    DragAcceptFiles(Hd<HWND>(a, 1), B(a, 2));
    return Value();
  });
  RegisterFunction("DRAGQUERYFILES", [](Args& a) {
    xb::Array files = xb::Array::New();
    for (const std::string& f : DroppedFiles(Hd<HDROP>(a, 1))) files.Append(Str(f));
    return Value(files);
  });
  RegisterFunction("DRAGQUERYPOINT", [](Args& a) {
    POINT p = {};
    const BOOL inside = DragQueryPoint(Hd<HDROP>(a, 1), &p);
    if (a.IsByRef(2)) {
      a.SetRef(2, XY(p.x, p.y));
    } else if (const xb::Array given = a.Arr(2); given && given.size() >= 2) {
      given[0] = Num(p.x);
      given[1] = Num(p.y);
    }
    return Log(inside);
  });
  // The window that took the drop frees it (its next drop, or its end): a program's block
  // that finishes it too would free it twice.
  RegisterFunction("DRAGFINISH", [](Args&) { return Value(); });
}

}  // namespace

std::string ListBoxItem(HWND list, int index) {
  const auto at = static_cast<WPARAM>(index - 1);
  if (index < 1) return {};
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, at, 0);
  if (length == LB_ERR || length < 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(list, LB_GETTEXT, at, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::vector<int> ListBoxSelection(HWND list) {
  const LRESULT count = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
  if (count <= 0) return {};
  std::vector<int> items(static_cast<size_t>(count));
  const LRESULT got = SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(items.data()));
  items.resize(got > 0 ? static_cast<size_t>(got) : 0);
  for (int& n : items) ++n;
  return items;
}

bool SetClipboardText(std::string_view text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (block == nullptr) return false;
  auto* bytes = static_cast<char*>(GlobalLock(block));
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  GlobalUnlock(block);
  if (SetClipboardData(CF_TEXT, block) != nullptr) return true;
  GlobalFree(block);  // still ours when the clipboard did not take it
  return false;
}

bool SetClipboardBitmap(HBITMAP bitmap) {
  if (bitmap == nullptr) return false;
  HANDLE copy = CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0);
  if (copy == nullptr) return false;
  if (SetClipboardData(CF_BITMAP, copy) != nullptr) return true;
  DeleteObject(copy);
  return false;
}

std::string ClipboardText() {
  HANDLE block = GetClipboardData(CF_TEXT);
  if (block == nullptr) return {};
  const auto* bytes = static_cast<const char*>(GlobalLock(block));
  if (bytes == nullptr) return {};
  std::string text(bytes, ::strnlen(bytes, GlobalSize(block)));
  GlobalUnlock(block);
  return text;
}

HBITMAP ClipboardBitmap() {
  HANDLE bitmap = GetClipboardData(CF_BITMAP);
  if (bitmap == nullptr) return nullptr;
  return static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
}

std::vector<std::string> DroppedFiles(HDROP drop) {
  std::vector<std::string> files;
  if (drop == nullptr) return files;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::string name(length + 1, '\0');
    const UINT got = DragQueryFileA(drop, i, name.data(), length + 1);
    name.resize(got);
    files.push_back(std::move(name));
  }
  return files;
}

void RegisterInputWrappers() {
  RegisterCaretAndScrollBars();
  RegisterListsAndEdits();
  RegisterClipboardAndDrops();
}

}  // namespace ui
