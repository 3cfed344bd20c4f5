#include "ui/controls/ttreeitem.h"

#include <cstdint>
#include <vector>

#include "runtime/function_table.h"
#include "ui/controls/tlinklist.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

template <typename T>
T* As(const xb::ObjectRef& ref) {
  return dynamic_cast<T*>(ref.get());
}

// The tree-line pictures, read once.
std::vector<std::int64_t>& TreeBmps() {
  static std::vector<std::int64_t> pictures;
  return pictures;
}

void ReadTreeBmps() {
  std::vector<std::int64_t>& pictures = TreeBmps();
  if (!pictures.empty() || !xb::IsFunctionRegistered("ATREEBMPS")) return;
  const Value list = xb::CallFunction("ATREEBMPS", {Value::Integer(0)});
  if (!list.IsArray() || list.AsArray().size() < 7) return;
  for (const Value& v : list.AsArray()) pictures.push_back(v.AsInt());
}

Value TreeLine(int code) {
  const std::vector<std::int64_t>& pictures = TreeBmps();
  if (code < 1 || code > static_cast<int>(pictures.size())) return Value::Integer(0);
  return Value::Integer(pictures[static_cast<std::size_t>(code - 1)]);
}

}  // namespace

xb::Array GetTreeBmps() {
  ReadTreeBmps();
  xb::Array list = xb::Array::New();
  for (std::int64_t h : TreeBmps()) list.Append(Value::Integer(h));
  return list;
}

TTreeItem::TTreeItem() : xb::Object(Cls()) {}

void TTreeItem::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  if (oList) visitor.Visit(oList.get());
}

void TTreeItem::ClearValues() {
  xb::Object::ClearValues();
  oList = nullptr;
}

TTreeItem& TTreeItem::New(const std::string& prompt, int level, Value bmp_open, Value bmp_close) {
  ReadTreeBmps();
  cPrompt = prompt;
  nLevel = level < 1 ? 1 : level;
  hBmpOpen = std::move(bmp_open);
  hBmpClose = std::move(bmp_close);
  cDraw.clear();
  lOpened = false;
  return *this;
}

TLinkList* TTreeItem::Tree() const { return As<TLinkList>(oTree); }
TTreeItem* TTreeItem::Prev() const { return As<TTreeItem>(oPrev); }
TTreeItem* TTreeItem::Next() const { return As<TTreeItem>(oNext); }
bool TTreeItem::HasTree() const { return Tree() != nullptr && Tree()->First() != nullptr; }

void TTreeItem::Open() {
  if (HasTree()) lOpened = true;
}

void TTreeItem::Close() { lOpened = false; }

void TTreeItem::Toggle() {
  if (lOpened) Close();
  else Open();
}

TTreeItem* TTreeItem::GetNext() const {
  if (lOpened && HasTree()) return Tree()->First();
  return Next();
}

TTreeItem* TTreeItem::GetPrev() const {
  TTreeItem* prev = Prev();
  if (prev == nullptr || prev->nLevel < nLevel) return prev;
  if (prev->lOpened && prev->HasTree()) return prev->Tree()->GetLast();
  return prev;
}

TTreeItem* TTreeItem::Skip(int& n) {
  TTreeItem* at = this;
  int moved = 0;
  while (moved < n) {
    TTreeItem* next = at->GetNext();
    if (next == nullptr) break;
    at = next;
    ++moved;
  }
  while (moved > n) {
    TTreeItem* prev = at->GetPrev();
    if (prev == nullptr) break;
    at = prev;
    --moved;
  }
  n = moved;
  return at;
}

bool TTreeItem::IsLastSibling() const {
  const TTreeItem* next = Next();
  return next == nullptr || next->nLevel < nLevel;
}

bool TTreeItem::IsFirstOfList() const {
  const TTreeItem* prev = Prev();
  return prev == nullptr || prev->nLevel < nLevel;
}

void TTreeItem::Draw(const std::string& prefix) {
  char code = '2';
  if (!IsFirstOfList()) {
    if (!IsLastSibling()) code = HasTree() ? (lOpened ? '5' : '4') : '2';
    else code = HasTree() ? (lOpened ? '7' : '6') : '3';
  }
  cDraw = prefix + code;
  // The children's column carries on down while a sibling follows this item, and below an
  // open item that an item of a lower level follows.
  const TTreeItem* next = Next();
  const bool line = !IsLastSibling() || (lOpened && next != nullptr && next->nLevel < nLevel);
  if (HasTree()) Tree()->Draw(prefix + (line ? '1' : '0'));
}

xb::Array TTreeItem::GetLabel() const {
  xb::Array cells = xb::Array::New();
  for (int i = 1; i <= nLevel; ++i) {
    int code = i <= static_cast<int>(cDraw.size()) ? cDraw[static_cast<std::size_t>(i - 1)] - '0' : 0;
    if (i == nLevel && HasTree()) code = IsLastSibling() ? (lOpened ? 7 : 6) : (lOpened ? 5 : 4);
    cells.Append(TreeLine(code));
  }
  const Value& picture = lOpened ? hBmpClose : hBmpOpen;
  cells.Append(picture.IsNil() ? Value::Integer(0) : picture);
  cells.Append(Value::String(cPrompt));
  return cells;
}

