#include "ui/controls/tccolumn.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/number.h"
#include "runtime/operators.h"
#include "runtime/workarea_host.h"
#include "ui/controls/tccolumn_format.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kDefaultMessage = "Press Esc to cancel";
constexpr int kBitmapWidth = 16;

Value Native(std::function<Value(Args&)> fn) { return Value(xb::Block::Native(std::move(fn))); }

bool IsEmpty(const Value& v) {
  if (v.IsNil()) return true;
  if (v.IsString()) return v.AsString().find_first_not_of(" \t\r\n") == std::string_view::npos;
  if (v.IsNumber()) return v.AsDouble() == 0;
  if (v.IsLogical()) return !v.AsLogical();
  if (v.IsArray()) return v.AsArray().empty();
  return false;
}

// A value given where a block is expected is a block answering it.
Value AsBlock(const Value& v) {
  if (v.IsNil() || v.IsBlock()) return v;
  return Native([v](Args&) { return v; });
}

std::string Text(const Value& value, const std::string& picture) {
  if (!picture.empty()) return std::string(xb::CallFunction("TRANSFORM", {value, Value::String(picture)}).AsString());
  if (xb::IsFunctionRegistered("CVALTOCHAR")) return std::string(xb::CallFunction("CVALTOCHAR", {value}).AsString());
  if (value.IsNil()) return {};
  return std::string(xb::CallFunction("TRANSFORM", {value, Value::String("")}).AsString());
}

int TextWidth(const std::string& text) {
  if (!xb::IsFunctionRegistered("GETTEXTWIDTH")) return static_cast<int>(text.size()) * 8;
  return static_cast<int>(xb::CallFunction("GETTEXTWIDTH", {Value::Integer(0), Value::String(text)}).AsInt());
}

int DialogUnitX() {
  if (!xb::IsFunctionRegistered("GETDLGBASEUNITS")) return 8;
  return static_cast<int>(xb::CallFunction("GETDLGBASEUNITS").AsInt() & 0xFFFF);
}

// A colour block answers a number; a colour pair is read by `convert`.
Value PairBlock(const Value& original, const char* convert) {
  return Native([original, convert](Args& a) {
    const Value v = xb::EvalValue(original, a.Raw());
    if (!v.IsString() || !xb::IsFunctionRegistered(convert)) return v;
    return xb::CallFunction(convert, {v});
  });
}

// The text of a value as the record stores it, with its type letter; nullopt for what is
// not stored (NIL, blocks, objects without Save).
std::optional<ColumnItem> ItemOf(const std::string& name, const Value& v) {
  const Value& value = v.Deref();
  ColumnItem item{name, 'C', {}};
  if (value.IsString()) {
    item.text = std::string(value.AsString());
  } else if (value.IsNumber()) {
    item.type = 'N';
    item.text = xb::NumberToText(value);
  } else if (value.IsLogical()) {
    item.type = 'L';
    item.text = value.AsLogical() ? ".T." : ".F.";
  } else if (value.IsDate()) {
    item.type = 'D';
    item.text = value.AsDate().Dtos();
  } else if (value.IsArray() && xb::IsFunctionRegistered("ASAVE")) {
    item.type = 'A';
    item.text = std::string(xb::CallFunction("ASAVE", {value}).AsString());
  } else if (value.IsObject() && xb::HasMessage(value, xb::Intern("SAVE"))) {
    item.type = 'O';
    item.text = std::string(xb::Send(value, "SAVE").AsString());
  } else {
    return std::nullopt;
  }
  return item;
}

std::optional<Value> ValueOf(const ColumnItem& item) {
  switch (item.type) {
    case 'C': return Value::String(item.text);
    case 'L': return Value::Logical(item.text == ".T.");
    case 'N': return xb::CallFunction("VAL", {Value::String(item.text)});
    case 'D': return Value::FromDate(xb::Date::FromDtos(item.text));
    case 'A':
      if (!xb::IsFunctionRegistered("AREAD")) return std::nullopt;
      return xb::CallFunction("AREAD", {Value::String(item.text)});
    case 'O':
      if (!xb::IsFunctionRegistered("OREAD")) return std::nullopt;
      return xb::CallFunction("OREAD", {Value::String(item.text)});
    default: return std::nullopt;
  }
}

