#include "ui/core/tstruct.h"

#include <chrono>
#include <cstring>
#include <limits>
#include <random>

#include "runtime/block.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/symbol.h"
#include "ui/core/msg_box.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

using xb::Value;

void PutLittle(std::string& buffer, int offset, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) buffer[static_cast<size_t>(offset + i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint64_t GetLittle(const std::string& buffer, int offset, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(buffer[static_cast<size_t>(offset + i)])) << (8 * i);
  return v;
}

// The integer types are 32-bit; given a length of 8 they hold a pointer-sized integer.
int IntegerWidth(const TStruct::Member& m) { return m.length == 8 ? 8 : 4; }

bool Truthy(const Value& v) {
  if (v.IsLogical()) return v.AsLogical();
  if (v.IsNumber()) return v.AsDouble() != 0;
  if (v.IsString()) return !v.AsString().empty();
  return false;
}

std::string RTrimmed(std::string_view s) {
  std::size_t end = s.size();
  while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\0')) --end;
  return std::string(s.substr(0, end));
}

std::string PaddedTo(std::string_view text, int length) {
  std::string out(text.substr(0, static_cast<size_t>(length)));
  out.resize(static_cast<size_t>(length), ' ');
  return out;
}

Value RaiseMemberMissing(std::string_view name, bool assign, const Value& self, std::span<const Value> rest = {}) {
  std::vector<Value> all{self};
  all.insert(all.end(), rest.begin(), rest.end());
  const std::string op = "TSTRUCT:" + xb::UpperName(name);
  return xb::RaiseBaseError(assign ? xb::EG_NOVARMETHOD : xb::EG_NOMETHOD, assign ? 1005 : 1004, op, all,
                            "Message not found");
}

// The innermost open structure of STRUCBEGIN, and the one THISSTRUCT keeps.
std::vector<xb::Ref<TExStruct>>& OpenStructs() {
  static std::vector<xb::Ref<TExStruct>> open;
  return open;
}

Value& CurrentStruct() {
  static Value current;
  return current;
}

}  // namespace

// ---- TStruct --------------------------------------------------------------------------------

TStruct::TStruct() : xb::Object(Cls()) {}

int TStruct::TypeLength(int type) {
  switch (type) {
    case 1:
    case 2: return 1;
    case 3:
    case 5: return 2;
    case 7:
    case 9:
    case 10:
    case 12: return 4;
    default: return 0;
  }
}

void TStruct::AddMember(std::string_view name, int type, int length) {
  if (length <= 0) length = TypeLength(type);
  aMembers.push_back({xb::UpperName(name), type, length, static_cast<int>(cBuffer.size())});
  cBuffer.append(static_cast<size_t>(length), '\0');
}

const TStruct::Member* TStruct::Find(const Value& member) const {
  if (member.IsNumber()) {
    const std::int64_t n = member.AsInt();
    return n >= 1 && n <= static_cast<std::int64_t>(aMembers.size()) ? &aMembers[static_cast<size_t>(n - 1)] : nullptr;
  }
  if (!member.IsString()) return nullptr;
  const std::string upper = xb::UpperName(member.AsString());
  for (const Member& m : aMembers) {
    if (m.name == upper) return &m;
  }
  return nullptr;
}

Value TStruct::SetMember(const Value& member, const Value& value) {
  const Member* m = Find(member);
  if (m == nullptr) return RaiseMemberMissing(member.IsString() ? member.AsString() : "", true, AsValue(), {&value, 1});
  if (m->offset + m->length > SizeOf()) return Value();  // an image assigned shorter than its members
  switch (m->type) {
    case 1:
    case 2: {
      std::uint32_t byte = 0;
      if (value.IsNumber()) byte = static_cast<std::uint32_t>(value.AsInt());
      else if (value.IsLogical()) byte = value.AsLogical() ? 1 : 0;
      else if (value.IsString() && !value.AsString().empty()) byte = static_cast<unsigned char>(value.AsString()[0]);
      PutLittle(cBuffer, m->offset, byte, 1);
      break;
    }
    case 3: {
      if (value.IsString()) {
        const std::string two = std::string(value.AsString().substr(0, 2)) + std::string(2, '\0');
        std::memcpy(cBuffer.data() + m->offset, two.data(), 2);
        break;
      }
      std::uint32_t word = 0;
      if (value.IsNumber()) word = static_cast<std::uint32_t>(value.AsInt());
      else if (value.IsLogical()) word = value.AsLogical() ? 1 : 0;
      PutLittle(cBuffer, m->offset, word, 2);
      break;
    }
    case 5: PutLittle(cBuffer, m->offset, Truthy(value) ? 1 : 0, 2); break;
    case 7:
    case 9:
    case 10:
    case 12: {
      std::uint64_t number = 0;
      if (value.IsNumber()) number = static_cast<std::uint64_t>(value.AsInt());
      else if (value.IsLogical()) number = value.AsLogical() ? 1 : 0;
      PutLittle(cBuffer, m->offset, number, IntegerWidth(*m));
      break;
    }
    case 8: {
      std::string text;
      if (value.IsNumber()) text = CValToChar(value);
      else if (value.IsString()) text = std::string(value.AsString());
      const std::string field = PaddedTo(text, m->length);
      std::memcpy(cBuffer.data() + m->offset, field.data(), field.size());
      break;
    }
    default: MsgAlert("Member type conversion not implemented yet!"); break;
  }
  return value;
}

