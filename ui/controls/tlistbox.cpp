#include "ui/controls/tlistbox.h"

#include <algorithm>

#include "runtime/codepage.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/drawing.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/painters.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/text_drawing.h"
#include "ui/controls/list_text.h"
#include "ui/controls/set_get.h"
#include "ui/core/value_text.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Value;

bool FileExists(const std::string& file) {
  const DWORD attributes = GetFileAttributesA(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The names (lower case, no folder) of the files matching the specification.
std::vector<std::string> MatchingFiles(const std::string& spec) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found = {};
  HANDLE search = FindFirstFileA(spec.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.push_back(xb::Lower(xb::CodePageEsWin(), found.cFileName));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace

TListBox::TListBox() : TControl(Cls()) {}
TListBox::~TListBox() { FreeBitmaps(); }

// ---- construction -------------------------------------------------------------------------------

void TListBox::Setup(const Value& items, const Value& pictures) {
  aItems = xb::Array::New();
  if (const xb::Array list = items.AsArray())
    for (const Value& item : list) aItems.Append(Value::String(CValToChar(item)));
  if (const xb::Array list = pictures.AsArray(); list && !list.empty()) SetBitmaps(list);
}

TListBox& TListBox::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bSetGet = p.set_get.IsNil() ? SetGet::Of(Value()).block : p.set_get;
  nTop = p.pixel ? p.row : p.row * 14;
  nLeft = p.pixel ? p.col : p.col * 8;
  nBottom = nTop + p.height - 1;
  nRight = nLeft + p.width - 1;
  bChange = p.change;
  bValid = p.valid;
  lDesign = p.design;
  bLDblClick = p.dbl_click;
  if (p.font) {
    oFont = p.font;
    ++oFont->nCount;
  }
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bDrawItem = p.draw_item;
  sorted_ = p.sorted;
  SetColor(p.clr_text.value_or(GetSysColor(COLOR_WINDOWTEXT)), p.clr_pane.value_or(GetSysColor(COLOR_WINDOW)));
  Setup(p.items, p.pictures);
  nStyle = LBS_NOTIFY | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL |
           (p.design ? WS_CLIPSIBLINGS : 0) | (lOwnerDraw ? LBS_OWNERDRAWFIXED | LBS_HASSTRINGS : 0) |
           (p.multiple ? LBS_MULTIPLESEL : 0) | (p.sorted ? LBS_SORT : 0);
  Register();
  if (CreateOrDefine("LISTBOX")) {
    if (oFont) SetFont(oFont);
    else GetFont();
    Default();
  }
  if (lDesign) CheckDots();
  return *this;
}

TListBox& TListBox::ReDefine(const ReDefineParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bSetGet = p.set_get.IsNil() ? SetGet::Of(Value()).block : p.set_get;
  bChange = p.change;
  nHelpId = p.help_id;
  bValid = p.valid;
  cFileSpec = p.file_spec;
  bLDblClick = p.dbl_click;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bDrawItem = p.draw_item;
  SetColor(p.clr_text.value_or(GetSysColor(COLOR_WINDOWTEXT)), p.clr_pane.value_or(GetSysColor(COLOR_WINDOW)));
  Setup(p.items, p.pictures);
  Redefine(p.id, oWnd);
  return *this;
}

void TListBox::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  sorted_ = (GetWindowLongA(hWnd, GWL_STYLE) & LBS_SORT) != 0;
  Default();
}

void TListBox::FillControl() {
  if (hWnd == nullptr) return;
  SendMessageA(hWnd, LB_RESETCONTENT, 0, 0);
  for (std::size_t i = 0; i < aItems.size(); ++i) {
    const LRESULT at = SendMessageA(hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::string(aItems[i].AsString()).c_str()));
    // The item's picture travels with it, wherever sorting puts it.
    if (at >= 0) SendMessageA(hWnd, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i + 1));
  }
  ReadBack();
}

void TListBox::ReadBack() {
  if (hWnd == nullptr || !sorted_) return;
  xb::Array items = xb::Array::New();
  for (int i = 1; i <= Len(); ++i) items.Append(Value::String(GetItem(i)));
  aItems = items;
}

void TListBox::Default() {
  TControl::Default();
  if (lOwnerDraw) FillMeasure();
  Value value = VarGet();
  if (value.IsNil()) {
    value = Value::String("");
    VarPut(value);
  }
  if (!cFileSpec.empty()) {
    for (const std::string& name : MatchingFiles(cFileSpec)) aItems.Append(Value::String(name));
    std::sort(aItems.Items().begin(), aItems.Items().end(), [](const Value& a, const Value& b) {
      return xb::Collate(xb::CodePageEsWin(), a.AsString(), b.AsString()) < 0;
    });
  }
  FillControl();
  // The value's item; 0 or a text no item has: the first; a number past the items: none.
  int chosen = value.IsNumber() ? static_cast<int>(value.AsInt()) : ItemOf(CValToChar(value));
  if (chosen == 0) chosen = 1;
  if (chosen < 0 || chosen > Count()) chosen = 0;
  Reselect(chosen);
}