bool Same(const Value& a, const Value& b) {
  if (a.ValType() != b.ValType()) return false;
  if (a.IsNil()) return true;
  if (a.IsArray() || a.IsObject() || a.IsBlock()) return false;
  return xb::OpExactEqual(a, b).AsLogical();
}

const std::vector<std::string>& Properties() {
  static const std::vector<std::string> names = {"cHeading", "cPicture", "nWidth"};
  return names;
}
const std::vector<std::string>& Events() {
  static const std::vector<std::string> names = {"OnEdit"};
  return names;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool CorruptRecord(std::string_view body) {
  const Value args[] = {Value::String(body)};
  xb::RaiseSubstitute(xb::MakeBaseError(xb::EG_CORRUPTION, 0, "TCCOLUMN:LOAD", args,
                                        "Registro de columna incompleto o mal formado"));
  return false;
}

}  // namespace

int ColumnAlignment(const Value& align) {
  if (align.IsNumber()) {
    const std::int64_t n = align.AsInt();
    return n >= 0 && n <= 2 ? static_cast<int>(n) : 0;
  }
  if (align.IsString()) {
    const std::string text = Upper(std::string(align.AsString()));
    const char* names[] = {"LEFT", "CENTER", "RIGHT"};
    for (int i = 0; i < 3; ++i)
      if (std::string_view(names[i]).find(text) != std::string_view::npos) return i;
  }
  return 0;
}

TCColumn::TCColumn() : TCColumn(Cls()) {}

TCColumn::TCColumn(const xb::Class& cls) : Object(cls) {}

TCColumn& TCColumn::New(const NewParams& p) {
  cHeading = p.heading.IsNil() ? Value::String("") : p.heading;
  bData = p.data.IsNil() ? Native([](Args&) { return Value(); }) : AsBlock(p.data);
  cPicture = p.picture;
  nAlign = ColumnAlignment(p.align);
  lBitMap = p.bitmap;
  lEdit = p.edit;
  cMsg = p.message.IsString() ? std::string(p.message.AsString()) : kDefaultMessage;
  bValid = p.valid.IsNil() ? Native([](Args&) { return Value::Logical(true); }) : AsBlock(p.valid);
  cError = p.error;
  lNoLite = p.no_lite;
  cOrder = p.order;
  cFooting = p.footing;
  bPrevEdit = p.prev_edit;
  bPostEdit = p.post_edit;
  nEditMove = p.edit_move;
  lFixLite = p.fix_lite;

  if (p.width.IsNumber()) {
    nWidth = static_cast<int>(p.width.AsDouble() * DialogUnitX() / 8);
  } else if (lBitMap) {
    nWidth = kBitmapWidth;
  } else {
    const std::size_t chars = std::max(Heading().size(), Shown().size()) + 1;
    nWidth = static_cast<int>(0.67 * TextWidth(std::string(chars, 'B')));
  }

  const Value fore = AsBlock(p.clr_fore);
  const Value back = AsBlock(p.clr_back);
  const Value first = fore.IsBlock() ? fore.AsBlock().Eval() : Value();
  if (first.IsString()) {
    bClrFore = PairBlock(fore, "NGETFORERGB");
    bClrBack = PairBlock(fore, "NGETBACKRGB");
  } else {
    bClrFore = IsEmpty(first) ? Value() : fore;
    bClrBack = back.IsBlock() && !IsEmpty(back.AsBlock().Eval()) ? back : Value();
  }
  return *this;
}

xb::Value TCColumn::CellValue() const { return bData.IsBlock() ? bData.AsBlock().Eval() : xb::Value(); }