Value TStruct::GetMember(const Value& member) {
  const Member* m = Find(member);
  if (m == nullptr) return RaiseMemberMissing(member.IsString() ? member.AsString() : "", false, AsValue());
  if (m->offset + m->length > SizeOf()) return Value();
  switch (m->type) {
    case 1:
    case 2: return Value::Integer(GetLittle(cBuffer, m->offset, 1));
    case 3: return Value::Integer(static_cast<std::int16_t>(GetLittle(cBuffer, m->offset, 2)));
    case 5: return Value::Logical(GetLittle(cBuffer, m->offset, 2) == 1);
    case 7:
    case 9:
    case 10:
    case 12:
      if (IntegerWidth(*m) == 8) return Value::Integer(static_cast<std::int64_t>(GetLittle(cBuffer, m->offset, 8)));
      return Value::Integer(static_cast<std::int32_t>(GetLittle(cBuffer, m->offset, 4)));
    case 8: return Value::String(RTrimmed(std::string_view(cBuffer).substr(static_cast<size_t>(m->offset), static_cast<size_t>(m->length))));
    default: return Value::String(std::string_view(cBuffer).substr(static_cast<size_t>(m->offset), static_cast<size_t>(m->length)));
  }
}

const xb::Class& TStruct::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    auto self = [](xb::Object& o) -> TStruct& { return xb::Class::Cast<TStruct>(o); };
    xb::Class& c = xb::Class::Define("TSTRUCT");
    c.Data("CBUFFER", &TStruct::cBuffer);
    c.Property("AMEMBERS", [self](xb::Object& o) {
      xb::Array list = xb::Array::New();
      for (const Member& m : self(o).aMembers) {
        list.Append(Value(xb::Array::Of({Value::String(m.name), Value::Integer(m.type), Value::Integer(m.length),
                                         Value::Integer(m.offset)})));
      }
      return Value(list);
    }, nullptr);
    c.Method("NEW", [self](xb::Object& o, xb::Args&) {
      self(o).cBuffer.clear();
      self(o).aMembers.clear();
      return o.AsValue();
    });
    c.Method("ADDMEMBER", [self](xb::Object& o, xb::Args& a) {
      self(o).AddMember(a.Str(1), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)));
      return Value();
    });
    c.Method("SETMEMBER", [self](xb::Object& o, xb::Args& a) { return self(o).SetMember(a.Arg(1), a.Arg(2)); });
    c.Method("GETMEMBER", [self](xb::Object& o, xb::Args& a) { return self(o).GetMember(a.Arg(1)); });
    c.Method("SIZEOF", [self](xb::Object& o, xb::Args&) { return Value::Integer(self(o).SizeOf()); });
    c.OnUnknownMessage([self](xb::Object& o, const xb::Symbol& message, xb::Args& a) {
      const std::string& name = message.Name();
      if (name.size() > 1 && name[0] == '_') return self(o).SetMember(Value::String(name.substr(1)), a.Arg(1));
      return self(o).GetMember(Value::String(name));
    });
    return c;
  }();
  return cls;
}

// ---- TExStruct ------------------------------------------------------------------------------

TExStruct::TExStruct() : xb::Object(Cls()) {}

void TExStruct::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  for (const Member& m : aMembers) {
    if (xb::GcObject* t = m.value.GcTarget()) visitor.Visit(t);
  }
}

