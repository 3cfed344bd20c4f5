#include "ui/controls/tcombobox.h"

#include <algorithm>

#include "runtime/function_table.h"
#include "ui/bridge/image_strip.h"
#include "ui/bridge/text_drawing.h"
#include "ui/controls/list_text.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tget.h"
#include "ui/core/value_text.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Value;

constexpr int kTextLeft = 36;   // items' text starts here, after the picture
constexpr int kPictureCell = 34;

}  // namespace

TComboBox::TComboBox() : TControl(Cls()) {}
TComboBox::~TComboBox() = default;

void TComboBox::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  if (oGet) visitor.Visit(oGet.get());
}

void TComboBox::ClearValues() {
  TControl::ClearValues();
  oGet = nullptr;
}

// ---- construction ---------------------------------------------------------------------------

void TComboBox::Setup(const Value& items, const Value& pictures, int style) {
  aItems = xb::Array::New();
  if (const xb::Array list = items.AsArray())
    for (const Value& item : list) aItems.Append(Value::String(CValToChar(item)));
  nComboStyle = style >= kSimple && style <= kDropDownList ? style : kDropDownList;
  aBitmaps.assign(aItems.size(), 0);
  if (const xb::Array names = pictures.AsArray(); names && !names.empty()) SetBitmaps(names);
  if (nComboStyle == kDropDown) MakeEditPart(edit_picture_, edit_change_);
}

TComboBox& TComboBox::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bSetGet = p.set_get.IsNil() ? SetGet::Of(Value()).block : p.set_get;
  nTop = p.pixel ? p.row : p.row * 14;
  nLeft = p.pixel ? p.col : p.col * 8;
  nBottom = nTop + p.height - 1;
  nRight = nLeft + p.width - 1;
  nHelpId = p.help_id;
  bChange = p.change;
  bValid = p.valid;
  if (p.font) {
    oFont = p.font;
    ++oFont->nCount;
  }
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  lDesign = p.design;
  bDrawItem = p.draw_item;
  edit_picture_ = p.edit_picture;
  edit_change_ = p.edit_change;
  SetColor(p.clr_text.value_or(GetSysColor(COLOR_WINDOWTEXT)), p.clr_pane.value_or(GetSysColor(COLOR_WINDOW)));
  Setup(p.items, p.pictures, p.style);
  // CBS_HASSTRINGS: an owner-drawn combo keeps its texts (its window text, CB_GETLBTEXT).
  nStyle = static_cast<DWORD>(nComboStyle) | WS_TABSTOP | WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL |
           (p.design ? WS_CLIPSIBLINGS : 0) | (lOwnerDraw ? CBS_OWNERDRAWFIXED | CBS_HASSTRINGS : 0);
  Register();
  if (CreateOrDefine("COMBOBOX")) {
    if (oFont) SetFont(oFont);
    else GetFont();
    Default();
    LinkEditPart();
  }
  if (lDesign) CheckDots();
  return *this;
}

TComboBox& TComboBox::ReDefine(const ReDefineParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bSetGet = p.set_get.IsNil() ? SetGet::Of(Value()).block : p.set_get;
  nHelpId = p.help_id;
  bValid = p.valid;
  bChange = p.change;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bDrawItem = p.draw_item;
  edit_picture_ = p.edit_picture;
  edit_change_ = p.edit_change;
  SetColor(p.clr_text.value_or(GetSysColor(COLOR_WINDOWTEXT)), p.clr_pane.value_or(GetSysColor(COLOR_WINDOW)));
  Setup(p.items, p.pictures, p.style & 3);
  Redefine(p.id, oWnd);
  return *this;
}

void TComboBox::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  Default();
  LinkEditPart();
  Refresh();
}

void TComboBox::FillControl() {
  if (hWnd == nullptr) return;
  SendMessageA(hWnd, CB_RESETCONTENT, 0, 0);
  for (const Value& item : aItems) SendMessageA(hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::string(item.AsString()).c_str()));
}