// ---- value and selection -------------------------------------------------------------------------

bool TListBox::IsNumeric() { return VarGet().IsNumber(); }

int TListBox::ItemOf(const std::string& text) const {
  const std::string wanted = FoldedText(text);
  for (int i = 1; i <= Count(); ++i)
    if (FoldedText(aItems[static_cast<std::size_t>(i - 1)].AsString()) == wanted) return i;
  return 0;
}

bool TListBox::IsMultipleSel() const {
  return hWnd != nullptr && (GetWindowLongA(hWnd, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

void TListBox::Reselect(int n) {
  if (hWnd == nullptr) return;
  const bool valid = n >= 1 && n <= Len();
  if (IsMultipleSel()) {
    if (valid) {
      SendMessageA(hWnd, LB_SETSEL, TRUE, n - 1);
      SendMessageA(hWnd, LB_SETCARETINDEX, static_cast<WPARAM>(n - 1), FALSE);
    }
  } else {
    SendMessageA(hWnd, LB_SETCURSEL, valid ? static_cast<WPARAM>(n - 1) : static_cast<WPARAM>(-1), 0);
  }
}

void TListBox::Set(const std::string& text) {
  if (const int item = ItemOf(text)) Reselect(item);
}

void TListBox::Select(int n) {
  Reselect(n);
  Change();
}

int TListBox::GetPos() const {
  if (hWnd == nullptr) return 0;
  if (IsMultipleSel()) {
    const int caret = GetSel();
    return caret > 0 && SendMessageA(hWnd, LB_GETSEL, static_cast<WPARAM>(caret - 1), 0) > 0 ? caret : 0;
  }
  const LRESULT at = SendMessageA(hWnd, LB_GETCURSEL, 0, 0);
  return at == LB_ERR ? 0 : static_cast<int>(at) + 1;
}

int TListBox::GetSel() const {
  if (hWnd == nullptr) return 0;
  const LRESULT at = SendMessageA(hWnd, LB_GETCARETINDEX, 0, 0);
  return at == LB_ERR ? 0 : static_cast<int>(at) + 1;
}

std::string TListBox::GetSelText() const { return GetItem(GetPos()); }

std::string TListBox::GetItem(int n) const {
  if (hWnd == nullptr || n < 1 || n > Len()) return {};
  const LRESULT length = SendMessageA(hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(n - 1), 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(hWnd, LB_GETTEXT, static_cast<WPARAM>(n - 1), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int TListBox::Len() const {
  if (hWnd == nullptr) return Count();
  const LRESULT count = SendMessageA(hWnd, LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<int>(count);
}

void TListBox::SetSel(int n, bool on) {
  if (hWnd != nullptr && n >= 1 && n <= Len()) SendMessageA(hWnd, LB_SETSEL, on ? TRUE : FALSE, n - 1);
}

int TListBox::GetSelCount() const {
  if (!IsMultipleSel()) return 0;
  const LRESULT count = SendMessageA(hWnd, LB_GETSELCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::vector<int> TListBox::GetSelItems() const {
  std::vector<int> numbers;
  if (!IsMultipleSel()) {
    if (const int at = GetPos()) numbers.push_back(at);
    return numbers;
  }
  std::vector<int> indexes(static_cast<std::size_t>(GetSelCount()));
  if (!indexes.empty())
    SendMessageA(hWnd, LB_GETSELITEMS, indexes.size(), reinterpret_cast<LPARAM>(indexes.data()));
  for (int i : indexes) numbers.push_back(i + 1);
  return numbers;
}

void TListBox::SetSelItems(const std::vector<int>& numbers) {
  if (!IsMultipleSel()) return;
  SendMessageA(hWnd, LB_SETSEL, FALSE, -1);
  for (int n : numbers) SetSel(n, true);
}

std::vector<std::string> TListBox::aSelections() const {
  std::vector<std::string> texts;
  for (int n : GetSelItems()) texts.push_back(GetItem(n));
  return texts;
}

void TListBox::Store(int n) {
  if (IsNumeric()) VarPut(Value::Integer(n));
  else VarPut(Value::String(Count() > 0 ? GetItem(n) : std::string()));
}

// ---- items ---------------------------------------------------------------------------------------------

void TListBox::Add(const std::string& item, int after) {
  const int count = Count();
  if (after < 1 || after > count) after = count;
  const auto index = static_cast<std::size_t>(after);
  aItems.Items().insert(aItems.Items().begin() + static_cast<std::ptrdiff_t>(index), Value::String(item));
  int at = after + 1;
  if (hWnd != nullptr) {
    const LRESULT placed = sorted_ ? SendMessageA(hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()))
                                   : SendMessageA(hWnd, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(item.c_str()));
    if (placed >= 0) at = static_cast<int>(placed) + 1;
    ReadBack();
    if (IsMultipleSel()) SendMessageA(hWnd, LB_SETSEL, FALSE, -1);
    Reselect(at);
  }
}

void TListBox::Insert(const std::string& item, int at) {
  if (at == 0) at = GetPos();
  if (at < 1 || at > Count() + 1) at = Count() + 1;
  const auto index = static_cast<std::size_t>(at - 1);
  aItems.Items().insert(aItems.Items().begin() + static_cast<std::ptrdiff_t>(index), Value::String(item));
  if (hWnd != nullptr) {
    SendMessageA(hWnd, sorted_ ? LB_ADDSTRING : LB_INSERTSTRING, sorted_ ? 0 : index,
                 reinterpret_cast<LPARAM>(item.c_str()));
    ReadBack();
  }
}

void TListBox::Modify(const std::string& item, int at) {
  if (at == 0) at = GetPos();
  if (at < 1 || at > Count()) return;
  const auto index = static_cast<std::size_t>(at - 1);
  aItems[index] = Value::String(item);
  if (hWnd == nullptr) return;
  const bool selected = GetPos() == at;
  const LRESULT data = SendMessageA(hWnd, LB_GETITEMDATA, index, 0);
  SendMessageA(hWnd, LB_DELETESTRING, index, 0);
  const LRESULT placed = sorted_ ? SendMessageA(hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()))
                                 : SendMessageA(hWnd, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(item.c_str()));
  if (placed >= 0) SendMessageA(hWnd, LB_SETITEMDATA, static_cast<WPARAM>(placed), data);
  ReadBack();
  if (selected && placed >= 0) Reselect(static_cast<int>(placed) + 1);
}

void TListBox::Del(int at) {
  if (at == 0) at = GetPos();
  if (at < 1 || at > Count()) return;
  const auto index = static_cast<std::size_t>(at - 1);
  aItems.Items().erase(aItems.Items().begin() + static_cast<std::ptrdiff_t>(index));
  if (hWnd == nullptr) return;
  SendMessageA(hWnd, LB_DELETESTRING, index, 0);
  if (GetPos() == 0 && Count() > 0) Reselect(std::min(at, Count()));
}

void TListBox::SwapUp() {
  const int at = GetPos();
  if (at <= 1 || hWnd == nullptr) return;
  std::swap(aItems[static_cast<std::size_t>(at - 1)], aItems[static_cast<std::size_t>(at - 2)]);
  // The upper item goes below the selected one, with its picture.
  const std::string upper = GetItem(at - 1);
  const LRESULT data = SendMessageA(hWnd, LB_GETITEMDATA, static_cast<WPARAM>(at - 2), 0);
  SendMessageA(hWnd, LB_DELETESTRING, static_cast<WPARAM>(at - 2), 0);
  SendMessageA(hWnd, LB_INSERTSTRING, static_cast<WPARAM>(at - 1), reinterpret_cast<LPARAM>(upper.c_str()));
  SendMessageA(hWnd, LB_SETITEMDATA, static_cast<WPARAM>(at - 1), data);
  if (IsMultipleSel()) SendMessageA(hWnd, LB_SETSEL, FALSE, -1);
  Reselect(at - 1);
  Change();
}

void TListBox::SwapDown() {
  const int at = GetPos();
  if (at < 1 || at >= Count() || hWnd == nullptr) return;
  std::swap(aItems[static_cast<std::size_t>(at - 1)], aItems[static_cast<std::size_t>(at)]);
  const std::string lower = GetItem(at + 1);
  const LRESULT data = SendMessageA(hWnd, LB_GETITEMDATA, static_cast<WPARAM>(at), 0);
  SendMessageA(hWnd, LB_DELETESTRING, static_cast<WPARAM>(at), 0);
  SendMessageA(hWnd, LB_INSERTSTRING, static_cast<WPARAM>(at - 1), reinterpret_cast<LPARAM>(lower.c_str()));
  SendMessageA(hWnd, LB_SETITEMDATA, static_cast<WPARAM>(at - 1), data);
  if (IsMultipleSel()) SendMessageA(hWnd, LB_SETSEL, FALSE, -1);
  Reselect(at + 1);
  Change();
}

void TListBox::Reset() {
  VarPut(IsNumeric() ? Value::Integer(0) : Value::String(""));
  aItems = xb::Array::New();
  if (hWnd != nullptr) SendMessageA(hWnd, LB_RESETCONTENT, 0, 0);
}

void TListBox::SetItems(const xb::Array& items) {
  Reset();
  for (const Value& item : items) aItems.Append(Value::String(CValToChar(item)));
  Default();
  Reselect(1);
}

// ---- pictures ------------------------------------------------------------------------------------------

void TListBox::FreeBitmaps() {
  for (std::size_t i = 0; i < aBitmaps.size(); ++i)
    if (i < own_.size() && own_[i] && aBitmaps[i] != nullptr) DeleteGdiObject(aBitmaps[i]);
  aBitmaps.clear();
  own_.clear();
}

void TListBox::SetBitmaps(const xb::Array& pictures) {
  lOwnerDraw = true;
  FreeBitmaps();
  for (const Value& picture : pictures) {
    HBITMAP bitmap = nullptr;
    bool own = true;
    if (picture.IsNumber()) {
      bitmap = reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(picture.AsInt()));
      own = false;
    } else {
      const std::string name(picture.AsString());
      bitmap = FileExists(name) ? ReadBitmap(nullptr, name) : LoadBitmapFrom(GetResources(), name.c_str());
    }
    aBitmaps.push_back(bitmap);
    own_.push_back(own && bitmap != nullptr);
  }
  if (!aBitmaps.empty() && aBitmaps.front() != nullptr) {
    nBmpWidth = NBmpWidth(aBitmaps.front());
    nBmpHeight = NBmpHeight(aBitmaps.front());
  }
  if (hWnd != nullptr) {
    FillMeasure();
    Refresh();
  }
}

void TListBox::FillMeasure() {
  if (hWnd == nullptr) return;
  const int text = NWndChrHeight(hWnd, oFont ? oFont->hFont : nullptr);
  SendMessageA(hWnd, LB_SETITEMHEIGHT, 0, std::max(nBmpHeight, text));
}

bool TListBox::DrawItem(const DRAWITEMSTRUCT& item) {
  LbxItemParams params;
  params.bitmaps = aBitmaps;
  for (const Value& text : aItems) params.items.emplace_back(text.AsString());
  params.bitmap_width = nBmpWidth;
  HWND list = hWnd;
  const xb::Value draw = bDrawItem;
  xb::Value self = Self();
  params.bitmap_index = [list, draw, self](int number) {
    if (draw.IsBlock()) return static_cast<int>(draw.AsBlock().Eval({Value::Integer(number), self}).AsInt());
    const LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(number - 1), 0);
    return data == LB_ERR ? 0 : static_cast<int>(data);
  };
  return LbxDrawItem(item, params);
}

// ---- messages ------------------------------------------------------------------------------------------

Answer TListBox::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kFwDrawItem && lparam != 0) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    return Answer::Number(1);
  }
  return TControl::HandleEvent(message, wparam, lparam);
}

Answer TListBox::Change() {
  xb::Ref<TListBox> keep(this);
  if (Count() > 0) {
    const int at = GetPos() > 0 ? GetPos() : GetSel();
    if (at > 0) Store(at);
  }
  if (bChange.IsBlock()) bChange.AsBlock().Eval({Self()});
  return {};
}

Answer TListBox::LostFocus(HWND receiving) {
  const Answer answer = TControl::LostFocus(receiving);
  if (const int at = GetPos()) Store(at);
  return answer;
}

Answer TListBox::LButtonUp(int row, int col, WPARAM keys) {
  const Answer answer = TControl::LButtonUp(row, col, keys);
  if (lDesign) Refresh();
  return answer;
}

Answer TListBox::MouseMove(int row, int col, WPARAM keys) {
  const Answer answer = TControl::MouseMove(row, col, keys);
  return lDesign ? answer : Answer{};
}

Answer TListBox::Destroy() {
  FreeBitmaps();
  return TControl::Destroy();
}

std::string TListBox::cGenPrg() {
  std::string items;
  for (std::size_t i = 0; i < aItems.size(); ++i) {
    if (i > 0) items += ", ";
    items += "\"" + std::string(aItems[i].AsString()) + "\"";
  }
  return "\r\n@ " + std::to_string(nTop) + ", " + std::to_string(nLeft) + " LISTBOX oLbx ITEMS { " + items + " } SIZE " +
         std::to_string(nRight - nLeft + 1) + ", " + std::to_string(nBottom - nTop + 1) + " PIXEL OF oWnd";
}

}  // namespace ui
