// TFolder: construction, pages, the tabs and SYSWAIT.
#include "ui/controls/tfolder.h"

#include <algorithm>

#include "runtime/block.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/folder_paint.h"
#include "ui/controls/tab_layout.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kRowPixels = 15;
constexpr int kColPixels = 6;

xb::Value Answering(bool answer) {
  return xb::Value(xb::Block::Native([answer](xb::Args&) { return xb::Value::Logical(answer); }));
}

bool CallLogical(const char* function) {
  return xb::IsFunctionRegistered(function) && xb::CallFunction(function).AsLogical();
}

xb::Array Strings(const std::vector<std::string>& texts) {
  xb::Array a = xb::Array::New();
  for (const std::string& t : texts) a.Append(xb::Value::String(t));
  return a;
}

xb::Array Trues(std::size_t n) {
  xb::Array a = xb::Array::New();
  for (std::size_t i = 0; i < n; ++i) a.Append(xb::Value::Logical(true));
  return a;
}

char LowerLetter(unsigned char c) { return static_cast<char>(xb::LowerChar(xb::CurrentCodePage(), c)); }

}  // namespace

TFolder::TFolder() : TFolder(Cls()) {}

TFolder::TFolder(const xb::Class& cls) : TControl(cls) {}

void TFolder::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  if (oFont2) visitor.Visit(oFont2.get());
}

void TFolder::ClearValues() {
  TControl::ClearValues();
  oFont2 = nullptr;
  aPrompts = aDialogs = aEnable = xb::Value();
}

bool TFolder::Win95Look() {
  if (CallLogical("ISWINNT")) return true;
  if (!xb::IsFunctionRegistered("GETVERSION")) return true;
  const xb::Array version = xb::CallFunction("GETVERSION").AsArray();
  return version.Get(0).AsInt() > 3 || version.Get(1).AsInt() > 51;
}

void TFolder::SetupLook() {
  TFont::Spec bold;
  bold.face = xb::IsFunctionRegistered("GETSYSFONT") ? std::string(xb::CallFunction("GETSYSFONT").AsString()) : "Ms Sans Serif";
  bold.width = 0;
  bold.height = -9;
  bold.bold = true;
  oFont2 = TFont::New(bold);
  nFdHeight = CallLogical("LARGEFONTS") ? 25 : 22;
  lWin95Look = Win95Look();
}

// ---- construction ------------------------------------------------------------------------------

TFolder& TFolder::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  aPrompts = xb::Value(Strings(p.prompts));
  if (!aEnable.IsArray()) aEnable = xb::Value(Trues(p.prompts.size()));
  const std::size_t pages = std::max(p.dialogs, p.prompts.size());
  nOption = p.option;
  nStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  if (p.design) nStyle |= WS_CLIPSIBLINGS;
  nTop = p.pixel ? p.top : p.top * kRowPixels;
  nLeft = p.pixel ? p.left : p.left * kColPixels;
  nBottom = nTop + p.height - 1;
  nRight = nLeft + p.width - 1;
  lDrag = lDesign = p.design;
  cMsg = p.message;
  lAllWidth = p.all_width;
  cVarName.clear();
  SetupLook();
  if (xb::Ref<TFont> font = p.font ? p.font : (oWnd ? oWnd->oFont : nullptr)) SetFont(font);
  SetColor(p.fore.value_or(oWnd ? oWnd->nClrText : 0), p.back.value_or(::GetSysColor(COLOR_BTNFACE)));
  Register(CS_VREDRAW | CS_HREDRAW);
  const bool live = CreateOrDefine({});
  if (live && !oFont) GetFont();
  xb::Array dialogs = xb::Array::New();
  for (std::size_t i = 0; i < pages; ++i) {
    xb::Ref<TDialog> page = NewPage(xb::Value(), true);
    page->cVarName = "Page" + std::to_string(i + 1);
    dialogs.Append(page->Self());
  }
  aDialogs = xb::Value(dialogs);
  if (live) Default();
  if (lDesign) CheckDots();
  SetWndDefault(oWnd);
  return *this;
}