void TCColumn::StoreValue(const xb::Value& value) const {
  if (bData.IsBlock()) bData.AsBlock().Eval({value});
}

std::string TCColumn::Picture() const {
  if (bPicture.IsBlock()) {
    const xb::Value p = bPicture.AsBlock().Eval();
    if (p.IsString()) return std::string(p.AsString());
  }
  return cPicture;
}

std::string TCColumn::Shown() const { return Text(CellValue(), Picture()); }

std::string TCColumn::Heading() const { return cHeading.IsString() ? std::string(cHeading.AsString()) : Text(cHeading, {}); }

std::uint32_t TCColumn::Fore(int row, int col, std::uint32_t fallback) const {
  if (!bClrFore.IsBlock()) return fallback;
  const xb::Value v = bClrFore.AsBlock().Eval({xb::Value::Integer(row), xb::Value::Integer(col)});
  return v.IsNumber() ? static_cast<std::uint32_t>(v.AsInt()) : fallback;
}

std::uint32_t TCColumn::Back(int row, int col, std::uint32_t fallback) const {
  if (!bClrBack.IsBlock()) return fallback;
  const xb::Value v = bClrBack.AsBlock().Eval({xb::Value::Integer(row), xb::Value::Integer(col)});
  return v.IsNumber() ? static_cast<std::uint32_t>(v.AsInt()) : fallback;
}

std::string TCColumn::Save() {
  const xb::Value self = Self();
  const xb::Value fresh = xb::Value(xb::MakeRef<TCColumn>());
  std::vector<ColumnItem> items;
  for (const std::string& name : Properties()) {
    const xb::Value value = xb::Send(self, name);
    if (Same(value, xb::Send(fresh, name))) continue;
    if (std::optional<ColumnItem> item = ItemOf(name, value)) items.push_back(std::move(*item));
  }
  for (const std::string& name : Events()) {
    const xb::Value value = xb::Send(self, name);
    if (value.IsString() && !value.AsString().empty()) items.push_back({name, 'C', std::string(value.AsString())});
  }
  if (std::optional<std::string> record = EncodeColumnRecord(ClassName(), items)) return *record;
  // A text or the whole record past its 2-byte length: nothing is saved, and the caller hears.
  const Value args[] = {self};
  xb::RaiseSubstitute(xb::MakeBaseError(xb::EG_LIMIT, 0, "TCCOLUMN:SAVE", args,
                                        "El registro de la columna no cabe en 65535 bytes"));
  return std::string();
}

bool TCColumn::Load(std::string_view body) {
  const std::optional<std::vector<ColumnItem>> items = DecodeColumnBody(body);
  if (!items) return CorruptRecord(body);
  // Everything is read before anything is assigned.
  std::vector<std::pair<const xb::Symbol*, xb::Value>> assignments;
  const xb::Value self = Self();
  for (const ColumnItem& item : *items) {
    const xb::Symbol& setter = xb::Intern("_" + Upper(item.name));
    std::optional<xb::Value> value = ValueOf(item);
    if (!value || !xb::HasMessage(self, setter)) return CorruptRecord(body);
    assignments.emplace_back(&setter, std::move(*value));
  }
  for (const auto& [setter, value] : assignments) {
    const xb::Value args[] = {value};
    xb::Send(self, *setter, args);
  }
  return true;
}

// ---- the runtime class -------------------------------------------------------------------------------

