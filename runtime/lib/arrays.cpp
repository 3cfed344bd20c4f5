// Array functions: ARRAY AADD ASIZE ADEL AINS AFILL ASCAN AEVAL ASORT ACLONE ACOPY ATAIL.
#include "runtime/lib/arrays.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/library.h"
#include "runtime/string_compare.h"

namespace xb {

namespace {

// Arrays are refused above this many elements (a mistyped size must not take the memory).
constexpr std::int64_t kMaxArrayElements = std::int64_t{1} << 24;

// Positions of `count` elements from `start` (1-based) inside a length; false when empty.
bool Span(std::size_t len, const Args& a, int startArg, int countArg, std::size_t& from, std::size_t& n) {
  std::int64_t start = a.Arg(startArg).IsNumber() ? a.Int(startArg) : 1;
  if (start < 1) start = 1;
  if (static_cast<std::uint64_t>(start) > len) return false;
  from = static_cast<std::size_t>(start - 1);
  std::size_t rest = len - from;
  if (a.Arg(countArg).IsNumber()) {
    std::int64_t c = a.Int(countArg);
    if (c <= 0) return false;
    n = std::min<std::size_t>(rest, static_cast<std::size_t>(c));
  } else {
    n = rest;
  }
  return n > 0;
}

Value BoundError(const Args& a) { return RaiseBaseError(EG_BOUND, 1131, "ARRAY", a.Raw()); }

Array NewDimensions(const std::int64_t* dims, int count) {
  Array a = Array::New(static_cast<std::size_t>(dims[0]));
  if (count > 1)
    for (Value& v : a.Items()) v = Value(NewDimensions(dims + 1, count - 1));
  return a;
}

Value FnArray(Args& a) {
  if (a.Count() == 0) return Value();
  std::vector<std::int64_t> dims;
  std::int64_t total = 1;
  for (int i = 1; i <= a.Count(); ++i) {
    if (!a.Arg(i).IsNumber()) return Value();
    std::int64_t n = a.Int(i);
    if (n < 0 || n > kMaxArrayElements) return BoundError(a);
    total *= n > 0 ? n : 1;
    if (total > kMaxArrayElements) return BoundError(a);
    dims.push_back(n);
  }
  return Value(NewDimensions(dims.data(), static_cast<int>(dims.size())));
}

Value FnAAdd(Args& a) {
  Array arr = a.Arr(1);
  if (!arr) return ArgumentError("AADD", 1123, a.Raw());
  if (static_cast<std::int64_t>(arr.size()) >= kMaxArrayElements) return RaiseBaseError(EG_BOUND, 1131, "AADD", a.Raw());
  Value v = a.Arg(2);
  arr.Append(v);
  return v;
}

Value FnASize(Args& a) {
  Array arr = a.Arr(1);
  if (!arr || !a.Arg(2).IsNumber()) return ArgumentError("ASIZE", 2023, a.Raw());
  std::int64_t n = a.Int(2);
  if (n > kMaxArrayElements) return RaiseBaseError(EG_BOUND, 1131, "ASIZE", a.Raw());
  arr.Resize(static_cast<std::size_t>(n < 0 ? 0 : n));
  return a.Arg(1);
}

// ADEL / AINS: a missing or zero position means the first element.
std::size_t ShiftPosition(const Args& a) {
  std::int64_t p = a.Int(2);
  return static_cast<std::size_t>(p == 0 ? 1 : (p < 0 ? 0 : p));
}

Value FnADel(Args& a) {
  Array arr = a.Arr(1);
  if (!arr) return Value();
  std::size_t p = ShiftPosition(a);
  if (p >= 1 && p <= arr.size()) arr.DeleteShift(p - 1);
  return a.Arg(1);
}

Value FnAIns(Args& a) {
  Array arr = a.Arr(1);
  if (!arr) return Value();
  std::size_t p = ShiftPosition(a);
  if (p >= 1 && p <= arr.size()) arr.InsertShift(p - 1);
  return a.Arg(1);
}

Value FnAFill(Args& a) {
  Array arr = a.Arr(1);
  if (!arr) return RaiseBaseError(EG_ARG, 6004, "AFILL", a.Raw());
  std::size_t from, n;
  if (a.Count() >= 2 && Span(arr.size(), a, 3, 4, from, n))
    for (std::size_t i = from; i < from + n && i < arr.size(); ++i) arr[i] = a.Arg(2);
  return a.Arg(1);
}

Value FnAScan(Args& a) {
  Array arr = a.Arr(1);
  if (!arr) return Value::Integer(0);
  std::size_t from, n;
  if (!Span(arr.size(), a, 3, 4, from, n)) return Value::Integer(0);
  return Value::Integer(static_cast<std::int64_t>(ScanArray(arr, a.Arg(2), from + 1, n)));
}

Value FnAEval(Args& a) {
  Array arr = a.Arr(1);
  Block b = a.Blk(2);
  if (!arr || !b) return ArgumentError("AEVAL", 2017, a.Raw());
  std::size_t from, n;
  if (Span(arr.size(), a, 3, 4, from, n)) {
    // The block may resize the array: the length is checked before each element.
    for (std::size_t i = from; i < from + n && i < arr.size(); ++i) {
      Value elem = arr[i];
      b.Eval({elem, Value::Integer(static_cast<std::int64_t>(i + 1))});
    }
  }
  return a.Arg(1);
}

Value FnASort(Args& a) {
  Array arr = a.Arr(1);
  if (!arr) return Value();
  std::size_t from, n;
  if (Span(arr.size(), a, 2, 3, from, n)) SortArray(arr, from + 1, n, a.Blk(4));
  return a.Arg(1);
}

Value FnAClone(Args& a) {
  Array arr = a.Arr(1);
  return arr ? Value(CloneArray(arr)) : Value();
}

Value FnACopy(Args& a) {
  Array src = a.Arr(1), dst = a.Arr(2);
  if (!src || !dst) return Value();
  std::size_t from, n;
  std::int64_t target = a.Arg(5).IsNumber() ? a.Int(5) : 1;
  if (target < 1) target = 1;
  if (Span(src.size(), a, 3, 4, from, n)) {
    for (auto t = static_cast<std::size_t>(target - 1); n > 0 && from < src.size() && t < dst.size(); --n)
      dst[t++] = src[from++];
  }
  return a.Arg(2);
}

Value FnATail(Args& a) {
  Array arr = a.Arr(1);
  if (!arr || arr.empty()) return Value();
  return arr[arr.size() - 1];
}

int TypeRank(const Value& v) {
  switch (v.type()) {
    case Type::Array:
    case Type::Object: return 0;
    case Type::Block: return 1;
    case Type::String:
    case Type::Memo: return 2;
    case Type::Logical: return 3;
    case Type::Date: return 4;
    case Type::Number: return 5;
    default: return 6;
  }
}

bool Matches(const Value& elemIn, const Value& what) {
  const Value& e = elemIn.Deref();
  switch (what.type()) {
    case Type::String:
    case Type::Memo: return e.IsString() && CompareStrings(e.AsString(), what.AsString(), false) == 0;
    case Type::Number: return e.IsNumber() && e.AsDouble() == what.AsDouble();
    case Type::Date: return e.IsDate() && e.AsDate() == what.AsDate();
    case Type::Logical: return e.IsLogical() && e.AsLogical() == what.AsLogical();
    case Type::Nil: return e.IsNil();
    default: return e.SameAs(what);
  }
}

Array Clone(const Array& a, std::unordered_map<const ArrayRep*, Array>& done) {
  auto it = done.find(a.rep());
  if (it != done.end()) return it->second;
  Array copy = Array::New(a.size());
  done.emplace(a.rep(), copy);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Value& v = a[i].Deref();
    copy[i] = v.IsArray() ? Value(Clone(v.AsArray(), done)) : v;
  }
  return copy;
}

}  // namespace

