// Value: one xBase value (an item). Sixteen bytes, copied by value; strings, arrays, code
// blocks, objects and by-reference cells are shared through reference counts, so a value
// held by C++ code stays alive across re-entrant calls.
//
// Kinds (ValType letter):
//   NIL "U"; logical "L"; number "N"; string "C" and memo "M" (a string whose ValType is
//   "M", as memo fields give); date "D"; array "A"; code block "B"; object "O";
//   a by-reference cell (what `@var` passes): read through Deref(), never seen by xBase
//   code as a value of its own.
//
// Numbers keep what xBase keeps: an exact 64-bit integer or a double, plus the width of
// the integer part and the number of decimals, which decide what Str() prints without a
// width. Width 0 means "the default for the value" (DefaultIntegerWidth, DefaultDoubleWidth).
// A numeric field N len.dec reads as Double(v, dec, len - dec - 1) (Integer(v, len) when
// dec is 0): see NumberFromField().
//
// Strings are byte strings in Windows-1252 and may hold any byte, NUL included.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/date.h"
#include "runtime/heap.h"

namespace xb {

class Array;
class Block;
class Object;
class ArrayRep;
class BlockImpl;
class RefCell;
using ObjectRef = Ref<Object>;

enum class Type : std::uint8_t { Nil, Logical, Number, String, Memo, Date, Array, Block, Object, Ref };

class Value {
 public:
  Value() noexcept { u_.i = 0; }
  Value(const Value& o) noexcept : h_(o.h_), u_(o.u_) {
    if (Counted()) AddRef();
  }
  Value(Value&& o) noexcept : h_(o.h_), u_(o.u_) { o.h_ = Header{}; }
  Value& operator=(const Value& o) noexcept;
  Value& operator=(Value&& o) noexcept;
  ~Value() {
    if (Counted()) DropRef();
  }

  Value(const Array& a);
  Value(const Block& b);
  Value(const ObjectRef& o);
  // Any Ref<T> of a class derived from Object (TWindow, Error ...).
  template <class T>
  Value(const Ref<T>& o) : Value(ObjectRef(o)) {}

  // ---- construction -------------------------------------------------------------
  static Value Nil() { return Value(); }
  static Value Logical(bool b);
  // An exact integer; width 0 = default (DefaultIntegerWidth).
  static Value Integer(std::int64_t n, int width = 0);
  // A double with its decimals; width 0 = default integer-part width.
  static Value Double(double d, int decimals, int width = 0);
  // A double with SET DECIMALS decimals: what a run-time division or a C++ result gives.
  static Value Number(double d);
  static Value String(std::string_view bytes);
  // A new string of `size` bytes that the caller fills through `*bytes` before the value
  // is copied (one allocation for a result built in place).
  static Value NewString(std::size_t size, char** bytes);
  static Value Memo(std::string_view bytes);
  static Value FromDate(Date d);
  // A new by-reference cell holding `initial`.
  static Value NewRef(Value initial = {});
  // A reference to an existing cell (memvars and boxed block parameters use cells).
  static Value RefTo(RefCell* cell);

  // ---- inspection ---------------------------------------------------------------
  Type type() const { return h_.type; }
  // The ValType letter: 'U','L','N','C','M','D','A','B','O' (a reference reports its target).
  char ValType() const;
  bool IsNil() const { return h_.type == Type::Nil; }
  bool IsLogical() const { return h_.type == Type::Logical; }
  bool IsNumber() const { return h_.type == Type::Number; }
  bool IsString() const { return h_.type == Type::String || h_.type == Type::Memo; }  // "C" or "M"
  bool IsMemo() const { return h_.type == Type::Memo; }
  bool IsDate() const { return h_.type == Type::Date; }
  bool IsArray() const { return h_.type == Type::Array; }
  bool IsBlock() const { return h_.type == Type::Block; }
  bool IsObject() const { return h_.type == Type::Object; }
  bool IsRef() const { return h_.type == Type::Ref; }