const xb::Class& TCColumn::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TCCOLUMN");
    using C = TCColumn;
    auto as = [](xb::Object& o) -> C& { return xb::Class::Cast<C>(o); };
    c.Data("CHEADING", &C::cHeading)
        .Data("BDATA", &C::bData)
        .Data("CDATA", &C::cData)
        .Data("CPICTURE", &C::cPicture)
        .Data("BPICTURE", &C::bPicture)
        .Data("BCLRFORE", &C::bClrFore)
        .Data("BCLRBACK", &C::bClrBack)
        .Data("NALIGN", &C::nAlign)
        .Data("NWIDTH", &C::nWidth)
        .Data("LBITMAP", &C::lBitMap)
        .Data("LEDIT", &C::lEdit)
        .Data("LNOLITE", &C::lNoLite)
        .Data("CMSG", &C::cMsg)
        .Data("BVALID", &C::bValid)
        .Data("CERROR", &C::cError)
        .Data("CORDER", &C::cOrder)
        .Data("CFOOTING", &C::cFooting)
        .Data("BPREVEDIT", &C::bPrevEdit)
        .Data("BPOSTEDIT", &C::bPostEdit)
        .Data("BPOSTGET", &C::bPostGet)
        .Data("BWHEN", &C::bWhen)
        .Data("BCHANGE", &C::bChange)
        .Data("NEDITMOVE", &C::nEditMove)
        .Data("LFIXLITE", &C::lFixLite)
        .Data("CARGO", &C::Cargo)
        .Data("ONEDIT", &C::OnEdit);
    c.Property("APROPERTIES", [](xb::Object&) {
      xb::Array names = xb::Array::New();
      for (const std::string& n : Properties()) names.Append(xb::Value::String(n));
      return xb::Value(names);
    }, nullptr);
    c.Property("AEVENTS", [](xb::Object&) {
      xb::Array names = xb::Array::New();
      for (const std::string& n : Events()) names.Append(xb::Value::String(n));
      return xb::Value(names);
    }, nullptr);
    // New(cHeading, bData, cPicture, bClrFore, bClrBack, nAlign, nWidth, lBitmap, lEdit, cMsg,
    //     bValid, cError, lNoLite, cOrder, cFooting, bPrevEdit, bPostEdit, nEditMove, lFixLite)
    c.Method("NEW", [as](xb::Object& o, Args& a) {
      NewParams p;
      p.heading = a.Arg(1);
      p.data = a.Arg(2);
      p.picture = std::string(a.Str(3));
      p.clr_fore = a.Arg(4);
      p.clr_back = a.Arg(5);
      p.align = a.Arg(6);
      p.width = a.Arg(7);
      p.bitmap = a.Log(8);
      p.edit = a.Log(9);
      p.message = a.Arg(10);
      p.valid = a.Arg(11);
      p.error = std::string(a.Str(12));
      p.no_lite = a.Log(13);
      p.order = std::string(a.Str(14));
      p.footing = a.Arg(15);
      p.prev_edit = a.Arg(16);
      p.post_edit = a.Arg(17);
      p.edit_move = static_cast<int>(a.Int(18));
      p.fix_lite = a.Log(19);
      return as(o).New(p).Self();
    });
    c.Method("SAVE", [as](xb::Object& o, Args&) { return xb::Value::String(as(o).Save()); });
    c.Method("LOAD", [as](xb::Object& o, Args& a) { return xb::Value::Logical(as(o).Load(a.Str(1))); });
    c.Method("END", [as](xb::Object& o, Args&) {
      as(o).End();
      return xb::Value();
    });
    return c;
  }();
  return cls;
}

void RegisterColumnClasses() {
  (void)TCColumn::Cls();
  xb::RegisterFunction("TCCOLUMN", [](Args&) { return Value(xb::MakeRef<TCColumn>()); });
  xb::RegisterFunction("FIELDSETGETBLOCK", [](Args& a) -> Value {
    const std::string alias(a.Str(1));
    const int field = static_cast<int>(a.Int(2));
    return Native([alias, field](Args& b) -> Value {
      xb::WorkAreaHost* host = xb::GetWorkAreaHost();
      const int area = host != nullptr ? (alias.empty() ? host->CurrentArea() : host->AreaOfAlias(alias)) : 0;
      if (area == 0) return Value();
      if (b.Count() > 0) host->PutField(area, field, b.Arg(1));
      return host->GetField(area, field);
    });
  });
}

}  // namespace ui
