#include "ui/controls/tqztreeview.h"

#include <cstring>

#include "runtime/function_table.h"
#include "ui/bridge/tree_view.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/timagelist.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

constexpr std::size_t kTextBuffer = 200;  // TVSETTEXT's buffer, its last byte the end

template <typename T>
T Hd(const Args& a, int n) {
  return reinterpret_cast<T>(static_cast<std::intptr_t>(a.Int(n)));
}
Value Handle(const void* h) { return Value::Integer(reinterpret_cast<std::intptr_t>(h)); }
std::optional<int> Opt(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<int>(a.Int(n));
}

TTVItemQZ* FindIn(const std::vector<xb::Ref<TTVItemQZ>>& items, HTREEITEM handle) {
  if (handle == nullptr) return nullptr;
  for (const auto& item : items)
    if (TTVItemQZ* found = item->Find(handle)) return found;
  return nullptr;
}

}  // namespace

// ---- C functions ---------------------------------------------------------------------------------

std::string TvSetText(HWND tree, HTREEITEM item, const std::string& text) {
  char buffer[kTextBuffer] = {};
  TVITEMA info = {};
  info.mask = TVIF_TEXT | TVIF_HANDLE;
  info.hItem = item;
  info.pszText = buffer;
  info.cchTextMax = static_cast<int>(sizeof buffer);
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  const std::size_t length = std::min(text.size(), kTextBuffer - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  info.mask = TVIF_TEXT | TVIF_HANDLE;
  info.pszText = buffer;
  info.cchTextMax = static_cast<int>(length);
  SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  return std::string(buffer, length);
}

HTREEITEM TvInsertItemQz(HWND tree, const std::string& prompt, HTREEITEM parent, int image, int selected_image) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent != nullptr ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  std::string text = prompt;
  insert.item.pszText = text.data();
  insert.item.iImage = image;
  insert.item.iSelectedImage = selected_image;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// ---- TTVItemQZ -------------------------------------------------------------------------------------

TTVItemQZ::TTVItemQZ() : xb::Object(Cls()) {}

void TTVItemQZ::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  for (const auto& item : aItems)
    if (item) visitor.Visit(item.get());
}

void TTVItemQZ::ClearValues() {
  xb::Object::ClearValues();
  aItems.clear();
}

TTVItemQZ& TTVItemQZ::New(HTREEITEM item, TQZTreeView* tree, const std::string& prompt, int image,
                          std::optional<int> image2, std::optional<int> selected) {
  hItem = item;
  oTree = xb::ObjectRef(tree);
  cPrompt = prompt;
  nImage = image;
  nImage2 = image2.value_or(image);
  nImageSelected = selected.value_or(image);
  return *this;
}

HWND TTVItemQZ::TreeWindow() const {
  auto* tree = dynamic_cast<TQZTreeView*>(oTree.get());
  return tree != nullptr ? tree->hWnd : nullptr;
}

xb::Ref<TTVItemQZ> TTVItemQZ::Add(const std::string& prompt, int image, std::optional<int> image2,
                                  std::optional<int> selected) {
  auto item = xb::MakeRef<TTVItemQZ>();
  const int selected_image = selected.value_or(image);
  HTREEITEM handle = TreeWindow() != nullptr ? TvInsertItemQz(TreeWindow(), prompt, hItem, image, selected_image) : nullptr;
  item->New(handle, dynamic_cast<TQZTreeView*>(oTree.get()), prompt, image, image2, selected);
  aItems.push_back(item);
  return item;
}

void TTVItemQZ::DeleteBranches() {
  if (aItems.empty()) return;
  if (HWND tree = TreeWindow())
    for (const auto& item : aItems) TVDeleteItem(tree, item->hItem);
  aItems.clear();
}

void TTVItemQZ::Expand() {
  if (HWND tree = TreeWindow()) SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hItem));
}

void TTVItemQZ::SetItemText(const std::string& text) {
  if (HWND tree = TreeWindow()) cPrompt = TvSetText(tree, hItem, text);
  else cPrompt = text.substr(0, kTextBuffer - 1);
}

TTVItemQZ* TTVItemQZ::Find(HTREEITEM item) {
  if (hItem == item) return this;
  return FindIn(aItems, item);
}

