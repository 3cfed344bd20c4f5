// Array: an xBase array, shared by reference like every xBase array (copying an Array
// copies the handle, not the elements). Indexes here are 0-based C++ indexes: the xBase
// element a[1] is a[0]. An element may hold a by-reference cell.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

#include "runtime/value.h"

namespace xb {

class ArrayRep : public GcObject {
 public:
  void Traverse(GcVisitor& visitor) override {
    for (const Value& v : items)
      if (GcObject* t = v.GcTarget()) visitor.Visit(t);
  }
  void ClearValues() override { std::vector<Value>().swap(items); }
  std::vector<Value> items;
};

class Array {
 public:
  Array() = default;  // a null handle (no array); use New() for an array
  explicit Array(Ref<ArrayRep> rep) : rep_(std::move(rep)) {}

  static Array New(std::size_t size = 0);  // elements NIL
  static Array Of(std::initializer_list<Value> items);
  static Array Of(std::span<const Value> items);

  explicit operator bool() const { return static_cast<bool>(rep_); }
  std::size_t size() const { return rep_ ? rep_->items.size() : 0; }
  bool empty() const { return size() == 0; }

  Value& operator[](std::size_t i) const { return rep_->items[i]; }
  // Element i, or NIL when i is out of range.
  const Value& Get(std::size_t i) const;

  void Append(Value v) const { rep_->items.push_back(std::move(v)); }
  void Resize(std::size_t n) const { rep_->items.resize(n); }
  // xBase AINS/ADEL: insert NIL at i dropping the last element / delete i adding NIL at the end.
  void InsertShift(std::size_t i) const;
  void DeleteShift(std::size_t i) const;

  std::vector<Value>& Items() const { return rep_->items; }
  auto begin() const { return rep_->items.begin(); }
  auto end() const { return rep_->items.end(); }

  ArrayRep* rep() const { return rep_.get(); }
  friend bool operator==(const Array& a, const Array& b) { return a.rep_ == b.rep_; }

 private:
  Ref<ArrayRep> rep_;
};

}  // namespace xb
