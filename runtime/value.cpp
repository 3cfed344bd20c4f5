#include "runtime/value.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/object.h"
#include "runtime/sets.h"

namespace xb {

// Shared, immutable string bytes; one allocation holding the count, the length and the
// bytes (plus a NUL so C APIs can read them).
struct StrRep {
  std::uint32_t refs;
  std::uint32_t size;
  char data[1];
};

namespace {

StrRep* AllocStr(std::size_t size) {
  if (size > 0x7FFFFFF0u) throw std::bad_alloc();
  auto* r = static_cast<StrRep*>(std::malloc(offsetof(StrRep, data) + size + 1));
  if (!r) throw std::bad_alloc();
  r->refs = 1;
  r->size = static_cast<std::uint32_t>(size);
  r->data[size] = '\0';
  return r;
}

StrRep* NewStr(std::string_view s) {
  StrRep* r = AllocStr(s.size());
  if (!s.empty()) std::memcpy(r->data, s.data(), s.size());
  return r;
}

}  // namespace

void Value::AddRef() const {
  if (h_.type == Type::String || h_.type == Type::Memo) {
    if (u_.s) ++u_.s->refs;
  } else if (h_.type >= Type::Array) {
    u_.h->AddRef();
  }
}

void Value::DropRef() noexcept {
  if (h_.type == Type::String || h_.type == Type::Memo) {
    if (u_.s && --u_.s->refs == 0) std::free(u_.s);
  } else if (h_.type >= Type::Array) {
    u_.h->Release();
  }
}

Value& Value::operator=(const Value& o) noexcept {
  if (this != &o) {
    o.AddRef();
    DropRef();
    h_ = o.h_;
    u_ = o.u_;
  }
  return *this;
}

Value& Value::operator=(Value&& o) noexcept {
  if (this != &o) {
    DropRef();
    h_ = o.h_;
    u_ = o.u_;
    o.h_ = Header{};
  }
  return *this;
}

Value::Value(const Array& a) {
  if (a) {
    h_.type = Type::Array;
    u_.h = a.rep();
    u_.h->AddRef();
  } else {
    u_.i = 0;
  }
}

Value::Value(const Block& b) {
  if (b) {
    h_.type = Type::Block;
    u_.h = b.impl();
    u_.h->AddRef();
  } else {
    u_.i = 0;
  }
}

Value::Value(const ObjectRef& o) {
  if (o) {
    h_.type = Type::Object;
    u_.h = o.get();
    u_.h->AddRef();
  } else {
    u_.i = 0;
  }
}

Value Value::Logical(bool b) {
  Value v;
  v.h_.type = Type::Logical;
  v.u_.i = 0;
  v.u_.l = b;
  return v;
}

Value Value::Integer(std::int64_t n, int width) {
  Value v;
  v.h_.type = Type::Number;
  v.h_.width = static_cast<std::uint16_t>(width < 0 ? 0 : (width > 255 ? 255 : width));
  v.u_.i = n;
  return v;
}

Value Value::Double(double d, int decimals, int width) {
  Value v;
  v.h_.type = Type::Number;
  v.h_.isDouble = true;
  v.h_.dec = static_cast<std::uint8_t>(decimals < 0 ? 0 : (decimals > 99 ? 99 : decimals));
  v.h_.width = static_cast<std::uint16_t>(width < 0 ? 0 : (width > 255 ? 255 : width));
  v.u_.d = d;
  return v;
}

Value Value::Number(double d) { return Double(d, Sets().decimals); }

Value Value::String(std::string_view bytes) {
  Value v;
  v.h_.type = Type::String;
  v.u_.s = NewStr(bytes);
  return v;
}

Value Value::NewString(std::size_t size, char** bytes) {
  Value v;
  v.h_.type = Type::String;
  v.u_.s = AllocStr(size);
  *bytes = v.u_.s->data;
  return v;
}

Value Value::Memo(std::string_view bytes) {
  Value v = String(bytes);
  v.h_.type = Type::Memo;
  return v;
}

Value Value::FromDate(Date d) {
  Value v;
  v.h_.type = Type::Date;
  v.u_.i = 0;
  v.u_.jd = d.julian;
  return v;
}

Value Value::NewRef(Value initial) { return RefTo(new RefCell(std::move(initial))); }

Value Value::RefTo(RefCell* cell) {
  Value v;
  v.h_.type = Type::Ref;
  v.u_.h = cell;
  cell->AddRef();
  return v;
}

char Value::ValType() const {
  switch (h_.type) {
    case Type::Nil: return 'U';
    case Type::Logical: return 'L';
    case Type::Number: return 'N';
    case Type::String: return 'C';
    case Type::Memo: return 'M';
    case Type::Date: return 'D';
    case Type::Array: return 'A';
    case Type::Block: return 'B';
    case Type::Object: return 'O';
    case Type::Ref: return Deref().ValType();
  }
  return 'U';
}

std::int64_t Value::AsInt() const {
  if (h_.type != Type::Number) return 0;
  if (!h_.isDouble) return u_.i;
  double d = u_.d;
  if (std::isnan(d)) return 0;
  if (d >= 9.2233720368547758e18) return INT64_MAX;
  if (d <= -9.2233720368547758e18) return INT64_MIN;
  return static_cast<std::int64_t>(d);
}

double Value::AsDouble() const {
  if (h_.type != Type::Number) return 0;
  return h_.isDouble ? u_.d : static_cast<double>(u_.i);
}

int Value::Width() const {
  if (h_.type != Type::Number) return 0;
  if (h_.width) return h_.width;
  return h_.isDouble ? DefaultDoubleWidth(u_.d) : DefaultIntegerWidth(u_.i);
}

std::string_view Value::AsString() const {
  if ((h_.type == Type::String || h_.type == Type::Memo) && u_.s) return {u_.s->data, u_.s->size};
  return {};
}

Array Value::AsArray() const {
  if (h_.type != Type::Array) return Array();
  return Array(Ref<ArrayRep>(static_cast<ArrayRep*>(const_cast<HeapObject*>(u_.h))));
}

Block Value::AsBlock() const {
  if (h_.type != Type::Block) return Block();
  return Block(Ref<BlockImpl>(static_cast<BlockImpl*>(const_cast<HeapObject*>(u_.h))));
}

ObjectRef Value::AsObject() const {
  if (h_.type != Type::Object) return ObjectRef();
  return ObjectRef(static_cast<Object*>(const_cast<HeapObject*>(u_.h)));
}

RefCell* Value::AsRefCell() const {
  return h_.type == Type::Ref ? static_cast<RefCell*>(const_cast<HeapObject*>(u_.h)) : nullptr;
}

const Value& Value::DerefCell() const {
  const Value* v = this;
  // A cell may hold a reference to another cell (a by-reference parameter passed on).
  for (int hops = 0; v->h_.type == Type::Ref && hops < 64; ++hops) v = &static_cast<const RefCell*>(v->u_.h)->value;
  return *v;
}

void Value::AssignThrough(Value v) {
  Value* target = this;
  for (int hops = 0; target->h_.type == Type::Ref && hops < 64; ++hops)
    target = &static_cast<RefCell*>(const_cast<HeapObject*>(target->u_.h))->value;
  *target = std::move(v);
}

bool Value::SameAs(const Value& o) const {
  if (h_.type != o.h_.type) return false;
  switch (h_.type) {
    case Type::Nil: return true;
    case Type::Logical: return u_.l == o.u_.l;
    case Type::Number: return AsDouble() == o.AsDouble();
    case Type::String:
    case Type::Memo: return AsString() == o.AsString();
    case Type::Date: return u_.jd == o.u_.jd;
    default: return u_.h == o.u_.h;
  }
}

Value NumberFromField(double v, int len, int dec) {
  if (dec <= 0) {
    if (std::fabs(v) < 9.0e18 && v == std::trunc(v)) return Value::Integer(static_cast<std::int64_t>(v), len);
    return Value::Double(v, 0, len);
  }
  return Value::Double(v, dec, len - dec - 1);
}

int DefaultIntegerWidth(std::int64_t n) {
  // Held in 32 bits: 10, or 20 below -999,999,999.
  if (n >= INT32_MIN && n <= INT32_MAX) return n < -999999999LL ? 20 : 10;
  if (n > 0 && n <= 9999999999LL) return 10;
  // Wider: its digits and one more (the sign's place).
  int digits = 1;
  for (std::uint64_t m = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n); m >= 10; m /= 10)
    ++digits;
  return digits + 1;
}

int WholeNumberWidth(double whole) {
  char digits[400];
  const int n = std::snprintf(digits, sizeof digits, "%.0f", std::fabs(whole));
  return n > 0 && n < 255 ? n + 1 : 255;
}

int DefaultDoubleWidth(double d) { return (d >= 10000000000.0 || d <= -1000000000.0) ? 20 : 10; }

}  // namespace xb