// ---- TQZTreeView -------------------------------------------------------------------------------------

TQZTreeView::TQZTreeView() : TControl(Cls()) {}

void TQZTreeView::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  for (const auto& item : aItems)
    if (item) visitor.Visit(item.get());
  if (oImageList) visitor.Visit(oImageList.get());
}

void TQZTreeView::ClearValues() {
  TControl::ClearValues();
  aItems.clear();
  oImageList = nullptr;
}

TQZTreeView& TQZTreeView::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  nTop = p.pixel ? p.row : p.row * 15;
  nLeft = p.pixel ? p.col : p.col * 6;
  nBottom = nTop + p.height - 1;
  nRight = nLeft + p.width - 1;
  cMsg = p.message;
  lDesign = p.design;
  SetColor(p.clr_text.value_or(oWnd ? oWnd->nClrText : 0), p.clr_pane.value_or(GetSysColor(COLOR_WINDOW)));
  nStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
           TVS_DISABLEDRAGDROP | (p.design ? WS_CLIPSIBLINGS : 0);
  TFont::Spec font;
  font.face = "Ms Sans Serif";
  font.height = -9;
  oFont = TFont::New(font);
  if (CreateOrDefine(WC_TREEVIEWA)) {
    SetFont(oFont);
    Default();
  }
  if (lDesign) CheckDots();
  return *this;
}

TQZTreeView& TQZTreeView::ReDefine(const ReDefineParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  lUpdate = p.update;
  SetColor(p.clr_text.value_or(oWnd ? oWnd->nClrText : 0), p.clr_pane.value_or(GetSysColor(COLOR_WINDOW)));
  Redefine(p.id, oWnd);
  return *this;
}

void TQZTreeView::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd != nullptr) Default();
}

void TQZTreeView::Default() {
  TControl::Default();
  if (hWnd == nullptr) return;
  SendMessageA(hWnd, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(nClrPane));
  SendMessageA(hWnd, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(nClrText));
}

xb::Ref<TTVItemQZ> TQZTreeView::Add(const std::string& prompt, int image, std::optional<int> image2,
                                    std::optional<int> selected) {
  auto item = xb::MakeRef<TTVItemQZ>();
  HTREEITEM handle = hWnd != nullptr ? TvInsertItemQz(hWnd, prompt, TVI_ROOT, image, selected.value_or(image)) : nullptr;
  item->New(handle, this, prompt, image, image2, selected);
  aItems.push_back(item);
  return item;
}

TTVItemQZ* TQZTreeView::GetSelected() { return hWnd != nullptr ? FindIn(aItems, TVGetSelected(hWnd)) : nullptr; }

TTVItemQZ* TQZTreeView::GetItem(HTREEITEM item) { return FindIn(aItems, item); }

TTVItemQZ* TQZTreeView::HitTest(int row, int col) {
  return hWnd != nullptr ? FindIn(aItems, TVHitTest(hWnd, row, col)) : nullptr;
}

void TQZTreeView::Select(const TTVItemQZ& item) {
  if (hWnd != nullptr) TVSelect(hWnd, item.hItem);
}

std::string TQZTreeView::GetSelText() const { return hWnd != nullptr ? TVGetSelText(hWnd) : std::string(); }

void TQZTreeView::DeleteAll() {
  if (hWnd != nullptr) TVDeleteAllItems(hWnd);
  aItems.clear();
}

void TQZTreeView::Expand() {
  for (const auto& item : aItems) item->Expand();
}

void TQZTreeView::SetImageList(xb::Ref<TImageList> list) {
  oImageList = std::move(list);
  if (hWnd != nullptr && oImageList) TVSetImageList(hWnd, oImageList->hImageList, TVSIL_NORMAL);
}

void TQZTreeView::SelChanged() {
  if (bChanged.IsBlock()) bChanged.AsBlock().Eval({Self()});
}

// ---- runtime classes ------------------------------------------------------------------------------------