void TExStruct::ClearValues() {
  xb::Object::ClearValues();
  aMembers.clear();
}

void TExStruct::AddMember(std::string_view name, std::string_view type, const Value& initial, int length) {
  Member m;
  m.name = xb::UpperName(name).substr(0, 32);
  const std::string upper = xb::UpperName(type);
  m.type = upper.size() > 1 && upper.front() == 'O' ? "OBJECT" : upper.substr(0, 1);
  m.length = length;
  m.value = initial;
  if (initial.IsNil()) {
    switch (m.type.empty() ? ' ' : m.type.front()) {
      case 'L':
        m.value = Value::Logical(false);
        if (length == 0) m.length = 1;
        break;
      case 'N': m.value = Value::Integer(0); break;
      case 'D':
        m.value = Value::FromDate(xb::Date{});
        if (length == 0) m.length = 8;
        break;
      case 'C': m.value = Value::String(""); break;
      case 'B': m.value = Value(xb::Block::Native([](xb::Args&) { return Value(); }, "{|| NIL }")); break;
      case 'A': m.value = Value(xb::Array::New()); break;
      default: break;
    }
  }
  if (m.type == "C" && m.length > 0 && m.value.IsString()) m.value = Value::String(PaddedTo(m.value.AsString(), m.length));
  aMembers.push_back(std::move(m));
}

int TExStruct::GetMember(const Value& member) {
  if (member.IsNumber()) {
    const std::int64_t n = member.AsInt();
    if (n >= 1 && n <= static_cast<std::int64_t>(aMembers.size())) return static_cast<int>(n);
  } else if (member.IsString()) {
    const std::string upper = xb::UpperName(member.AsString()).substr(0, 32);
    for (size_t i = 0; i < aMembers.size(); ++i) {
      if (aMembers[i].name == upper) return static_cast<int>(i) + 1;
    }
  }
  if (lGenError) {
    xb::ErrorRef e = xb::MakeError("TSTRUC", 0, 0, member.IsString() ? member.AsString() : CValToChar(member),
                                   "Structure Member does not exist");
    e->severity = xb::ES_ERROR;
    e->canSubstitute = true;
    xb::RaiseSubstitute(e);
  }
  return 0;
}

Value TExStruct::GetValue(const Value& member) {
  const int n = GetMember(member);
  return n > 0 ? aMembers[static_cast<size_t>(n - 1)].value : Value();
}

Value TExStruct::SetValue(const Value& member, const Value& value) {
  const int n = GetMember(member);
  if (n == 0) return Value();
  Member& m = aMembers[static_cast<size_t>(n - 1)];
  char letter = value.ValType();
  if (letter == 'M') letter = 'C';
  const char wanted = m.type == "OBJECT" ? 'O' : (m.type.empty() ? 'U' : m.type.front());
  if (letter != wanted) {
    xb::ErrorRef e = xb::MakeError("TSTRUC", xb::EG_DATATYPE, 0, std::string(1, letter),
                                   "Data type error " + m.name + " (" + m.type + ")");
    e->args = Value(xb::Array::Of({value}));
    e->canSubstitute = true;
    xb::RaiseSubstitute(e);
    return Value();
  }
  m.value = letter == 'C' && m.length > 0 ? Value::String(PaddedTo(value.AsString(), m.length)) : value;
  return m.value;
}

std::string TExStruct::MemberList() const {
  std::string list;
  for (const Member& m : aMembers) {
    if (!list.empty()) list += "\r\n";
    list += m.name;
  }
  return list;
}