xb::Array TTreeItem::ColSizes() const {
  xb::Array sizes = xb::Array::New();
  for (int i = 0; i <= nLevel; ++i) sizes.Append(Value::Integer(16));
  sizes.Append(Value::Integer(300));
  return sizes;
}

std::string TTreeItem::GetText() const {
  const char* glyph = !HasTree() ? "   " : lOpened ? " - " : " + ";
  return glyph + cDraw + cPrompt;
}

void TTreeItem::SetNext(TTreeItem* item) {
  oNext = xb::ObjectRef(item);
  if (HasTree()) Tree()->Last()->SetNext(item);
}

void TTreeItem::Delete() {
  xb::Ref<TTreeItem> keep(this);
  TTreeItem* prev = Prev();
  TTreeItem* next = Next();
  const bool prev_sibling = prev != nullptr && prev->nLevel == nLevel;
  const bool next_sibling = next != nullptr && next->nLevel == nLevel;
  if (prev_sibling) prev->SetNext(next);
  if (next_sibling) next->oPrev = oPrev;
  if (auto* list = As<TLinkList>(oList)) {
    if (list->First() == this) list->oFirst = next_sibling ? xb::ObjectRef(next) : nullptr;
    if (list->Last() == this) list->oLast = prev_sibling ? xb::ObjectRef(prev) : nullptr;
  }
  oPrev = nullptr;
  oNext = nullptr;
  oList = nullptr;
}

xb::Ref<TTreeItem> TTreeItem::Add(const std::string& prompt) {
  auto item = xb::MakeRef<TTreeItem>();
  item->New(prompt, nLevel);
  TTreeItem* next = Next();
  item->oPrev = xb::ObjectRef(this);
  item->oList = oList;
  SetNext(item.get());
  item->SetNext(next);
  if (next != nullptr && next->nLevel == nLevel) next->oPrev = xb::ObjectRef(item.get());
  if (auto* list = As<TLinkList>(oList); list != nullptr && list->Last() == this) list->oLast = xb::ObjectRef(item.get());
  return item;
}

void TTreeItem::End() {
  if (own_pictures) {
    DeletePicture(hBmpOpen);
    if (!hBmpClose.SameAs(hBmpOpen)) DeletePicture(hBmpClose);
  }
  hBmpOpen = Value();
  hBmpClose = Value();
}

// ---- runtime class -------------------------------------------------------------------------

const xb::Class& TTreeItem::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TTREEITEM");
    auto self = [](Object& o) -> TTreeItem& { return xb::Class::Cast<TTreeItem>(o); };
    auto item = [](TTreeItem* i) { return i != nullptr ? i->Self() : Value(); };
    c.Data("CDRAW", &TTreeItem::cDraw);
    c.Data("CPROMPT", &TTreeItem::cPrompt);
    c.Data("OPREV", &TTreeItem::oPrev);
    c.Data("ONEXT", &TTreeItem::oNext);
    c.Data("OTREE", &TTreeItem::oTree);
    c.Data("LOPENED", &TTreeItem::lOpened);
    c.Data("NLEVEL", &TTreeItem::nLevel);
    c.Data("HBMPOPEN", &TTreeItem::hBmpOpen);
    c.Data("HBMPCLOSE", &TTreeItem::hBmpClose);
    c.Data("CARGO", &TTreeItem::Cargo);
    c.Method("NEW", [self](Object& o, Args& a) {
      return self(o).New(std::string(a.Str(1)), static_cast<int>(a.Int(2, 1)), a.Arg(3), a.Arg(4)).Self();
    });
    c.Method("OPEN", [self](Object& o, Args&) { self(o).Open(); return Value(); });
    c.Method("CLOSE", [self](Object& o, Args&) { self(o).Close(); return Value(); });
    c.Method("TOGGLE", [self](Object& o, Args&) { self(o).Toggle(); return Value(); });
    c.Method("GETNEXT", [self, item](Object& o, Args&) { return item(self(o).GetNext()); });
    c.Method("GETPREV", [self, item](Object& o, Args&) { return item(self(o).GetPrev()); });
    c.Method("SKIP", [self, item](Object& o, Args& a) {
      int n = static_cast<int>(a.Int(1));
      TTreeItem* reached = self(o).Skip(n);
      a.SetRef(1, Value::Integer(n));
      return item(reached);
    });
    c.Method("DRAW", [self](Object& o, Args& a) { self(o).Draw(std::string(a.Str(1))); return Value(); });
    c.Method("GETLABEL", [self](Object& o, Args&) { return Value(self(o).GetLabel()); });
    c.Method("COLSIZES", [self](Object& o, Args&) { return Value(self(o).ColSizes()); });
    c.Method("GETTEXT", [self](Object& o, Args&) { return Value::String(self(o).GetText()); });
    c.Method("SETNEXT", [self](Object& o, Args& a) {
      self(o).SetNext(dynamic_cast<TTreeItem*>(a.Obj(1).get()));
      return Value();
    });
    c.Method("DELETE", [self](Object& o, Args&) { self(o).Delete(); return Value(); });
    c.Method("SETTEXT", [self](Object& o, Args& a) { self(o).cPrompt = std::string(a.Str(1)); return Value(); });
    c.Method("ADD", [self](Object& o, Args& a) { return Value(self(o).Add(std::string(a.Str(1)))); });
    c.Method("END", [self](Object& o, Args&) { self(o).End(); return Value(); });
    return c;
  }();
  return cls;
}

}  // namespace ui
