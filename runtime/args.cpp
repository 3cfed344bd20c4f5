#include "runtime/args.h"

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/object.h"

namespace xb {

const Value& Args::Nil() {
  static const Value nil;
  return nil;
}

void Args::SetRef(int n, Value v) const {
  if (!IsByRef(n)) return;
  const_cast<Value&>(raw_[static_cast<std::size_t>(n - 1)]).AssignThrough(std::move(v));
}

std::string_view Args::Str(int n, std::string_view def) const {
  const Value& v = Arg(n);
  return v.IsString() ? v.AsString() : def;
}

double Args::Num(int n, double def) const {
  const Value& v = Arg(n);
  return v.IsNumber() ? v.AsDouble() : def;
}

std::int64_t Args::Int(int n, std::int64_t def) const {
  const Value& v = Arg(n);
  return v.IsNumber() ? v.AsInt() : def;
}

bool Args::Log(int n, bool def) const {
  const Value& v = Arg(n);
  return v.IsLogical() ? v.AsLogical() : def;
}

Date Args::Dat(int n, Date def) const {
  const Value& v = Arg(n);
  return v.IsDate() ? v.AsDate() : def;
}

Array Args::Arr(int n) const { return Arg(n).AsArray(); }
Block Args::Blk(int n) const { return Arg(n).AsBlock(); }
ObjectRef Args::Obj(int n) const { return Arg(n).AsObject(); }

}  // namespace xb
