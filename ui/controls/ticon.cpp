#include "ui/controls/ticon.h"

#include <shellapi.h>

#include "runtime/function_table.h"
#include "ui/bridge/resources.h"
#include "ui/core/tdialog.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

bool FileExists(const std::string& file) {
  const DWORD attributes = GetFileAttributesA(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// An icon of the file; null when it has none (ExtractIcon's 1 says it is no icon file).
HICON IconOfFile(const std::string& file) {
  if (file.empty() || !FileExists(file)) return nullptr;
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), 0);
  return reinterpret_cast<std::intptr_t>(icon) <= 1 ? nullptr : icon;
}

HICON IconOfResource(const std::string& name) {
  if (name.empty()) return nullptr;
  HMODULE module = GetResources();
  const std::optional<WORD> number = ResourceNumber(name);
  LPCSTR id = number ? MAKEINTRESOURCEA(*number) : name.c_str();
  // A copy: the object destroys what it holds.
  HICON shared = module != nullptr ? LoadIconA(module, id) : nullptr;
  return shared != nullptr ? CopyIcon(shared) : nullptr;
}

}  // namespace

TIcon::TIcon() : TControl(Cls()) {}
TIcon::~TIcon() {
  if (handle != nullptr) DestroyIcon(handle);
}

void TIcon::Load() {
  // The resource wins over the file.
  HICON icon = IconOfResource(cResName);
  if (icon == nullptr) icon = IconOfFile(cIcoFile);
  Replace(icon);
}

void TIcon::Replace(HICON icon) {
  if (handle != nullptr && handle != icon) DestroyIcon(handle);
  handle = icon;
}

TIcon& TIcon::New(const NewParams& p) {
  oWnd = p.parent;
  nTop = p.row * 14;
  nLeft = p.col * 8;
  nBottom = nTop + 31;
  nRight = nLeft + 31;
  cResName = p.resource;
  cIcoFile = p.file;
  bLClicked = p.l_clicked;
  lUpdate = p.update;
  bWhen = p.when;
  nStyle = WS_CHILD | WS_VISIBLE | (p.border ? WS_BORDER : 0);
  const TWindow* colours = oWnd ? oWnd.get() : GetWndDefault().get();
  SetColor(p.clr_text.value_or(colours ? colours->nClrText : 0), p.clr_pane.value_or(colours ? colours->nClrPane : 0));
  Load();
  if (!oWnd) return *this;  // a window's icon: no window of its own
  Register(CS_VREDRAW | CS_HREDRAW);
  if (oWnd->hWnd != nullptr) {
    if (nId == 0) nId = GetNewId();
    Create();
  } else if (auto* dialog = dynamic_cast<TDialog*>(oWnd.get())) {
    dialog->DefControl(WindowRef(this));
  }
  return *this;
}

TIcon& TIcon::ReDefine(const ReDefineParams& p) {
  cResName = p.resource;
  cIcoFile = p.file;
  bLClicked = p.l_clicked;
  lUpdate = p.update;
  bWhen = p.when;
  oWnd = p.parent ? p.parent : GetWndDefault();
  if (oWnd) SetColor(oWnd->nClrText, oWnd->nClrPane);
  Redefine(p.id, oWnd);
  return *this;
}

xb::Ref<TIcon> TIcon::OfName(const std::string& name) {
  auto icon = xb::MakeRef<TIcon>();
  NewParams p;
  if (FileExists(name)) p.file = name;
  else p.resource = name;
  icon->New(p);
  return icon;
}

void TIcon::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (handle == nullptr) Load();
}

Answer TIcon::Display() {
  BeginPaint();
  Paint();
  EndPaint();
  return Answer::Number(0);
}

Answer TIcon::Paint() {
  if (hDC != nullptr && handle != nullptr) DrawIcon(hDC, 0, 0, handle);
  return Answer::Number(0);
}

bool TIcon::SetName(const std::string& resource) {
  HICON icon = IconOfResource(resource);
  if (icon == nullptr) return false;
  cResName = resource;
  Replace(icon);
  Refresh();
  return true;
}

bool TIcon::SetFile(const std::string& file) {
  HICON icon = IconOfFile(file);
  if (icon == nullptr) return false;
  cIcoFile = file;
  Replace(icon);
  Refresh();
  return true;
}

Answer TIcon::Destroy() {
  Replace(nullptr);
  return TControl::Destroy();
}

bool TIcon::End() {
  if (hWnd == nullptr) {
    Replace(nullptr);
    return true;
  }
  return TControl::End();
}

const xb::Class& TIcon::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TICON", &TControl::Cls());
    auto self = [](Object& o) -> TIcon& { return xb::Class::Cast<TIcon>(o); };
    auto window = [](const Args& a, int n) { return WindowRef(dynamic_cast<TWindow*>(a.Obj(n).get())); };
    auto colour = [](const Args& a, int n) -> std::optional<COLORREF> {
      if (!a.Arg(n).IsNumber()) return std::nullopt;
      return static_cast<COLORREF>(a.Int(n));
    };
    c.Data("CICOFILE", &TIcon::cIcoFile);
    c.Data("CRESNAME", &TIcon::cResName);
    c.Property("HICON", [self](Object& o) { return Value::Integer(reinterpret_cast<std::intptr_t>(self(o).handle)); },
               nullptr);
    // New(nRow, nCol, cResName, cIcoFile, lBorder, bLClicked, oWnd, lUpdate, bWhen, nClrFore, nClrBack)
    c.Method("NEW", [self, window, colour](Object& o, Args& a) {
      NewParams p;
      p.row = static_cast<int>(a.Int(1));
      p.col = static_cast<int>(a.Int(2));
      p.resource = std::string(a.Str(3));
      p.file = std::string(a.Str(4));
      p.border = a.Log(5);
      p.l_clicked = a.Arg(6);
      p.parent = window(a, 7);
      p.update = a.Log(8);
      p.when = a.Arg(9);
      p.clr_text = colour(a, 10);
      p.clr_pane = colour(a, 11);
      return self(o).New(p).Self();
    });
    // ReDefine(nId, cResName, cIcoFile, bLClicked, lUpdate, oWnd, bWhen)
    c.Method("REDEFINE", [self, window](Object& o, Args& a) {
      ReDefineParams p;
      p.id = static_cast<int>(a.Int(1));
      p.resource = std::string(a.Str(2));
      p.file = std::string(a.Str(3));
      p.l_clicked = a.Arg(4);
      p.update = a.Log(5);
      p.parent = window(a, 6);
      p.when = a.Arg(7);
      return self(o).ReDefine(p).Self();
    });
    c.Method("SETNAME", [self](Object& o, Args& a) { return Value::Logical(self(o).SetName(std::string(a.Str(1)))); });
    c.Method("SETFILE", [self](Object& o, Args& a) { return Value::Logical(self(o).SetFile(std::string(a.Str(1)))); });
    return c;
  }();
  return cls;
}

void RegisterIcon() {
  (void)TIcon::Cls();
  xb::RegisterFunction("TICON", [](Args&) { return Value(xb::MakeRef<TIcon>()); });
  SetIconMaker([](const std::string& name) { return xb::ObjectRef(TIcon::OfName(name).get()); });
}

}  // namespace ui
