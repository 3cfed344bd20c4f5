// Objects and classes. A class is registered once under its upper-case name with its
// parent and its messages; an object is a C++ object derived from xb::Object that points
// at its class. Messages are sent by symbol (fast: resolve the name once with Intern) or
// by name. Three kinds of message:
//   - methods: a C++ callable taking the receiver and the arguments;
//   - Var: an xBase DATA kept in a Value slot of the object (reading "NAME", assigning
//     "_NAME"), for classes whose data has no C++ member;
//   - Data: an xBase DATA bound to a C++ member (int64_t, int, double, bool, std::string,
//     Value, Array, Block, ObjectRef, Date): reading converts the member to a Value,
//     assigning "_NAME" converts back; a value of the wrong type raises BASE/44
//     "Assigned value is wrong class" (operation "_NAME") and leaves the member as it was;
//     NIL clears Array, Block and ObjectRef members.
// Every object also answers CLASSNAME, CLASSH (its class name), ISDERIVEDFROM(name or
// object) and ISKINDOF.
//
// A message a class does not know goes to the nearest OnUnknownMessage hook of the class
// or its ancestors; without one it raises BASE/1004 "Message not found" (1005 for an
// assignment "_NAME", operation = class name + ":" + message), as xBase does, and the
// substitute value is the result.
//
//   class TCounter : public xb::Object {
//    public:
//     TCounter() : Object(Cls()) {}
//     static const xb::Class& Cls() {
//       static xb::Class& c = xb::Class::Define("TCOUNTER")
//           .Data("NCOUNT", &TCounter::nCount)
//           .Method("ADD", &TCounter::Add);
//       return c;
//     }
//     xb::Value Add(xb::Args& a) { nCount += a.Int(1, 1); return xb::Value::Integer(nCount); }
//     std::int64_t nCount = 0;
//   };
//
// Define a class completely (parent first) before deriving from it. Objects are created
// with new/MakeRef and owned through Ref/Value; never turn a stack object into a Value.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "runtime/args.h"
#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/symbol.h"
#include "runtime/value.h"

namespace xb {

class Object;
class Class;

using MethodFn = std::function<Value(Object& self, Args& args)>;
using UnknownMessageFn = std::function<Value(Object& self, const Symbol& message, Args& args)>;

struct MethodEntry {
  enum class Kind : std::uint8_t { Method, SlotGet, SlotSet };
  Kind kind = Kind::Method;
  int slot = -1;
  MethodFn fn;
  const Class* owner = nullptr;  // the class that defined it
};

class Class {
 public:
  // Registers a class; the name must be new. The parent must be completely defined.
  static Class& Define(std::string_view name, const Class* parent = nullptr);
  static const Class* Find(std::string_view name);

  const std::string& Name() const { return name_->Name(); }
  const Symbol& NameSymbol() const { return *name_; }
  const Class* Parent() const { return parent_; }
  // True for the class itself and every class derived from it.
  bool IsDerivedFrom(const Class& ancestor) const;
  bool IsDerivedFrom(std::string_view ancestorName) const;

  Class& Method(std::string_view message, MethodFn fn);
  template <class T>
  Class& Method(std::string_view message, Value (T::*fn)(Args&)) {
    return Method(message, [fn](Object& self, Args& a) { return (Cast<T>(self).*fn)(a); });
  }
  // A DATA held in a Value slot of every object of the class (and its subclasses).
  Class& Var(std::string_view name, Value initial = {});
  // A DATA bound to a C++ member of T.
  template <class T, class M>
  Class& Data(std::string_view name, M T::*member);
  // A DATA computed by C++ code: get() answers NAME, set(v) answers _NAME (may be null: read-only).
  Class& Property(std::string_view name, std::function<Value(Object&)> get,
                  std::function<void(Object&, const Value&)> set);
  Class& OnUnknownMessage(UnknownMessageFn fn);

  // The entry answering a message (own or inherited), or nullptr.
  const MethodEntry* Lookup(const Symbol& message) const;
  const UnknownMessageFn* UnknownHook() const;
  // Every message the class answers (own and inherited), for inspectors and AODATA.
  std::vector<const Symbol*> Messages() const;

  int SlotCount() const { return static_cast<int>(slotDefaults_.size()); }
  const std::vector<Value>& SlotDefaults() const { return slotDefaults_; }

  // A new object of a class whose data are all Var slots (no C++ type of its own).
  Ref<Object> New() const;

  template <class T>
  static T& Cast(Object& o);

 private:
  Class(const Symbol& name, const Class* parent);
  friend class ClassRegistry;
  void Add(std::string_view message, MethodEntry e);

  const Symbol* name_;
  const Class* parent_;
  std::unordered_map<const Symbol*, MethodEntry> methods_;
  std::vector<Value> slotDefaults_;  // parent's slots first
  UnknownMessageFn unknown_;
  // Data members that hold values: report them (visitor) or clear them (nullptr).
  std::vector<std::function<void(Object&, GcVisitor*)>> gcMembers_;
  friend class Object;
};

class Object : public GcObject {
 public:
  explicit Object(const Class& cls);