const xb::Class& TExStruct::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    auto self = [](xb::Object& o) -> TExStruct& { return xb::Class::Cast<TExStruct>(o); };
    xb::Class& c = xb::Class::Define("TEXSTRUCT");
    c.Data("LGENERROR", &TExStruct::lGenError);
    c.Method("NEW", [](xb::Object& o, xb::Args&) { return o.AsValue(); });
    // AddMember(name or {names}, type, default, length)
    c.Method("ADDMEMBER", [self](xb::Object& o, xb::Args& a) {
      const std::string type(a.Str(2));
      const int length = static_cast<int>(a.Int(4));
      if (const xb::Array names = a.Arr(1)) {
        for (const Value& n : names) self(o).AddMember(n.AsString(), type, a.Arg(3), length);
      } else {
        std::string_view list = a.Str(1);
        while (!list.empty()) {
          const std::size_t comma = list.find(',');
          std::string_view name = list.substr(0, comma);
          while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
          while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
          if (!name.empty()) self(o).AddMember(name, type, a.Arg(3), length);
          if (comma == std::string_view::npos) break;
          list.remove_prefix(comma + 1);
        }
      }
      return Value();
    });
    c.Method("GETMEMBER", [self](xb::Object& o, xb::Args& a) { return Value::Integer(self(o).GetMember(a.Arg(1))); });
    c.Method("GETVALUE", [self](xb::Object& o, xb::Args& a) { return self(o).GetValue(a.Arg(1)); });
    c.Method("SETVALUE", [self](xb::Object& o, xb::Args& a) { return self(o).SetValue(a.Arg(1), a.Arg(2)); });
    c.Method("MEMBERLIST", [self](xb::Object& o, xb::Args&) { return Value::String(self(o).MemberList()); });
    c.OnUnknownMessage([self](xb::Object& o, const xb::Symbol& message, xb::Args& a) {
      const std::string& name = message.Name();
      if (name.size() > 1 && name[0] == '_') return self(o).SetValue(Value::String(name.substr(1)), a.Arg(1));
      return self(o).GetValue(Value::String(name));
    });
    return c;
  }();
  return cls;
}

// ---- helpers ----------------------------------------------------------------------------------

Value NHex(std::string_view text) {
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  double large = 0;  // once the digits no longer fit
  bool fits = true;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else break;
    if (fits && value > (kLargest - digit) / 16) {
      fits = false;
      large = static_cast<double>(value);
    }
    if (fits) {
      value = value * 16 + digit;
    } else {
      large = large * 16 + digit;
    }
  }
  return fits ? Value::Integer(value) : Value::Double(large, 0);
}

std::string DecToHex(std::int64_t value) {
  std::uint64_t v = value < 0 ? static_cast<std::uint32_t>(static_cast<std::int32_t>(value)) : static_cast<std::uint64_t>(value);
  if (v == 0) return "0";
  std::string hex;
  for (; v != 0; v >>= 4) hex.insert(hex.begin(), "0123456789ABCDEF"[v & 0xF]);
  return hex;
}

std::int64_t NRandom(std::int64_t maximum) {
  static std::minstd_rand generator = [] {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now).count() % 86400;
    return std::minstd_rand(static_cast<std::minstd_rand::result_type>(seconds + 1));
  }();
  if (maximum <= 0) return 0;
  return std::uniform_int_distribution<std::int64_t>(0, maximum)(generator);
}

void RegisterStructFunctions() {
  using xb::Args;
  xb::RegisterFunction("TSTRUCT", [](Args&) { return Value(xb::MakeRef<TStruct>()); });
  xb::RegisterFunction("TEXSTRUCT", [](Args&) { return Value(xb::MakeRef<TExStruct>()); });
  xb::RegisterFunction("THISSTRUCT", [](Args& a) {
    if (!a.IsNil(1)) CurrentStruct() = a.Arg(1);
    return CurrentStruct();
  });
  xb::RegisterFunction("STRUCBEGIN", [](Args& a) {
    auto made = xb::MakeRef<TExStruct>();
    auto& open = OpenStructs();
    if (!open.empty() && a.Arg(1).IsString()) open.back()->AddMember(a.Str(1), "OBJECT", Value(made));
    open.push_back(made);
    return Value(made);
  });
  xb::RegisterFunction("STRUCMEMBER", [](Args& a) {
    auto& open = OpenStructs();
    if (!open.empty()) open.back()->AddMember(a.Str(1), a.Str(2), a.Arg(3), static_cast<int>(a.Int(4)));
    return Value();
  });
  xb::RegisterFunction("STRUCEND", [](Args&) -> Value {
    auto& open = OpenStructs();
    if (open.empty()) return Value();
    Value closed(open.back());
    open.pop_back();
    return closed;
  });
  xb::RegisterFunction("NHEX", [](Args& a) { return NHex(a.Str(1)); });
  xb::RegisterFunction("DECTOHEX", [](Args& a) { return Value::String(DecToHex(a.Int(1))); });
  xb::RegisterFunction("NRANDOM", [](Args& a) { return Value::Integer(NRandom(a.Int(1, 65535))); });
}

}  // namespace ui
