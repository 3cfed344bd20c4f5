#include "ui/controls/tlinklist.h"

#include <algorithm>

#include "runtime/function_table.h"
#include "ui/controls/ttreeitem.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

bool IsHandle(const Value& picture) { return picture.IsNumber() && picture.AsInt() != 0; }

}  // namespace

void DeletePicture(const Value& picture) {
  if (IsHandle(picture) && xb::IsFunctionRegistered("DELETEOBJECT")) xb::CallFunction("DELETEOBJECT", {picture});
}

TLinkList::TLinkList() : xb::Object(Cls()) {}
TLinkList::~TLinkList() = default;

TTreeItem* TLinkList::First() const { return dynamic_cast<TTreeItem*>(oFirst.get()); }
TTreeItem* TLinkList::Last() const { return dynamic_cast<TTreeItem*>(oLast.get()); }

xb::Ref<TTreeItem> TLinkList::Add(const std::string& prompt, int level, Value bmp_open, Value bmp_close, bool opened) {
  auto item = xb::MakeRef<TTreeItem>();
  if (level < 1) level = First() != nullptr ? First()->nLevel : 1;
  item->New(prompt, level, std::move(bmp_open), std::move(bmp_close));
  item->lOpened = opened;
  Append(*item);
  return item;
}

void TLinkList::Append(TTreeItem& item) {
  item.oList = xb::ObjectRef(this);
  TTreeItem* last = Last();
  if (last == nullptr) {
    oFirst = oLast = xb::ObjectRef(&item);
    return;
  }
  // A sub-list already hung under its parent goes on to what follows the parent.
  TTreeItem* after = last->Next();
  item.oPrev = xb::ObjectRef(last);
  last->SetNext(&item);
  item.SetNext(after);
  oLast = xb::ObjectRef(&item);
}

void TLinkList::OpenAll() {
  Eval([](TTreeItem& item) { item.Open(); });
}

TTreeItem* TLinkList::GetLast() const {
  TTreeItem* last = Last();
  while (last != nullptr && last->lOpened && last->HasTree()) last = last->Tree()->Last();
  return last;
}

int TLinkList::nCount() const {
  int count = 0;
  for (TTreeItem* item = First(); item != nullptr; item = item->GetNext()) ++count;
  return count;
}

void TLinkList::Draw(const std::string& prefix) {
  for (TTreeItem* item = First(); item != nullptr && item->oList.get() == this; item = item->Next()) item->Draw(prefix);
}

void TLinkList::Eval(const std::function<void(TTreeItem&)>& visit) {
  xb::Ref<TLinkList> keep(this);
  std::vector<xb::Ref<TTreeItem>> items;
  for (TTreeItem* item = First(); item != nullptr && item->oList.get() == this; item = item->Next())
    items.emplace_back(item);
  for (const auto& item : items) {
    if (TLinkList* tree = item->Tree()) tree->Eval(visit);
    visit(*item);
  }
}

void TLinkList::End() {
  // A handle several items were given is deleted once.
  std::vector<std::int64_t> deleted;
  auto once = [&deleted](const Value& picture) {
    if (!IsHandle(picture)) return;
    if (std::find(deleted.begin(), deleted.end(), picture.AsInt()) != deleted.end()) return;
    deleted.push_back(picture.AsInt());
    DeletePicture(picture);
  };
  Eval([&once](TTreeItem& item) {
    if (item.own_pictures) {
      once(item.hBmpOpen);
      once(item.hBmpClose);
    }
    item.own_pictures = false;  // gone: End of the item deletes nothing more
    item.End();
  });
  for (const Value& picture : own_) once(picture);
  own_.clear();
}

const xb::Class& TLinkList::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TLINKLIST");
    auto self = [](Object& o) -> TLinkList& { return xb::Class::Cast<TLinkList>(o); };
    auto item = [](TTreeItem* i) { return i != nullptr ? i->Self() : Value(); };
    c.Data("OFIRST", &TLinkList::oFirst);
    c.Data("OLAST", &TLinkList::oLast);
    c.Method("NEW", [](Object& o, Args&) { return o.AsValue(); });
    // Add(cPrompt, nLevel, hBmpOpen, hBmpClose, lOpened)
    c.Method("ADD", [self](Object& o, Args& a) {
      return Value(self(o).Add(std::string(a.Str(1)), static_cast<int>(a.Int(2)), a.Arg(3), a.Arg(4), a.Log(5)));
    });
    c.Method("OPENALL", [self](Object& o, Args&) { self(o).OpenAll(); return Value(); });
    c.Method("GETLAST", [self, item](Object& o, Args&) { return item(self(o).GetLast()); });
    c.Method("NCOUNT", [self](Object& o, Args&) { return Value::Integer(self(o).nCount()); });
    c.Method("DRAW", [self](Object& o, Args& a) { self(o).Draw(std::string(a.Str(1))); return Value(); });
    c.Method("EVAL", [self](Object& o, Args& a) {
      const Value block = a.Arg(1);
      if (block.IsBlock()) self(o).Eval([&block](TTreeItem& i) { block.AsBlock().Eval({i.Self()}); });
      return Value();
    });
    c.Method("END", [self](Object& o, Args&) { self(o).End(); return Value(); });
    return c;
  }();
  return cls;
}

}  // namespace ui
