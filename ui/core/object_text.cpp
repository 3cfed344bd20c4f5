#include "ui/core/object_text.h"

#include <optional>
#include <vector>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/number.h"
#include "runtime/object.h"
#include "runtime/operators.h"
#include "runtime/symbol.h"

namespace ui {
namespace {

using xb::Value;

std::string Word(std::size_t n) {
  return std::string{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF)};
}

// Reads the record from its start; every read checks the length left.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool Word(std::size_t& n) {
    if (text_.size() - at_ < 2) return false;
    n = static_cast<unsigned char>(text_[at_]) | static_cast<std::size_t>(static_cast<unsigned char>(text_[at_ + 1])) << 8;
    at_ += 2;
    return true;
  }
  bool Bytes(std::size_t n, std::string_view& out) {
    if (text_.size() - at_ < n) return false;
    out = text_.substr(at_, n);
    at_ += n;
    return true;
  }
  bool Peek(char& c) const {
    if (at_ >= text_.size()) return false;
    c = text_[at_];
    return true;
  }
  // A whole nested record starting here ("A" or "O", then its total length).
  bool Record(std::string_view& out) {
    if (text_.size() - at_ < 3) return false;
    const std::size_t total = static_cast<unsigned char>(text_[at_ + 1]) |
                              static_cast<std::size_t>(static_cast<unsigned char>(text_[at_ + 2])) << 8;
    return Bytes(total, out);
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

std::optional<std::string> ValueText(const Value& v) {
  const Value& value = v.Deref();
  if (value.IsArray()) return ASave(value.AsArray());
  if (value.IsObject()) {
    if (!xb::HasMessage(value, xb::Intern("SAVE"))) return std::nullopt;
    const Value saved = xb::Send(value, "SAVE");
    if (!saved.IsString()) return std::nullopt;
    return std::string(saved.AsString());
  }
  std::string letter, text;
  if (value.IsString()) {
    letter = "C";
    text = std::string(value.AsString());
  } else if (value.IsNumber()) {
    letter = "N";
    text = xb::NumberToText(value);
  } else if (value.IsLogical()) {
    letter = "L";
    text = value.AsLogical() ? ".T." : ".F.";
  } else if (value.IsDate()) {
    letter = "D";
    text = value.AsDate().Dtos();
  } else {
    return std::nullopt;  // blocks and NIL are not stored
  }
  return letter + Word(text.size()) + text;
}

std::optional<Value> ReadValue(Reader& r) {
  char kind = 0;
  if (!r.Peek(kind)) return std::nullopt;
  if (kind == 'A' || kind == 'O') {
    std::string_view record;
    if (!r.Record(record)) return std::nullopt;
    return kind == 'A' ? Value(ARead(record)) : ORead(record);
  }
  std::string_view letter, text;
  std::size_t length = 0;
  if (!r.Bytes(1, letter) || !r.Word(length) || !r.Bytes(length, text)) return std::nullopt;
  switch (kind) {
    case 'C': return Value::String(text);
    case 'N': return xb::CallFunction("VAL", {Value::String(text)});
    case 'L': return Value::Logical(text == ".T.");
    case 'D': return Value::FromDate(xb::Date::FromDtos(text));
    default: return Value();
  }
}

// The object's property names, as it lists them.
std::vector<std::string> Properties(const Value& object) {
  std::vector<std::string> names;
  if (xb::HasMessage(object, xb::Intern("APROPERTIES"))) {
    if (const xb::Array list = xb::Send(object, "APROPERTIES").AsArray()) {
      for (const Value& n : list) names.emplace_back(n.AsString());
    }
  } else if (xb::HasMessage(object, xb::Intern("PROPCOUNT"))) {
    const std::int64_t count = xb::Send(object, "PROPCOUNT").AsInt();
    for (std::int64_t n = 1; n <= count; ++n) names.emplace_back(xb::Send(object, "PROPERTY", {Value::Integer(n)}).AsString());
  }
  return names;
}

std::vector<std::string> Events(const Value& object) {
  std::vector<std::string> names;
  if (!xb::HasMessage(object, xb::Intern("AEVENTS"))) return names;
  if (const xb::Array list = xb::Send(object, "AEVENTS").AsArray()) {
    for (const Value& e : list) {
      if (e.IsString()) names.emplace_back(e.AsString());
      else if (const xb::Array entry = e.AsArray(); entry && entry.size() > 0) names.emplace_back(entry.Get(0).AsString());
    }
  }
  return names;
}

bool SameValue(const Value& a, const Value& b) {
  if (a.ValType() != b.ValType()) return false;
  if (a.IsArray() || a.IsObject() || a.IsBlock()) return false;  // always stored
  return xb::OpExactEqual(a, b).AsLogical();
}

}  // namespace