TFolder& TFolder::ReDefine(int id, const RedefineParams& p) {
  WindowRef parent = p.parent ? p.parent : GetWndDefault();
  aPrompts = xb::Value(Strings(p.prompts));
  aEnable = xb::Value(Trues(p.prompts.size()));
  nOption = p.option;
  oWnd = parent;
  if (parent && parent->oFont) SetFont(parent->oFont);
  SetupLook();
  bChange = p.change;
  lAllWidth = p.all_width;
  Register(CS_VREDRAW | CS_HREDRAW);
  // The pages take the given colour, else the dialog's own.
  SetColor(p.fore.value_or(parent ? parent->nClrText : 0), p.back.value_or(parent ? parent->nClrPane : 0));
  xb::Array dialogs = xb::Array::New();
  for (std::size_t i = 0; i < p.prompts.size(); ++i) {
    const xb::Value resource = i < p.dialogs.size() ? p.dialogs[i] : xb::Value();
    dialogs.Append(NewPage(resource, false)->Self());
  }
  aDialogs = xb::Value(dialogs);
  Redefine(id, parent);
  SetWndDefault(parent);
  return *this;
}

xb::Ref<TDialog> TFolder::NewPage(const xb::Value& resource, bool in_memory) {
  auto page = xb::MakeRef<TDialog>();
  TDialog::NewParams d;
  d.resource = resource;
  d.style = WS_CHILD;
  d.parent = WindowRef(this);
  d.pixel = true;
  d.top = 0;
  d.left = 0;
  d.bottom = nHeight() - nFdHeight - 5;
  d.right = nWidth() - 6;
  if (!in_memory) {
    d.clr_text = nClrText;
    d.clr_pane = nClrPane;
  }
  d.font = oFont;
  page->New(d);
  return page;
}

void TFolder::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  if (!oFont) GetFont();
  Default();
  for (int n = 1; n <= static_cast<int>(aDialogs.AsArray().size()); ++n)
    if (TDialog* page = Page(n)) page->SetSize(nWidth() - 6, nHeight() - nFdHeight - 5);
}

void TFolder::Default() {
  TControl::Default();
  SizeTabs(nWidth());
  for (int n = 1; n <= static_cast<int>(aDialogs.AsArray().size()); ++n) {
    if (TDialog* page = Page(n)) {
      ActivatePage(*page);
      page->Hide();
    }
  }
  ShowCurrent();
}