void TComboBox::Default() {
  TControl::Default();
  if (lOwnerDraw) FillMeasure();
  Value value = VarGet();
  const bool none = value.IsNil();
  if (none) {
    value = aItems.empty() ? Value::String("") : aItems[0];
    VarPut(value);
  }
  FillControl();
  if (none) Select(1);
  else Set(value);
}

// ---- the edit part -------------------------------------------------------------------------------

void TComboBox::MakeEditPart(const std::string& picture, const Value& change) {
  const Value value = VarGet();
  std::size_t width = value.IsString() ? value.AsString().size() : 0;
  for (const Value& item : aItems) width = std::max(width, item.AsString().size());
  edit_width_ = static_cast<int>(std::max<std::size_t>(width, 50));
  const std::string text = value.IsString() ? std::string(value.AsString()) : std::string();
  const SetGet buffer = SetGet::Of(Value::String(PadRight(text, edit_width_)));
  oGet = xb::MakeRef<TGet>();
  TGet::RedefineParams g;
  g.set_get = buffer.block;
  g.parent = WindowRef(this);
  g.picture = picture;
  g.fore = nClrText;
  g.back = nClrPane;
  g.font = oFont;
  g.change = change;
  oGet->ReDefine(0, g);
  DefControl(WindowRef(oGet.get()));
}

void TComboBox::LinkEditPart() {
  if (!oGet || hWnd == nullptr || oGet->hWnd != nullptr) return;
  HWND edit = FindWindowExA(hWnd, nullptr, "Edit", nullptr);
  if (edit == nullptr) return;
  oGet->nId = GetDlgCtrlID(edit);
  oGet->oFont = oFont;
  oGet->Initiate(hWnd);
  TComboBox* self = this;  // the edit part lives in the combo
  oGet->on_lost_focus = [self]() { self->TakeEditText(); };
}

void TComboBox::TakeEditText() {
  if (!oGet) return;
  xb::Ref<TComboBox> keep(this);
  const std::string typed = oGet->cText();
  const std::string text = TrimRight(typed);
  const int item = ItemOf(text);
  nAt = item;
  if (item > 0 && hWnd != nullptr) SendMessageA(hWnd, CB_SETCURSEL, static_cast<WPARAM>(item - 1), 0);
  if (IsNumeric()) {
    if (item > 0) VarPut(Value::Integer(item));
    return;
  }
  // A value of a length of its own keeps it (a field's width); an empty one takes the text.
  const Value old = VarGet();
  const bool sized = old.IsString() && !old.AsString().empty();
  VarPut(Value::String(sized ? PadRight(text, static_cast<int>(old.AsString().size())) : text));
}

void TComboBox::ShowInEditPart(const std::string& text) {
  if (oGet && oGet->hWnd != nullptr) oGet->SetText(Value::String(PadRight(text, edit_width_)));
}

void TComboBox::DefControl(WindowRef control) {
  if (!control) return;
  for (const WindowRef& held : aControls)
    if (held.get() == control.get()) return;
  aControls.push_back(std::move(control));
}

// ---- value ------------------------------------------------------------------------------------------

bool TComboBox::IsNumeric() { return VarGet().IsNumber(); }

std::string TComboBox::Item(int n) const {
  if (n < 1 || n > Count()) return {};
  return std::string(aItems[static_cast<std::size_t>(n - 1)].AsString());
}

int TComboBox::ItemOf(const std::string& text) const {
  const std::string wanted = FoldedText(text);
  for (int i = 1; i <= Count(); ++i)
    if (FoldedText(Item(i)) == wanted) return i;
  return 0;
}

int TComboBox::Selection() const {
  if (hWnd == nullptr) return nAt;
  const LRESULT at = SendMessageA(hWnd, CB_GETCURSEL, 0, 0);
  return at == CB_ERR ? 0 : static_cast<int>(at) + 1;
}

