#include "runtime/block.h"

#include "runtime/error.h"
#include "runtime/proc_stack.h"

namespace xb {

namespace {

class NativeBlock : public BlockImpl {
 public:
  NativeBlock(std::function<Value(Args&)> fn, std::string source) : fn_(std::move(fn)), source_(std::move(source)) {}
  Value Call(std::span<const Value> args) override {
    static const Symbol& name = Intern("(b)");
    ProcScope scope(name, args);
    Args a(args);
    return fn_(a);
  }
  std::string Source() const override { return source_.empty() ? BlockImpl::Source() : source_; }

 private:
  std::function<Value(Args&)> fn_;
  std::string source_;
};

}  // namespace

bool BlockImpl::CallString(std::span<const Value> args, std::string& out, Value& other) {
  Value v = Call(args);
  if (v.type() == Type::String) {
    out.append(v.AsString());
    return true;
  }
  other = std::move(v);
  return false;
}

Block Block::Native(std::function<Value(Args& args)> fn, std::string source) {
  return Block(MakeRef<NativeBlock>(std::move(fn), std::move(source)));
}

Value Block::Eval(std::initializer_list<Value> args) const {
  return Call(std::span<const Value>(args.begin(), args.size()));
}

Value Block::Call(std::span<const Value> args) const {
  // Keep the block alive while it runs, even if it drops the last other reference to itself.
  Ref<BlockImpl> keep = impl_;
  return keep->Call(args);
}

bool Block::EvalString(std::string& out, Value& other) const {
  Ref<BlockImpl> keep = impl_;
  return keep->CallString({}, out, other);
}

Value EvalValue(const Value& v, std::span<const Value> args) {
  const Value& b = v.Deref();
  if (b.IsBlock()) return b.AsBlock().Call(args);
  std::vector<Value> all;
  all.push_back(b);
  all.insert(all.end(), args.begin(), args.end());
  return RaiseBaseError(EG_NOMETHOD, 1004, "EVAL", all);
}

}  // namespace xb