std::string ASave(const xb::Array& array) {
  std::string body = Word(array ? array.size() : 0);
  if (array) {
    for (const Value& v : array) {
      std::optional<std::string> text = ValueText(v);
      body += text ? *text : std::string("U") + Word(0);
    }
  }
  return "A" + Word(body.size() + 3) + body;
}

xb::Array ARead(std::string_view record) {
  xb::Array out = xb::Array::New();
  Reader r(record);
  std::string_view head;
  std::size_t total = 0, count = 0;
  if (!r.Bytes(1, head) || head != "A" || !r.Word(total) || !r.Word(count)) return out;
  for (std::size_t i = 0; i < count; ++i) {
    std::optional<Value> v = ReadValue(r);
    if (!v) break;
    out.Append(*v);
  }
  return out;
}

std::string SaveObject(const Value& v) {
  const Value& object = v.Deref();
  const xb::ObjectRef o = object.AsObject();
  if (!o) return {};
  Value fresh;
  if (xb::IsFunctionRegistered(o->ClassName())) fresh = xb::CallFunction(o->ClassName());
  std::string items;
  std::size_t count = 0;
  auto item = [&](const std::string& name, const Value& value) {
    std::optional<std::string> text = ValueText(value);
    if (!text) return;
    items += Word(name.size()) + name + *text;
    ++count;
  };
  for (const std::string& name : Properties(object)) {
    const Value value = xb::Send(object, name);
    if (fresh.IsObject() && SameValue(value, xb::Send(fresh, name))) continue;
    item(name, value);
  }
  for (const std::string& name : Events(object)) {
    if (!xb::HasMessage(object, xb::Intern(name))) continue;
    const Value value = xb::Send(object, name);
    if (value.IsString() && !value.AsString().empty()) item(name, value);
  }
  const std::string& cls = o->ClassName();
  const std::string body = Word(cls.size()) + cls + Word(count) + items;
  return "O" + Word(body.size() + 3) + body;
}

bool LoadObject(const Value& v, std::string_view record) {
  const Value& object = v.Deref();
  const xb::ObjectRef o = object.AsObject();
  if (!o) return false;
  Reader r(record);
  const std::string& cls = o->ClassName();
  if (record.size() >= 5 && record[0] == 'O' && record.substr(5, cls.size()) == cls) {
    std::string_view skip;
    std::size_t total = 0, length = 0;
    r.Bytes(1, skip);
    r.Word(total);
    r.Word(length);
    if (!r.Bytes(length, skip)) return false;
  }
  std::size_t count = 0;
  if (!r.Word(count)) return false;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t length = 0;
    std::string_view name;
    if (!r.Word(length) || !r.Bytes(length, name)) return false;
    std::optional<Value> value = ReadValue(r);
    if (!value) return false;
    const Value args[] = {*value};
    xb::Send(object, xb::Intern("_" + std::string(name)), args);
  }
  return true;
}

Value ORead(std::string_view record) {
  Reader r(record);
  std::string_view head, cls;
  std::size_t total = 0, length = 0;
  if (!r.Bytes(1, head) || head != "O" || !r.Word(total) || !r.Word(length) || !r.Bytes(length, cls)) return Value();
  const std::string name(cls);
  if (!xb::IsFunctionRegistered(name)) return Value();
  Value object = xb::CallFunction(name);
  if (!object.IsObject()) return Value();
  if (xb::HasMessage(object, xb::Intern("LOAD"))) {
    xb::Send(object, "LOAD", {Value::String(record)});
  } else {
    LoadObject(object, record);
  }
  return object;
}

void RegisterObjectText() {
  xb::RegisterFunction("ASAVE", [](xb::Args& a) { return Value::String(ASave(a.Arr(1))); });
  xb::RegisterFunction("AREAD", [](xb::Args& a) { return Value(ARead(a.Str(1))); });
  xb::RegisterFunction("OREAD", [](xb::Args& a) { return ORead(a.Str(1)); });
}

}  // namespace ui