  // Logical: its value; anything else false.
  bool AsLogical() const { return h_.type == Type::Logical && u_.l; }

  // Numbers. IsInteger: held as an exact integer (else a double).
  bool IsInteger() const { return h_.type == Type::Number && !h_.isDouble; }
  bool IsDouble() const { return h_.type == Type::Number && h_.isDouble; }
  // The number as an integer (a double is truncated towards zero, as xBase does); 0 if not a number.
  std::int64_t AsInt() const;
  // The number as a double; 0 if not a number.
  double AsDouble() const;
  // Integer-part width (the default made explicit) and decimals; 0 for non-numbers.
  int Width() const;
  int Decimals() const { return h_.type == Type::Number ? h_.dec : 0; }

  // String or memo bytes; empty for other kinds. Valid while this value (or a copy) lives.
  std::string_view AsString() const;
  std::size_t StringLength() const { return AsString().size(); }

  // Date (the empty date for other kinds).
  Date AsDate() const { return h_.type == Type::Date ? Date{u_.jd} : Date{}; }

  // Shared handles; empty (null) handles when the value is of another kind.
  Array AsArray() const;
  Block AsBlock() const;
  ObjectRef AsObject() const;
  RefCell* AsRefCell() const;

  // Through a by-reference cell to the value it holds; the value itself otherwise.
  const Value& Deref() const { return h_.type == Type::Ref ? DerefCell() : *this; }
  // Writes through a by-reference cell; plain assignment otherwise.
  void AssignThrough(Value v);

  // The container this value holds a counted reference to (array, block, object, cell),
  // or nullptr.
  GcObject* GcTarget() const {
    return h_.type >= Type::Array ? static_cast<GcObject*>(const_cast<HeapObject*>(u_.h)) : nullptr;
  }

  // True when both are the same scalar value or share the same array/block/object.
  bool SameAs(const Value& o) const;

 private:
  struct Header {
    Type type = Type::Nil;
    bool isDouble = false;   // numbers: double (else int64)
    std::uint8_t dec = 0;    // numbers: decimals
    std::uint8_t spare = 0;
    std::uint16_t width = 0; // numbers: integer-part width, 0 = default
    std::uint16_t spare2 = 0;
  };
  union Payload {
    bool l;
    std::int64_t i;
    double d;
    std::int32_t jd;
    struct StrRep* s;
    const HeapObject* h;
  };
  // Strings and containers hold a counted reference; scalars need no call to copy or drop.
  bool Counted() const {
    return h_.type == Type::String || h_.type == Type::Memo || h_.type >= Type::Array;
  }
  void AddRef() const;
  void DropRef() noexcept;
  const Value& DerefCell() const;

  Header h_;
  Payload u_;
  friend struct ValueAccess;
};
static_assert(sizeof(Value) == 16);

// A by-reference cell: what `@x` passes, and where memvars and captured block parameters live.
class RefCell : public GcObject {
 public:
  explicit RefCell(Value v = {}) : value(std::move(v)) {}
  void Traverse(GcVisitor& visitor) override {
    if (GcObject* t = value.GcTarget()) visitor.Visit(t);
  }
  void ClearValues() override { value = Value(); }
  Value value;
};

// A number read from a numeric field of length len with dec decimals, as tables give it.
Value NumberFromField(double v, int len, int dec);

// Default integer-part width of a number held as an integer / as a double. An integer held
// in 32 bits is 10 wide, 20 below -999,999,999; a wider one 10 up to 9,999,999,999, else its
// digits plus one.
int DefaultIntegerWidth(std::int64_t n);
int DefaultDoubleWidth(double d);
// The digits of a whole number plus one (the sign's place): what the compiler gives a whole
// result of literals that leaves 32 bits.
int WholeNumberWidth(double whole);

}  // namespace xb