bool SortsBefore(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsString() && b.IsString()) return CompareStrings(a.AsString(), b.AsString(), false) < 0;
  if (a.IsInteger() && b.IsInteger()) return a.AsInt() < b.AsInt();
  if (a.IsNumber() && b.IsNumber()) return a.AsDouble() < b.AsDouble();
  if (a.IsDate() && b.IsDate()) return a.AsDate() < b.AsDate();
  if (a.IsLogical() && b.IsLogical()) return !a.AsLogical() && b.AsLogical();
  return TypeRank(a) < TypeRank(b);
}

void SortArray(const Array& a, std::size_t start, std::size_t count, const Block& order) {
  if (!a || start < 1 || start > a.size()) return;
  count = std::min(count, a.size() - (start - 1));
  if (count < 2) return;
  // A merge sort of a copy: whatever the block answers, every element is written back once.
  std::vector<Value> items(a.begin() + static_cast<std::ptrdiff_t>(start - 1),
                           a.begin() + static_cast<std::ptrdiff_t>(start - 1 + count));
  std::vector<Value> tmp(items.size());
  auto before = [&](const Value& x, const Value& y) {
    if (order) return order.Eval({x, y}).Deref().AsLogical();
    return SortsBefore(x, y);
  };
  for (std::size_t width = 1; width < items.size(); width *= 2) {
    for (std::size_t lo = 0; lo < items.size(); lo += 2 * width) {
      std::size_t mid = std::min(lo + width, items.size()), hi = std::min(lo + 2 * width, items.size());
      std::size_t i = lo, j = mid, k = lo;
      // Stable: an element of the right run goes first only when it sorts strictly before.
      while (i < mid && j < hi) tmp[k++] = before(items[j], items[i]) ? items[j++] : items[i++];
      while (i < mid) tmp[k++] = items[i++];
      while (j < hi) tmp[k++] = items[j++];
    }
    items.swap(tmp);
  }
  for (std::size_t i = 0; i < items.size() && start - 1 + i < a.size(); ++i) a[start - 1 + i] = std::move(items[i]);
}

std::size_t ScanArray(const Array& a, const Value& whatIn, std::size_t start, std::size_t count) {
  const Value& what = whatIn.Deref();
  if (!a || start < 1) return 0;
  for (std::size_t i = start - 1; i < a.size() && count > 0; ++i, --count) {
    if (what.IsBlock()) {
      Value elem = a[i];
      if (what.AsBlock().Eval({elem, Value::Integer(static_cast<std::int64_t>(i + 1))}).Deref().AsLogical()) return i + 1;
    } else if (Matches(a[i], what)) {
      return i + 1;
    }
  }
  return 0;
}

Array CloneArray(const Array& a) {
  if (!a) return Array();
  std::unordered_map<const ArrayRep*, Array> done;
  return Clone(a, done);
}

void RegisterArrayFunctions() {
  RegisterFunction("ARRAY", FnArray);
  RegisterFunction("AADD", FnAAdd);
  RegisterFunction("ASIZE", FnASize);
  RegisterFunction("ADEL", FnADel);
  RegisterFunction("AINS", FnAIns);
  RegisterFunction("AFILL", FnAFill);
  RegisterFunction("ASCAN", FnAScan);
  RegisterFunction("AEVAL", FnAEval);
  RegisterFunction("ASORT", FnASort);
  RegisterFunction("ACLONE", FnAClone);
  RegisterFunction("ACOPY", FnACopy);
  RegisterFunction("ATAIL", FnATail);
}

}  // namespace xb