void TComboBox::Store(int n) {
  if (IsNumeric()) VarPut(Value::Integer(n));
  else VarPut(Value::String(Item(n)));
}

void TComboBox::Select(int n) {
  nAt = n >= 1 && n <= Count() ? n : 0;
  if (hWnd != nullptr) SendMessageA(hWnd, CB_SETCURSEL, nAt > 0 ? static_cast<WPARAM>(nAt - 1) : static_cast<WPARAM>(-1), 0);
  if (nAt > 0) ShowInEditPart(Item(nAt));
}

void TComboBox::Set(const Value& value) {
  if (value.IsNumber()) {
    const int n = static_cast<int>(value.AsInt());
    Select(n == 0 ? 1 : n);
    return;
  }
  const std::string text = CValToChar(value);
  if (const int item = ItemOf(text)) {
    Select(item);
    return;
  }
  Select(0);
  // A drop-down list shows only its items: its value stays as it is.
  if (nComboStyle == kDropDownList) return;
  if (!VarGet().SameAs(value)) VarPut(value);
  if (hWnd != nullptr) SetWindowTextA(hWnd, text.c_str());
  ShowInEditPart(text);
}

std::string TComboBox::cVarGet() {
  const int selection = Selection();
  if (selection > 0) {
    nAt = selection;
    return Item(selection);
  }
  return hWnd != nullptr ? GetText() : std::string();
}

void TComboBox::Refresh(bool erase) {
  Set(VarGet());
  TControl::Refresh(erase);
}

bool TComboBox::lValid() {
  if (!bValid.IsBlock()) return true;
  const Value result = bValid.AsBlock().Eval({oGet ? oGet->Self() : Self()});
  return result.IsLogical() ? result.AsLogical() : true;
}

// ---- items -----------------------------------------------------------------------------------------

