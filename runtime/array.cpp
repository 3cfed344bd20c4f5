#include "runtime/array.h"

namespace xb {

Array Array::New(std::size_t size) {
  Array a(MakeRef<ArrayRep>());
  a.rep_->items.resize(size);
  return a;
}

Array Array::Of(std::initializer_list<Value> items) {
  Array a = New();
  a.rep_->items.assign(items.begin(), items.end());
  return a;
}

Array Array::Of(std::span<const Value> items) {
  Array a = New();
  a.rep_->items.assign(items.begin(), items.end());
  return a;
}

const Value& Array::Get(std::size_t i) const {
  static const Value nil;
  return rep_ && i < rep_->items.size() ? rep_->items[i] : nil;
}

void Array::InsertShift(std::size_t i) const {
  auto& v = rep_->items;
  if (i >= v.size()) return;
  v.insert(v.begin() + static_cast<std::ptrdiff_t>(i), Value());
  v.pop_back();
}

void Array::DeleteShift(std::size_t i) const {
  auto& v = rep_->items;
  if (i >= v.size()) return;
  v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
  v.emplace_back();
}

}  // namespace xb