void TFolder::ActivatePage(TDialog& page) {
  TDialog::ActivateParams a;
  a.l_clicked = page.bLClicked;
  a.moved = page.bMoved;
  a.painted = page.bPainted;
  a.r_clicked = page.bRClicked;
  a.centered = false;
  a.modal = false;
  a.valid = Answering(false);  // a page never closes by itself
  TFolder* self = this;
  a.init = xb::Value(xb::Block::Native([self](xb::Args& args) {
    if (auto* p = dynamic_cast<TDialog*>(args.Obj(1).get()); p != nullptr && p->hWnd != nullptr) {
      ::SetWindowPos(p->hWnd, nullptr, 3, self->nFdHeight + 2, self->nWidth() - 6,
                     self->nHeight() - self->nFdHeight - 5, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return xb::Value();
  }));
  page.Activate(a);
}

void TFolder::EndPage(TDialog& page) {
  page.bValid = Answering(true);
  if (page.hWnd != nullptr) ::ShowWindow(page.hWnd, SW_HIDE);
  page.End();
}

void TFolder::ShowCurrent() {
  if (TDialog* page = Page(nOption); page != nullptr && page->hWnd != nullptr) page->Show();
}

// ---- tabs --------------------------------------------------------------------------------------

int TFolder::PromptCount() const { return static_cast<int>(aPrompts.AsArray().size()); }

std::string TFolder::Prompt(int n) const {
  const xb::Value p = aPrompts.AsArray().Get(static_cast<std::size_t>(n) - 1);
  return p.IsString() ? std::string(p.AsString()) : std::string();
}

bool TFolder::TabEnabled(int n) const {
  const xb::Array enabled = aEnable.AsArray();
  if (n < 1 || static_cast<std::size_t>(n) > enabled.size()) return true;
  const xb::Value e = enabled.Get(static_cast<std::size_t>(n) - 1);
  return !e.IsLogical() || e.AsLogical();
}

TDialog* TFolder::Page(int n) const {
  if (n < 1) return nullptr;
  const xb::Array pages = aDialogs.AsArray();
  if (static_cast<std::size_t>(n) > pages.size()) return nullptr;
  return dynamic_cast<TDialog*>(pages.Get(static_cast<std::size_t>(n) - 1).AsObject().get());
}

void TFolder::SizeTabs(int width) {
  std::vector<int> widths;
  for (int n = 1; n <= PromptCount(); ++n) widths.push_back(PromptExtent(nullptr, Prompt(n), oFont ? oFont->hFont : nullptr));
  nTabSize = FolderTabSize(width, widths, lAllWidth);
}

std::vector<int> TFolder::TabWidths() const {
  std::vector<int> widths;
  for (int n = 1; n <= PromptCount(); ++n)
    widths.push_back(lWin95Look ? PromptExtent(nullptr, Prompt(n), oFont ? oFont->hFont : nullptr) + 13 : nTabSize);
  return widths;
}

void TFolder::SetOption(int n) {
  if (n < 1 || n > PromptCount() || n == nOption || !TabEnabled(n)) return;
  WindowRef keep(this);
  if (TDialog* current = Page(nOption)) current->Hide();
  const int old = nOption;
  nOption = n;
  Refresh();
  if (TDialog* page = Page(n)) {
    if (bChange.IsBlock()) bChange.AsBlock().Eval({xb::Value::Integer(n), xb::Value::Integer(old)});
    page->AEvalWhen();
    page->Show();
    page->SetFocus();
  }
}

int TFolder::GetHotPos(int key) const {
  const char wanted = LowerLetter(static_cast<unsigned char>(key & 0xFF));
  for (int n = 1; n <= PromptCount(); ++n) {
    if (n == nOption || !TabEnabled(n)) continue;
    const std::string prompt = Prompt(n);
    const std::size_t amp = prompt.find('&');
    if (amp != std::string::npos && amp + 1 < prompt.size() &&
        LowerLetter(static_cast<unsigned char>(prompt[amp + 1])) == wanted)
      return n;
  }
  return 0;
}

void TFolder::AddItem(const std::string& prompt) {
  xb::Ref<TDialog> page = NewPage(xb::Value(), true);
  if (hWnd != nullptr) {
    ActivatePage(*page);
    page->Hide();
  }
  aDialogs.AsArray().Append(page->Self());
  aPrompts.AsArray().Append(xb::Value::String(prompt));
  aEnable.AsArray().Append(xb::Value::Logical(true));
  SizeTabs(nWidth());
  Refresh();
}

void TFolder::DelItem() {
  const int count = PromptCount();
  if (nOption < 1 || nOption > count) return;
  const std::size_t at = static_cast<std::size_t>(nOption) - 1;
  const xb::Array pages = aDialogs.AsArray();
  if (at < pages.size()) {
    if (auto* page = dynamic_cast<TDialog*>(pages.Get(at).AsObject().get())) EndPage(*page);
    pages.DeleteShift(at);
    pages.Resize(pages.size() - 1);
  }
  aPrompts.AsArray().DeleteShift(at);
  aPrompts.AsArray().Resize(static_cast<std::size_t>(count) - 1);
  const xb::Array enabled = aEnable.AsArray();
  if (at < enabled.size()) {
    enabled.DeleteShift(at);
    enabled.Resize(enabled.size() - 1);
  }
  nOption = std::min(nOption, PromptCount());
  SizeTabs(nWidth());
  Refresh();
  ShowCurrent();  // the old tab is gone: no bChange
}

void TFolder::DelPages() {
  while (PromptCount() > 0 && nOption > 0) DelItem();
  // Pages without a tab of their own go too.
  while (!aDialogs.AsArray().empty()) {
    const xb::Array pages = aDialogs.AsArray();
    if (auto* page = dynamic_cast<TDialog*>(pages.Get(0).AsObject().get())) EndPage(*page);
    pages.DeleteShift(0);
    pages.Resize(pages.size() - 1);
  }
  aPrompts = xb::Value(xb::Array::New());
  aEnable = xb::Value(xb::Array::New());
  nOption = 0;
}

void TFolder::LoadPages(const std::vector<xb::Value>& resources, const xb::Value& on_page) {
  DelPages();
  xb::Array prompts = xb::Array::New();
  xb::Array pages = xb::Array::New();
  for (const xb::Value& r : resources) prompts.Append(r);
  aPrompts = xb::Value(prompts);
  aEnable = xb::Value(Trues(resources.size()));
  aDialogs = xb::Value(pages);
  for (std::size_t i = 0; i < resources.size(); ++i) {
    xb::Ref<TDialog> page = NewPage(resources[i], false);
    pages.Append(page->Self());
    if (on_page.IsBlock()) on_page.AsBlock().Eval({Self(), xb::Value::Integer(static_cast<std::int64_t>(i) + 1)});
    if (hWnd != nullptr) {
      ActivatePage(*page);
      page->Hide();
    }
  }
  nOption = 1;
  SizeTabs(nWidth());
  Refresh();
  ShowCurrent();
}

void TFolder::UpdatePages() {
  for (int n = 1; n <= static_cast<int>(aDialogs.AsArray().size()); ++n)
    if (TDialog* page = Page(n)) page->Update();
}

void TFolder::UpdateFromParent() {
  TControl::UpdateFromParent();
  UpdatePages();
}

// ---- messages ----------------------------------------------------------------------------------

Answer TFolder::Display() {
  PAINTSTRUCT ps = {};
  HDC dc = ::BeginPaint(hWnd, &ps);
  // The strip behind the tabs takes the folder's colour; the pages cover the rest.
  RECT strip = {0, 0, nWidth(), nFdHeight + 2};
  if (HBRUSH pane = ::CreateSolidBrush(nClrPane)) {
    ::FillRect(dc, &strip, pane);
    ::DeleteObject(pane);
  }
  Paint(dc);
  ::EndPaint(hWnd, &ps);
  return Answer::Number(0);
}

void TFolder::Paint(HDC dc) {
  FolderLook look;
  for (int n = 1; n <= PromptCount(); ++n) {
    look.prompts.push_back(Prompt(n));
    look.enabled.push_back(TabEnabled(n));
  }
  look.font = oFont ? oFont->hFont : nullptr;
  look.bold = oFont2 ? oFont2->hFont : nullptr;
  look.pane = nClrPane;
  look.option = nOption;
  look.tab_size = nTabSize;
  look.win95 = lWin95Look;
  look.strip_height = nFdHeight;
  FoldPaint(hWnd, dc, look);
}

Answer TFolder::LButtonDown(int row, int col, WPARAM keys) {
  if (lDesign) return TControl::LButtonDown(row, col, keys);
  if (row <= nFdHeight) SetOption(FolderTabAt(col, TabWidths()));
  return Answer::Number(0);
}

Answer TFolder::ReSize(int type, int width, int height) {
  SizeTabs(width);
  for (int n = 1; n <= static_cast<int>(aDialogs.AsArray().size()); ++n)
    if (TDialog* page = Page(n)) page->SetSize(width - 6, height - nFdHeight - 5);
  return TControl::ReSize(type, width, height);
}

Answer TFolder::GotFocus(HWND losing) {
  TControl::GotFocus(losing);
  if (TDialog* page = Page(nOption)) {
    page->AEvalWhen();
    page->SetFocus();
  }
  return Answer::Number(0);
}

Answer TFolder::Destroy() {
  if (oFont2) {
    oFont2->End();
    oFont2 = nullptr;
  }
  for (int n = 1; n <= static_cast<int>(aDialogs.AsArray().size()); ++n)
    if (TDialog* page = Page(n)) EndPage(*page);
  return TControl::Destroy();
}

void TFolder::Refresh(bool erase) {
  if (hWnd == nullptr) return;
  RECT strip = {0, 0, nWidth(), nFdHeight + 2};
  ::InvalidateRect(hWnd, &strip, erase ? TRUE : FALSE);
}

// ---- SYSWAIT -----------------------------------------------------------------------------------

void SysWait(double seconds) {
  const DWORD wait = seconds > 0 ? static_cast<DWORD>(seconds * 1000 + 0.5) : 0;
  const DWORD start = ::GetTickCount();
  // Unsigned differences stay right when the tick count wraps.
  for (DWORD passed = 0; passed < wait; passed = ::GetTickCount() - start) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait - passed, QS_ALLINPUT);
    SysRefresh();
  }
}

}  // namespace ui