const xb::Class& TTVItemQZ::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TTVITEMQZ");
    auto self = [](Object& o) -> TTVItemQZ& { return xb::Class::Cast<TTVItemQZ>(o); };
    c.Property("HITEM", [self](Object& o) { return Handle(self(o).hItem); }, nullptr);
    c.Data("OTREE", &TTVItemQZ::oTree);
    c.Property("AITEMS", [self](Object& o) {
      xb::Array list = xb::Array::New();
      for (const auto& item : self(o).aItems) list.Append(item->Self());
      return Value(list);
    }, nullptr);
    c.Data("CPROMPT", &TTVItemQZ::cPrompt);
    c.Data("NIMAGE", &TTVItemQZ::nImage);
    c.Data("NIMAGE2", &TTVItemQZ::nImage2);
    c.Data("NIMAGESELECTED", &TTVItemQZ::nImageSelected);
    c.Data("CARGO", &TTVItemQZ::Cargo);
    c.Method("NEW", [self](Object& o, Args& a) {
      return self(o)
          .New(Hd<HTREEITEM>(a, 1), dynamic_cast<TQZTreeView*>(a.Obj(2).get()), std::string(a.Str(3)),
               static_cast<int>(a.Int(4)), Opt(a, 5), Opt(a, 6))
          .Self();
    });
    c.Method("ADD", [self](Object& o, Args& a) {
      return Value(self(o).Add(std::string(a.Str(1)), static_cast<int>(a.Int(2)), Opt(a, 3), Opt(a, 4)));
    });
    c.Method("DELETEBRANCHES", [self](Object& o, Args&) { self(o).DeleteBranches(); return Value(); });
    c.Method("EXPAND", [self](Object& o, Args&) { self(o).Expand(); return Value(); });
    c.Method("SETITEMTEXT", [self](Object& o, Args& a) { self(o).SetItemText(std::string(a.Str(1))); return Value(); });
    return c;
  }();
  return cls;
}

const xb::Class& TQZTreeView::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZTREEVIEW", &TControl::Cls());
    auto self = [](Object& o) -> TQZTreeView& { return xb::Class::Cast<TQZTreeView>(o); };
    auto item = [](TTVItemQZ* i) { return i != nullptr ? i->Self() : Value(); };
    auto window = [](const Args& a, int n) { return WindowRef(dynamic_cast<TWindow*>(a.Obj(n).get())); };
    auto colour = [](const Args& a, int n) -> std::optional<COLORREF> {
      if (!a.Arg(n).IsNumber()) return std::nullopt;
      return static_cast<COLORREF>(a.Int(n));
    };
    c.Data("BCHANGED", &TQZTreeView::bChanged);
    c.Property("AITEMS", [self](Object& o) {
      xb::Array list = xb::Array::New();
      for (const auto& i : self(o).aItems) list.Append(i->Self());
      return Value(list);
    }, nullptr);
    c.Property("OIMAGELIST", [self](Object& o) { return self(o).oImageList ? self(o).oImageList->Self() : Value(); },
               nullptr);
    // New(nRow, nCol, oWnd, nClrFore, nClrBack, lPixel, lDesign, nWidth, nHeight, cMsg)
    c.Method("NEW", [self, window, colour](Object& o, Args& a) {
      NewParams p;
      p.row = static_cast<int>(a.Int(1));
      p.col = static_cast<int>(a.Int(2));
      p.parent = window(a, 3);
      p.clr_text = colour(a, 4);
      p.clr_pane = colour(a, 5);
      p.pixel = a.Log(6);
      p.design = a.Log(7);
      p.width = static_cast<int>(a.Int(8, 200));
      p.height = static_cast<int>(a.Int(9, 150));
      p.message = std::string(a.Str(10));
      return self(o).New(p).Self();
    });
    // ReDefine(nId, oWnd, nClrFore, nClrBack, lUpdate)
    c.Method("REDEFINE", [self, window, colour](Object& o, Args& a) {
      ReDefineParams p;
      p.id = static_cast<int>(a.Int(1));
      p.parent = window(a, 2);
      p.clr_text = colour(a, 3);
      p.clr_pane = colour(a, 4);
      p.update = a.Log(5);
      return self(o).ReDefine(p).Self();
    });
    c.Method("ADD", [self](Object& o, Args& a) {
      return Value(self(o).Add(std::string(a.Str(1)), static_cast<int>(a.Int(2)), Opt(a, 3), Opt(a, 4)));
    });
    c.Method("GETSELECTED", [self, item](Object& o, Args&) { return item(self(o).GetSelected()); });
    c.Method("GETITEM", [self, item](Object& o, Args& a) { return item(self(o).GetItem(Hd<HTREEITEM>(a, 1))); });
    c.Method("HITTEST", [self, item](Object& o, Args& a) {
      return item(self(o).HitTest(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2))));
    });
    c.Method("SELECT", [self](Object& o, Args& a) {
      if (auto* i = dynamic_cast<TTVItemQZ*>(a.Obj(1).get())) self(o).Select(*i);
      return Value();
    });
    c.Method("GETSELTEXT", [self](Object& o, Args&) { return Value::String(self(o).GetSelText()); });
    c.Method("SELCHANGED", [self](Object& o, Args&) { self(o).SelChanged(); return Value(); });
    c.Method("DELETEALL", [self](Object& o, Args&) { self(o).DeleteAll(); return Value(); });
    c.Method("EXPAND", [self](Object& o, Args&) { self(o).Expand(); return Value(); });
    c.Method("SETIMAGELIST", [self](Object& o, Args& a) {
      self(o).SetImageList(xb::Ref<TImageList>(dynamic_cast<TImageList*>(a.Obj(1).get())));
      return Value();
    });
    return c;
  }();
  return cls;
}

