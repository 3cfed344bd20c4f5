#include "runtime/rdd/order_functions.h"

#include <map>
#include <memory>
#include <string>

#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/sets.h"
#include "runtime/rdd/workareas.h"

namespace xb::rdd {
namespace {

constexpr int kCmdNoTable = 2001;   // DBCMD: work area not in use
constexpr int kCmdNoOrder = 1201;   // driver: work area not indexed

WorkArea& Current() { return WorkAreas::Get().Current(); }

void Fail(int gen_code, int sub_code, std::string_view subsystem, std::string_view operation, const Args& a) {
  ErrorRef e = MakeError(subsystem, gen_code, sub_code, operation, GenCodeDescription(gen_code));
  e->canDefault = true;
  e->args = Value(Array::Of(a.Raw()));
  (void)Raise(e);
}

// The selected area when it has a table; otherwise "Workarea not in use" when `required`.
WorkArea* Used(std::string_view operation, const Args& a, bool required) {
  WorkArea& area = Current();
  if (area.used()) return &area;
  if (required) Fail(EG_NOTABLE, kCmdNoTable, "DBCMD", operation, a);
  return nullptr;
}

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string UpperAscii(std::string_view s) { return Upper(CodePageEn(), Trimmed(s)); }

// The file name of a bag without folder and extension, upper case: what bag arguments name.
std::string BagBase(const std::string& path) {
  std::string name = PathName(path);
  const std::string ext = PathExtension(name);
  name.resize(name.size() - ext.size());
  return UpperAscii(name);
}

// A bag file given by name: the driver's extension when it has none, the table's folder when
// it has no folder.
std::string BagPath(WorkArea& area, std::string_view given) {
  std::string name = Trimmed(given);
  if (PathExtension(name).empty()) name += area.driver().bag_extension;
  if (PathFolder(name).empty()) name = PathFolder(area.table().path()) + name;
  return name;
}

// The order an argument names: a number (0: the controlling order), a tag name (in the bag
// named by `bag`, when given), or nothing (the controlling order). 0 when there is none.
int OrderOf(WorkArea& area, const Value& which, const Value& bag) {
  if (which.IsNumber()) {
    const int n = static_cast<int>(which.AsDouble());
    if (n == 0) return area.controlling_order();
    return n >= 1 && n <= area.OrderCount() ? n : 0;
  }
  if (!which.IsString()) return area.controlling_order();
  const std::string name = UpperAscii(which.AsString());
  if (name.empty()) return area.controlling_order();
  const std::string bag_name = bag.IsString() ? BagBase(Trimmed(bag.AsString())) : std::string();
  int order = 0;
  for (const auto& b : area.bags()) {
    for (int i = 0; i < b.bag->TagCount(); ++i) {
      ++order;
      if (b.bag->TagAt(i)->Info().name == name && (bag_name.empty() || BagBase(b.path) == bag_name)) return order;
    }
  }
  return 0;
}

Tag* TagOf(WorkArea& area, const Value& which, const Value& bag) {
  const int order = OrderOf(area, which, bag);
  return order ? area.OrderAt(order) : nullptr;
}

bool ToKey(const Value& v, KeyValue& out) {
  if (v.IsString()) out = KeyValue::Text(std::string(v.AsString()));
  else if (v.IsNumber()) out = KeyValue::Number(v.AsDouble());
  else if (v.IsDate()) out = KeyValue::Date(v.AsDate().julian);
  else if (v.IsLogical()) out = KeyValue::Logical(v.AsLogical());
  else return false;
  return true;
}

Value FromKey(const KeyValue& k) {
  switch (k.type) {
    case KeyType::kNumeric: return Value::Number(k.number);
    case KeyType::kDate: return Value::FromDate(Date{k.julian});
    case KeyType::kLogical: return Value::Logical(k.logical);
    case KeyType::kCharacter: break;
  }
  return Value::String(k.text);
}

// ORDCONDSET: the conditions of the next ORDCREATE in an area.
struct Conditions {
  std::string for_text;
  Block for_block, while_block, eval_block;
  bool all = true, rest = false, descending = false;
  std::int64_t interval = 0, start = 0, next = 0, record = 0;
};
std::map<int, Conditions>& PendingConditions() {
  static std::map<int, Conditions> pending;
  return pending;
}

// The records a build takes under ORDCONDSET's scope; empty when it takes them all. As the
// INDEX command passes it, the start record (RECNO()) only says where REST, NEXT and WHILE
// begin: without one of those (or a single RECORD) every record is indexed.
RecordFilter ScopeOf(const Conditions& c, WorkArea& area) {
  const bool scoped = c.record || c.rest || c.next || c.while_block;
  if (!scoped && !c.eval_block) return {};
  const std::int64_t first = c.record ? c.record : c.start > 0 ? c.start : area.recno();
  struct State { std::int64_t taken = 0, seen = 0; bool stopped = false; };
  auto state = std::make_shared<State>();
  return [c, first, scoped, state](std::uint32_t recno) {
    if (state->stopped) return false;
    if (c.eval_block && ++state->seen % (c.interval > 0 ? c.interval : 1) == 0) c.eval_block.Eval();
    if (!scoped) return true;
    if (std::int64_t(recno) < first) return false;
    if (c.record && std::int64_t(recno) != c.record) return false;
    if (c.next && state->taken >= c.next) return state->stopped = true, false;
    if (c.while_block && !c.while_block.Eval().AsLogical()) return state->stopped = true, false;
    ++state->taken;
    return true;
  };
}

// Builds a tag (ORDCREATE / DBCREATEINDEX): in the bag `bag_path`, created when it is not
// open (an NTX file is always created anew). The new order becomes the controlling one and
// the area goes to its top.
Value CreateOrder(WorkArea& area, std::string_view operation, const std::string& bag_path, std::string tag_name,
                  const std::string& key, bool unique, const Args& a) {
  area.GoCold();
  Conditions c;
  auto pending = PendingConditions().find(area.number());
  if (pending != PendingConditions().end()) {
    c = pending->second;
    PendingConditions().erase(pending);
  }
  if (tag_name.empty()) tag_name = BagBase(bag_path);
  const bool cdx = area.driver().bag == BagKind::kCdx;
  OrderBag* bag = nullptr;
  if (cdx) {
    for (const auto& b : area.bags())
      if (b.path == bag_path) bag = b.bag.get();
    if (!bag) {
      const bool structural = bag_path == area.StructuralBagPath();
      const bool exists = area.file_system().Exists(bag_path);
      if (!(exists ? area.AddBag(bag_path, structural) : area.CreateBag(bag_path, structural))) return Value();
      bag = area.bags().back().bag.get();
    }
  } else {
    if (!area.CreateBag(bag_path, false)) return Value();
    bag = area.bags().back().bag.get();
  }
  TagSpec spec;
  spec.name = tag_name;
  spec.key = key;
  spec.condition = c.for_text;
  spec.unique = unique || Sets().unique;
  spec.descending = c.descending;
  spec.scope = ScopeOf(c, area);
  const std::uint32_t keep = area.recno();
  const BagStatus s = bag->CreateTag(spec, area.record_source());
  area.GoTo(keep);
  if (!s.ok()) {
    area.RaiseBagError(s, operation, EG_CREATE);
    return Value();
  }
  // The new tag is the last of its bag.
  int order = 0;
  for (const auto& b : area.bags()) {
    order += b.bag->TagCount();
    if (b.bag.get() == bag) break;
  }
  order = order - bag->TagCount() + bag->FindTag(tag_name) + 1;
  area.SetControllingOrder(order);
  area.GoTop();
  return Value();
}

// ORDCREATE(cBag, cTag, cKey, bKey, lUnique)
Value FnOrdCreate(Args& a) {
  WorkArea* area = Used("ORDCREATE", a, true);
  if (!area) return Value();
  const std::string key = Trimmed(a.Str(3));
  if (key.empty()) {
    Fail(EG_ARG, 1006, "DBCMD", "ORDCREATE", a);
    return Value();
  }
  std::string bag = Trimmed(a.Str(1));
  const std::string tag = UpperAscii(a.Str(2));
  if (bag.empty()) {
    if (area->driver().bag == BagKind::kCdx) bag = area->StructuralBagPath();
    else bag = BagPath(*area, tag);
  } else {
    bag = BagPath(*area, bag);
  }
  return CreateOrder(*area, "ORDCREATE", bag, tag, key, a.Log(5), a);
}

// DBCREATEINDEX(cFile, cKey, bKey, lUnique): INDEX ON ... TO. An NTX index replaces the open
// ones; a CDX file gets a tag named after the file.
Value FnDbCreateIndex(Args& a) {
  WorkArea* area = Used("DBCREATEINDEX", a, true);
  if (!area) return Value();
  const std::string key = Trimmed(a.Str(2));
  const std::string file = Trimmed(a.Str(1));
  if (key.empty() || file.empty()) {
    Fail(EG_ARG, 1006, "DBCMD", "DBCREATEINDEX", a);
    return Value();
  }
  const std::string path = BagPath(*area, file);
  if (area->driver().bag == BagKind::kNtx) area->CloseBags();
  return CreateOrder(*area, "DBCREATEINDEX", path, BagBase(path), key, a.Log(4), a);
}

// ORDCONDSET(cFor, bFor, lAll, bWhile, bEval, nInterval, nStart, nNext, nRecord, lRest, lDescend)
Value FnOrdCondSet(Args& a) {
  if (!Current().used()) return Value::Logical(false);
  Conditions c;
  c.for_text = Trimmed(a.Str(1));
  c.for_block = a.Blk(2);
  c.all = a.Log(3, true);
  c.while_block = a.Blk(4);
  c.eval_block = a.Blk(5);
  c.interval = a.Int(6);
  c.start = a.Int(7);
  c.next = a.Int(8);
  c.record = a.Int(9);
  c.rest = a.Log(10);
  c.descending = a.Log(11);
  PendingConditions()[Current().number()] = c;
  return Value::Logical(true);
}

// ORDSETFOCUS(xOrder, cBag): the name of the order that was controlling; selects another
// when one is given (an unknown one leaves the natural order).
Value FnOrdSetFocus(Args& a) {
  WorkArea* area = Used("ORDSETFOCUS", a, false);
  if (!area) return Value::String("");
  Tag* before = area->ControllingTag();
  const std::string previous = before ? before->Info().name : std::string();
  if (!a.IsNil(1)) {
    area->GoCold();
    const Value& which = a.Arg(1);
    int order = 0;  // 0, an unknown order or an empty name: natural order
    if (which.IsNumber()) order = which.AsDouble() == 0 ? 0 : OrderOf(*area, which, a.Arg(2));
    else if (which.IsString() && !Trimmed(which.AsString()).empty()) order = OrderOf(*area, which, a.Arg(2));
    area->SetControllingOrder(order);
  }
  return Value::String(previous);
}

Value FnIndexOrd(Args&) { return Value::Integer(Current().used() ? Current().controlling_order() : 0); }

// ORDNAME(nOrder, cBag)
Value FnOrdName(Args& a) {
  WorkArea* area = Used("ORDNAME", a, false);
  Tag* tag = area ? TagOf(*area, a.Arg(1), a.Arg(2)) : nullptr;
  return Value::String(tag ? tag->Info().name : std::string());
}

// ORDNUMBER(cTag, cBag)
Value FnOrdNumber(Args& a) {
  WorkArea* area = Used("ORDNUMBER", a, false);
  if (!area) return Value::Integer(0);
  if (!a.Arg(1).IsString()) return Value::Integer(area->controlling_order());
  return Value::Integer(OrderOf(*area, a.Arg(1), a.Arg(2)));
}

// ORDKEY(xOrder, cBag) / INDEXKEY(nOrder)
Value FnOrdKey(Args& a) {
  WorkArea* area = Used("ORDKEY", a, false);
  Tag* tag = area ? TagOf(*area, a.Arg(1), a.Arg(2)) : nullptr;
  return Value::String(tag ? tag->Info().key : std::string());
}

Value FnIndexKey(Args& a) {
  WorkArea* area = Used("INDEXKEY", a, false);
  Tag* tag = area ? TagOf(*area, Value::Integer(a.Int(1)), Value()) : nullptr;
  return Value::String(tag ? tag->Info().key : std::string());
}

// ORDFOR(xOrder, cBag)
Value FnOrdFor(Args& a) {
  WorkArea* area = Used("ORDFOR", a, false);
  Tag* tag = area ? TagOf(*area, a.Arg(1), a.Arg(2)) : nullptr;
  return Value::String(tag ? tag->Info().condition : std::string());
}

// ORDBAGNAME(xOrder): the bag's file name, without folder and extension.
Value FnOrdBagName(Args& a) {
  WorkArea* area = Used("ORDBAGNAME", a, false);
  if (!area) return Value::String("");
  const int order = OrderOf(*area, a.Arg(1), Value());
  OrderBag* bag = nullptr;
  if (!order || !area->OrderAt(order, &bag)) return Value::String("");
  for (const auto& b : area->bags())
    if (b.bag.get() == bag) return Value::String(BagBase(b.path));
  return Value::String("");
}

// ORDCOUNT(cBag): the orders of the bag named, or of every open bag; 0 without a table.
Value FnOrdCount(Args& a) {
  WorkArea* area = Used("ORDCOUNT", a, false);
  if (!area) return Value::Integer(0);
  if (!a.Arg(1).IsString() || Trimmed(a.Str(1)).empty()) return Value::Integer(area->OrderCount());
  const std::string bag_name = BagBase(Trimmed(a.Str(1)));
  int count = 0;
  for (const auto& b : area->bags())
    if (BagBase(b.path) == bag_name) count += b.bag->TagCount();
  return Value::Integer(count);
}

// ORDLISTADD(cBag, cTag): opens an index file; with no controlling order yet, its first (or
// the named) order takes control. .T. when the bag is open (already, or now).
Value FnOrdListAdd(Args& a) {
  WorkArea* area = Used("ORDLISTADD", a, true);
  if (!area) return Value::Logical(false);
  area->GoCold();
  const std::string path = BagPath(*area, a.Str(1));
  for (const auto& b : area->bags())
    if (b.path == path) return Value::Logical(true);
  if (!area->AddBag(path, path == area->StructuralBagPath())) return Value::Logical(false);
  if (area->controlling_order() == 0) {
    int order = a.Arg(2).IsString() ? OrderOf(*area, a.Arg(2), Value()) : 0;
    if (!order) order = area->OrderCount() - area->bags().back().bag->TagCount() + 1;
    area->SetControllingOrder(order);
  }
  return Value::Logical(true);
}

Value FnOrdListClear(Args& a) {
  if (WorkArea* area = Used("ORDLISTCLEAR", a, false)) area->CloseBags();
  return Value();
}

Value FnOrdListRebuild(Args& a) {
  WorkArea* area = Used("ORDLISTREBUILD", a, true);
  if (area && area->RebuildBags()) area->GoTop();
  return Value();
}

// ORDDESTROY(cTag, cBag)
Value FnOrdDestroy(Args& a) {
  WorkArea* area = Used("ORDDESTROY", a, true);
  if (!area) return Value();
  area->GoCold();
  const int order = OrderOf(*area, a.Arg(1), a.Arg(2));
  OrderBag* bag = nullptr;
  Tag* tag = order ? area->OrderAt(order, &bag) : nullptr;
  if (!tag) return Value();
  const int controlling = area->controlling_order();
  const BagStatus s = bag->DestroyTag(tag->Info().name);
  if (!s.ok()) {
    area->RaiseBagError(s, "ORDDESTROY");
    return Value();
  }
  area->SetControllingOrder(controlling == order ? 0 : controlling > order ? controlling - 1 : controlling);
  return Value();
}

// Keys visible in an order, or records visible in natural order.
std::uint32_t KeyCount(WorkArea& area, Tag* tag, bool respect_filters, const Args& a, std::string_view operation) {
  area.GoCold();
  const RecordFilter visible = respect_filters ? area.Visible() : RecordFilter();
  if (!tag) {
    const std::uint32_t total = area.RecordCount();
    if (!visible) return total;
    std::uint32_t n = 0;
    for (std::uint32_t r = 1; r <= total; ++r) n += visible(r) ? 1 : 0;
    return n;
  }
  std::uint32_t count = 0;
  const BagStatus s = tag->KeyCount(count, visible);
  if (!s.ok()) area.RaiseBagError(s, operation);
  return count;
}

// The position of the current record in an order (0 at end of file or when it has no key,
// or is hidden); in natural order the visible records up to it.
std::uint32_t KeyNo(WorkArea& area, Tag* tag, bool respect_filters, std::string_view operation) {
  area.GoCold();
  if (area.eof()) return 0;
  if (!tag) {
    const RecordFilter visible = respect_filters ? area.Visible() : RecordFilter();
    const std::uint32_t recno = area.recno();
    if (!visible) return recno;
    if (!visible(recno)) return 0;
    std::uint32_t n = 0;
    for (std::uint32_t r = 1; r <= recno; ++r) n += visible(r) ? 1 : 0;
    return n;
  }
  std::uint32_t position = 0;
  const BagStatus s = tag->KeyNo(area.recno(), position, respect_filters ? area.Visible() : RecordFilter());
  if (!s.ok()) area.RaiseBagError(s, operation);
  return position;
}

// ORDKEYCOUNT(xOrder, cBag) / ORDKEYNO(xOrder, cBag): every key of the order (its FOR
// condition applies), deleted records' too, whether SET DELETED is on or off.
Value FnOrdKeyCount(Args& a) {
  WorkArea* area = Used("ORDKEYCOUNT", a, false);
  if (!area) return Value::Integer(0);
  return Value::Integer(KeyCount(*area, TagOf(*area, a.Arg(1), a.Arg(2)), false, a, "ORDKEYCOUNT"));
}

Value FnOrdKeyNo(Args& a) {
  WorkArea* area = Used("ORDKEYNO", a, false);
  if (!area) return Value::Integer(0);
  return Value::Integer(KeyNo(*area, TagOf(*area, a.Arg(1), a.Arg(2)), false, "ORDKEYNO"));
}

// ADSKEYCOUNT(xTag, cBag, nFilterOption) / ADSKEYNO(xTag, cBag, nFilterOption): the keys of
// the records SET DELETED shows; filter option 2 (ignore filters) counts every key.
Value FnAdsKeyCount(Args& a) {
  WorkArea* area = Used("ADSKEYCOUNT", a, false);
  if (!area) return Value::Integer(0);
  return Value::Integer(KeyCount(*area, TagOf(*area, a.Arg(1), a.Arg(2)), a.Int(3, 1) != 2, a, "ADSKEYCOUNT"));
}

Value FnAdsKeyNo(Args& a) {
  WorkArea* area = Used("ADSKEYNO", a, false);
  if (!area) return Value::Integer(0);
  return Value::Integer(KeyNo(*area, TagOf(*area, a.Arg(1), a.Arg(2)), a.Int(3, 1) != 2, "ADSKEYNO"));
}

// ORDKEYVAL(): the controlling order's key of the current record; NIL without one.
Value FnOrdKeyVal(Args& a) {
  WorkArea* area = Used("ORDKEYVAL", a, false);
  Tag* tag = area ? area->ControllingTag() : nullptr;
  if (!tag || area->eof()) return Value();
  area->GoCold();
  KeyValue key;
  const BagStatus s = tag->CurrentKeyValue(key);
  if (!s.ok()) {
    area->RaiseBagError(s, "ORDKEYVAL");
    return Value();
  }
  if (key.type == KeyType::kCharacter && key.text.empty()) return Value();  // FOR excludes it
  return FromKey(key);
}

// DBSEEK(xKey, lSoft = SET SOFTSEEK, lLast = .F.): FOUND() tells whether it matched.
Value FnDbSeek(Args& a) {
  WorkArea* area = Used("DBSEEK", a, true);
  if (!area) return Value::Logical(false);
  area->GoCold();
  Tag* tag = area->ControllingTag();
  if (!tag) {
    ErrorRef e = MakeError(area->driver().name, EG_NOORDER, kCmdNoOrder, "DBSEEK", GenCodeDescription(EG_NOORDER));
    e->canDefault = true;
    (void)Raise(e);
    return Value::Logical(false);
  }
  KeyValue key;
  TagPosition pos;
  const bool soft = a.IsNil(2) ? Sets().softseek : a.Log(2);
  if (ToKey(a.Arg(1), key)) {
    const BagStatus s = tag->Seek(key, soft ? SeekMode::kSoft : SeekMode::kExact, a.Log(3), pos, area->Visible());
    if (!s.ok()) {
      area->RaiseBagError(s, "DBSEEK");
      pos = {};
    }
  }
  area->GoToChecked(pos.eof() ? 0 : pos.recno);
  area->set_found(pos.found);
  return Value::Logical(pos.found);
}

}  // namespace

void InitOrderFunctions() {
  RegisterFunction("ORDCREATE", FnOrdCreate);
  RegisterFunction("ORDCONDSET", FnOrdCondSet);
  RegisterFunction("DBCREATEINDEX", FnDbCreateIndex);
  RegisterFunction("ORDSETFOCUS", FnOrdSetFocus);
  RegisterFunction("INDEXORD", FnIndexOrd);
  RegisterFunction("ORDNAME", FnOrdName);
  RegisterFunction("ORDNUMBER", FnOrdNumber);
  RegisterFunction("ORDKEY", FnOrdKey);
  RegisterFunction("INDEXKEY", FnIndexKey);
  RegisterFunction("ORDFOR", FnOrdFor);
  RegisterFunction("ORDBAGNAME", FnOrdBagName);
  RegisterFunction("ORDCOUNT", FnOrdCount);
  RegisterFunction("ORDLISTADD", FnOrdListAdd);
  RegisterFunction("ORDLISTCLEAR", FnOrdListClear);
  RegisterFunction("ORDLISTREBUILD", FnOrdListRebuild);
  RegisterFunction("ORDDESTROY", FnOrdDestroy);
  RegisterFunction("ORDKEYCOUNT", FnOrdKeyCount);
  RegisterFunction("ORDKEYNO", FnOrdKeyNo);
  RegisterFunction("ORDKEYVAL", FnOrdKeyVal);
  RegisterFunction("ADSKEYCOUNT", FnAdsKeyCount);
  RegisterFunction("ADSKEYNO", FnAdsKeyNo);
  RegisterFunction("DBSEEK", FnDbSeek);
}

}  // namespace xb::rdd