void TComboBox::Add(const std::string& item, int at) {
  if (at < 1 || at > Count()) {
    aItems.Append(Value::String(item));
    aBitmaps.push_back(0);
    if (hWnd != nullptr) SendMessageA(hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    return;
  }
  Insert(item, at);
}

void TComboBox::Insert(const std::string& item, int at) {
  if (at < 1 || at > Count() + 1) return;
  const auto index = static_cast<std::size_t>(at - 1);
  aItems.Items().insert(aItems.Items().begin() + static_cast<std::ptrdiff_t>(index), Value::String(item));
  aBitmaps.insert(aBitmaps.begin() + static_cast<std::ptrdiff_t>(index), 0);
  if (hWnd != nullptr) SendMessageA(hWnd, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(item.c_str()));
  if (nAt >= at) ++nAt;
}

void TComboBox::Modify(const std::string& item, int at) {
  if (at < 1 || at > Count()) return;
  const auto index = static_cast<std::size_t>(at - 1);
  aItems[index] = Value::String(item);
  if (hWnd != nullptr) {
    SendMessageA(hWnd, CB_DELETESTRING, index, 0);
    SendMessageA(hWnd, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(item.c_str()));
    if (nAt == at) SendMessageA(hWnd, CB_SETCURSEL, index, 0);
  }
}

void TComboBox::Del(int at) {
  if (at < 1 || at > Count()) return;
  const auto index = static_cast<std::size_t>(at - 1);
  aItems.Items().erase(aItems.Items().begin() + static_cast<std::ptrdiff_t>(index));
  if (index < aBitmaps.size()) aBitmaps.erase(aBitmaps.begin() + static_cast<std::ptrdiff_t>(index));
  if (hWnd != nullptr) SendMessageA(hWnd, CB_DELETESTRING, index, 0);
  if (nAt == at) nAt = 0;
  else if (nAt > at) --nAt;
}

void TComboBox::Reset() {
  VarPut(IsNumeric() ? Value::Integer(0) : Value::String(""));
  aItems = xb::Array::New();
  aBitmaps.clear();
  nAt = 0;
  if (hWnd != nullptr) SendMessageA(hWnd, CB_RESETCONTENT, 0, 0);
}

void TComboBox::SetItems(const xb::Array& items) {
  Reset();
  for (const Value& item : items) {
    aItems.Append(Value::String(CValToChar(item)));
    aBitmaps.push_back(0);
  }
  Default();
}

void TComboBox::Open() {
  if (hWnd != nullptr) SendMessageA(hWnd, CB_SHOWDROPDOWN, TRUE, 0);
}

int TComboBox::FindString(const std::string& text, int start) const {
  if (hWnd == nullptr) return 0;
  const LRESULT at = SendMessageA(hWnd, CB_FINDSTRING, static_cast<WPARAM>(start - 1), reinterpret_cast<LPARAM>(text.c_str()));
  return at == CB_ERR ? 0 : static_cast<int>(at) + 1;
}

// ---- pictures ----------------------------------------------------------------------------------------

void TComboBox::SetBitmaps(const xb::Array& pictures) {
  lOwnerDraw = true;
  aBitmaps.assign(aItems.size(), 0);
  for (std::size_t i = 0; i < pictures.size() && i < aItems.size(); ++i) {
    const Value& picture = pictures[i];
    const std::string name = picture.IsNumber() ? std::to_string(picture.AsInt()) : std::string(picture.AsString());
    if (name.empty()) continue;
    auto known = std::find(aBmpCbx.begin(), aBmpCbx.end(), name);
    if (known == aBmpCbx.end()) {
      if (!strip_) strip_ = std::make_unique<ImageStrip>();
      const std::optional<StripImage> image =
          picture.IsNumber() ? strip_->Load(static_cast<int>(picture.AsInt())) : strip_->Load(name);
      if (!image) continue;  // a picture that cannot be had: the text only
      aBmpCbx.push_back(name);
      images_.push_back(*image);
      nBmpWidth = std::max(nBmpWidth, image->width);
      nBmpHeight = std::max(nBmpHeight, image->height);
      known = aBmpCbx.end() - 1;
    }
    aBitmaps[i] = static_cast<int>(known - aBmpCbx.begin()) + 1;
  }
}

void TComboBox::FillMeasure() {
  if (hWnd == nullptr) return;
  const int text = NWndChrHeight(hWnd, oFont ? oFont->hFont : nullptr);
  const int height = std::max(nBmpHeight, text) + 2;
  SendMessageA(hWnd, CB_SETITEMHEIGHT, 0, height);
  SendMessageA(hWnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
}

HBITMAP TComboBox::hCbxBuff() const { return strip_ ? strip_->bitmap() : nullptr; }

bool TComboBox::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT text_area = item.rcItem;
  text_area.left = std::min(item.rcItem.left + kTextLeft, item.rcItem.right);
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  if (static_cast<int>(item.itemID) < 0) {
    if (focused) DrawFocusRect(dc, &text_area);
    return true;
  }
  if ((item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) {
    if (item.itemAction & ODA_FOCUS) DrawFocusRect(dc, &text_area);
    return true;
  }
  const int n = static_cast<int>(item.itemID) + 1;
  FillRect(dc, &item.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (selected) FillRect(dc, &text_area, GetSysColorBrush(COLOR_HIGHLIGHT));
  const COLORREF old_text = SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : nClrText);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  std::string text = Item(n);
  if (text.empty() && hWnd != nullptr) {
    char buffer[512] = {};
    if (SendMessageA(hWnd, CB_GETLBTEXTLEN, item.itemID, 0) < static_cast<LRESULT>(sizeof buffer))
      SendMessageA(hWnd, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(buffer));
    text = buffer;
  }
  RECT line = text_area;
  line.left += 2;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &line, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SetBkMode(dc, old_mode);
  SetTextColor(dc, old_text);
  // The picture: the item's own, or the one bDrawItem chooses for it.
  int picture = n <= static_cast<int>(aBitmaps.size()) ? aBitmaps[static_cast<std::size_t>(n - 1)] : 0;
  if (bDrawItem.IsBlock()) picture = static_cast<int>(bDrawItem.AsBlock().Eval({Value::Integer(n), Self()}).AsInt());
  if (strip_ && picture >= 1 && picture <= static_cast<int>(images_.size())) {
    const RECT cell = {item.rcItem.left, item.rcItem.top, item.rcItem.left + kPictureCell, item.rcItem.bottom};
    strip_->DrawCell(dc, images_[static_cast<std::size_t>(picture - 1)], cell);
  }
  if (focused) DrawFocusRect(dc, &text_area);
  return true;
}

// ---- messages ------------------------------------------------------------------------------------------

Answer TComboBox::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kFwDrawItem && lparam != 0) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    return Answer::Number(1);
  }
  if (message == kFwCommand8) {
    CloseUp();
    return Answer::Number(0);
  }
  return TControl::HandleEvent(message, wparam, lparam);
}