const xb::Class& TImageList::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TIMAGELIST");
    auto self = [](Object& o) -> TImageList& { return xb::Class::Cast<TImageList>(o); };
    auto bitmap = [](const Args& a, int n) { return xb::Ref<TBitmap>(dynamic_cast<TBitmap*>(a.Obj(n).get())); };
    c.Property("HIMAGELIST", [self](Object& o) { return Handle(self(o).hImageList); }, nullptr);
    c.Property("ABITMAPS", [self](Object& o) {
      xb::Array list = xb::Array::New();
      for (const auto& b : self(o).aBitmaps) list.Append(b->Self());
      return Value(list);
    }, nullptr);
    c.Method("NEW", [self](Object& o, Args& a) {
      return self(o).New(static_cast<int>(a.Int(1, 16)), static_cast<int>(a.Int(2, 16))).Self();
    });
    c.Method("ADD", [self, bitmap](Object& o, Args& a) {
      return Value::Integer(self(o).Add(bitmap(a, 1), bitmap(a, 2)));
    });
    c.Method("ADDMASKED", [self, bitmap](Object& o, Args& a) {
      return Value::Integer(self(o).AddMasked(bitmap(a, 1), static_cast<COLORREF>(a.Int(2))));
    });
    c.Method("SETBKCOLOR", [self](Object& o, Args& a) {
      return Value::Integer(self(o).SetBkColor(static_cast<COLORREF>(a.Int(1))));
    });
    c.Method("END", [self](Object& o, Args&) { self(o).End(); return Value(); });
    return c;
  }();
  return cls;
}

void RegisterTreeView() {
  (void)TTVItemQZ::Cls();
  (void)TQZTreeView::Cls();
  (void)TImageList::Cls();
  xb::RegisterFunction("TQZTREEVIEW", [](Args&) { return Value(xb::MakeRef<TQZTreeView>()); });
  xb::RegisterFunction("TTVITEMQZ", [](Args&) { return Value(xb::MakeRef<TTVItemQZ>()); });
  xb::RegisterFunction("TIMAGELIST", [](Args&) { return Value(xb::MakeRef<TImageList>()); });
  xb::RegisterFunction("TVSETTEXT", [](Args& a) {
    return Value::String(TvSetText(Hd<HWND>(a, 1), Hd<HTREEITEM>(a, 2), std::string(a.Str(3))));
  });
  xb::RegisterFunction("TVINSERTITEMQZ", [](Args& a) {
    return Handle(TvInsertItemQz(Hd<HWND>(a, 1), std::string(a.Str(2)), Hd<HTREEITEM>(a, 3),
                                 static_cast<int>(a.Int(4)), static_cast<int>(a.Int(5))));
  });
}

}  // namespace ui