  // The collector sees the Var slots and the Value, Array, Block and ObjectRef members
  // registered with Data; a class holding values in other members (a vector of
  // controls ...) overrides both and calls the base. An object found to be garbage has
  // those members emptied before it is destroyed: destructors must not rely on them.
  void Traverse(GcVisitor& visitor) override;
  void ClearValues() override;
  const Class& GetClass() const { return *class_; }
  const std::string& ClassName() const { return class_->Name(); }
  bool IsDerivedFrom(const Class& c) const { return class_->IsDerivedFrom(c); }

  // Var slots, numbered in declaration order, the parent's first.
  Value& Slot(int index) { return slots_[static_cast<std::size_t>(index)]; }
  int SlotCount() const { return static_cast<int>(slots_.size()); }

  // A Value holding this object (it must be owned through Ref, i.e. made with new).
  Value AsValue() { return Value(Ref<Object>(this)); }

 private:
  const Class* class_;
  std::vector<Value> slots_;
};

// Sends a message to a value. A receiver that is not an object raises 1004 (1005 for
// "_NAME") with the message as operation.
Value Send(const Value& receiver, const Symbol& message, std::span<const Value> args = {});
Value Send(const Value& receiver, std::string_view message, std::initializer_list<Value> args = {});
// True when the receiver is an object whose class answers the message.
bool HasMessage(const Value& receiver, const Symbol& message);

// ---- implementation details of the templates ---------------------------------------

template <class T>
T& Class::Cast(Object& o) {
#ifndef NDEBUG
  if (!dynamic_cast<T*>(&o)) std::abort();  // the object's C++ type does not match its class
#endif
  return static_cast<T&>(o);
}

namespace detail {
template <class M>
struct MemberConv;  // Value <-> member type; specialised in object.cpp-visible inline code
template <>
struct MemberConv<Value> {
  static Value Get(const Value& m) { return m; }
  static bool Set(Value& m, const Value& v) { m = v; return true; }
};
template <>
struct MemberConv<std::int64_t> {
  static Value Get(std::int64_t m) { return Value::Integer(m); }
  static bool Set(std::int64_t& m, const Value& v) { if (!v.IsNumber()) return false; m = v.AsInt(); return true; }
};
template <>
struct MemberConv<int> {
  static Value Get(int m) { return Value::Integer(m); }
  static bool Set(int& m, const Value& v) { if (!v.IsNumber()) return false; m = static_cast<int>(v.AsInt()); return true; }
};
template <>
struct MemberConv<double> {
  static Value Get(double m) { return Value::Number(m); }
  static bool Set(double& m, const Value& v) { if (!v.IsNumber()) return false; m = v.AsDouble(); return true; }
};
template <>
struct MemberConv<bool> {
  static Value Get(bool m) { return Value::Logical(m); }
  static bool Set(bool& m, const Value& v) { if (!v.IsLogical()) return false; m = v.AsLogical(); return true; }
};
template <>
struct MemberConv<std::string> {
  static Value Get(const std::string& m) { return Value::String(m); }
  static bool Set(std::string& m, const Value& v) { if (!v.IsString()) return false; m.assign(v.AsString()); return true; }
};
template <>
struct MemberConv<Date> {
  static Value Get(Date m) { return Value::FromDate(m); }
  static bool Set(Date& m, const Value& v) { if (!v.IsDate()) return false; m = v.AsDate(); return true; }
};
template <>
struct MemberConv<Array> {
  static Value Get(const Array& m) { return m ? Value(m) : Value(); }
  static bool Set(Array& m, const Value& v) { if (v.IsNil()) { m = Array(); return true; } if (!v.IsArray()) return false; m = v.AsArray(); return true; }
};
template <>
struct MemberConv<Block> {
  static Value Get(const Block& m) { return m ? Value(m) : Value(); }
  static bool Set(Block& m, const Value& v) { if (v.IsNil()) { m = Block(); return true; } if (!v.IsBlock()) return false; m = v.AsBlock(); return true; }
};
template <>
struct MemberConv<ObjectRef> {
  static Value Get(const ObjectRef& m) { return m ? Value(m) : Value(); }
  static bool Set(ObjectRef& m, const Value& v) { if (v.IsNil()) { m = nullptr; return true; } if (!v.IsObject()) return false; m = v.AsObject(); return true; }
};
// Raises the error of an assignment of a value of the wrong type to a typed DATA.
void RaiseWrongDataType(Object& self, std::string_view name, const Value& v);
}  // namespace detail

template <class T, class M>
Class& Class::Data(std::string_view name, M T::*member) {
  if constexpr (std::is_same_v<M, Value> || std::is_same_v<M, Array> || std::is_same_v<M, Block> ||
                std::is_same_v<M, ObjectRef>) {
    gcMembers_.push_back([member](Object& self, GcVisitor* visitor) {
      M& m = Cast<T>(self).*member;
      if (!visitor) {
        m = M();
      } else if (GcObject* t = Value(m).GcTarget()) {
        visitor->Visit(t);
      }
    });
  }
  std::string n(name);
  return Property(
      name, [member](Object& self) { return detail::MemberConv<M>::Get(Cast<T>(self).*member); },
      [member, n](Object& self, const Value& v) {
        if (!detail::MemberConv<M>::Set(Cast<T>(self).*member, v)) detail::RaiseWrongDataType(self, n, v);
      });
}

}  // namespace xb