Answer TComboBox::Change() {
  xb::Ref<TComboBox> keep(this);
  const int selection = Selection();
  const Value value = VarGet();
  const bool empty = value.IsNil() || (value.IsString() && TrimRight(std::string(value.AsString())).empty()) ||
                     (value.IsNumber() && value.AsInt() == 0);
  if (selection == nAt && !empty) return {};
  nAt = selection;
  std::string text = GetText();
  if (selection > 0) {
    Store(selection);
    text = Item(selection);
    ShowInEditPart(text);
  }
  if (bChange.IsBlock()) bChange.AsBlock().Eval({Self(), Value::String(text)});
  return {};
}

Answer TComboBox::LostFocus(HWND receiving) {
  const Answer answer = TControl::LostFocus(receiving);
  const int selection = Selection();
  if (selection > 0) {
    nAt = selection;
    Store(selection);
  } else if (nComboStyle != kDropDownList && !IsNumeric() && hWnd != nullptr) {
    VarPut(Value::String(GetText()));
  }
  if (on_lost_focus) {
    const std::function<void()> after = on_lost_focus;  // it may end the combo
    after();
  }
  return answer;
}

Answer TComboBox::KeyDown(int key, LPARAM flags) {
  if (on_key && on_key(key)) return Answer::Number(0);
  return TControl::KeyDown(key, flags);
}

Answer TComboBox::MouseMove(int row, int col, WPARAM keys) {
  const Answer answer = TControl::MouseMove(row, col, keys);
  return lDesign ? answer : Answer{};
}

void TComboBox::CloseUp() {
  if (bCloseUp.IsBlock()) bCloseUp.AsBlock().Eval({Self()});
}

Answer TComboBox::Destroy() {
  strip_.reset();
  on_lost_focus = nullptr;
  if (oGet) oGet->on_lost_focus = nullptr;
  return TControl::Destroy();
}

// ---- GETDRAWISR -------------------------------------------------------------------------------------

xb::Array GetDrawIsr(const DRAWITEMSTRUCT& r) {
  auto handle = [](const void* h) { return Value::Integer(reinterpret_cast<std::intptr_t>(h)); };
  return xb::Array::Of({Value::Integer(r.CtlType), Value::Integer(r.CtlID),
                        Value::Integer(static_cast<std::int32_t>(r.itemID)), Value::Integer(r.itemAction),
                        Value::Integer(r.itemState), handle(r.hwndItem), handle(r.hDC), Value::Integer(r.rcItem.top),
                        Value::Integer(r.rcItem.left), Value::Integer(r.rcItem.bottom), Value::Integer(r.rcItem.right),
                        Value::Integer(static_cast<std::int64_t>(r.itemData))});
}

}  // namespace ui
