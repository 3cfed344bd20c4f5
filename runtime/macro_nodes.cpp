#include "runtime/macro_nodes.h"

#include <memory>
#include <new>

#include "runtime/array.h"
#include "runtime/error.h"
#include "runtime/memvar.h"
#include "runtime/object.h"
#include "runtime/operators.h"
#include "runtime/proc_stack.h"
#include "runtime/workarea_host.h"

namespace xb::macro {

void Node::Assign(Frame&, Value) const {
  // The parser only builds assignments to assignable nodes.
}

namespace {

// A value as AppendString hands it on.
bool AppendValue(Value v, std::string& out, Value& other) {
  if (v.type() == Type::String) {
    out.append(v.AsString());
    return true;
  }
  other = std::move(v);
  return false;
}

}  // namespace

bool Node::AppendString(Frame& f, std::string& out, Value& other) const { return AppendValue(Eval(f), out, other); }

// ---- functions and blocks --------------------------------------------------------------

namespace {

// Small argument lists live on the C++ stack (only the values in use are made and
// destroyed); longer ones in a vector.
class ArgBuffer {
 public:
  explicit ArgBuffer(std::size_t n) : n_(n) {
    if (n > kSmall) big_.resize(n);
    else std::uninitialized_value_construct_n(small(), n);
  }
  ~ArgBuffer() {
    if (n_ <= kSmall) std::destroy_n(small(), n_);
  }
  ArgBuffer(const ArgBuffer&) = delete;
  ArgBuffer& operator=(const ArgBuffer&) = delete;
  Value* data() { return n_ > kSmall ? big_.data() : small(); }
  std::span<const Value> span() { return {data(), n_}; }
  Value& operator[](std::size_t i) { return data()[i]; }

 private:
  static constexpr std::size_t kSmall = 8;
  Value* small() { return std::launder(reinterpret_cast<Value*>(raw_)); }
  std::size_t n_;
  alignas(Value) unsigned char raw_[kSmall * sizeof(Value)];
  std::vector<Value> big_;
};

Value EvalBody(const std::vector<NodePtr>& body, Frame& f) {
  if (body.size() == 1) return body[0]->Eval(f);
  Value r;
  for (const NodePtr& n : body) r = n->Eval(f);
  return r;
}

bool AppendBody(const std::vector<NodePtr>& body, Frame& f, std::string& out, Value& other) {
  if (body.empty()) {
    other = Value();
    return false;
  }
  for (std::size_t i = 0; i + 1 < body.size(); ++i) body[i]->Eval(f);
  return body.back()->AppendString(f, out, other);
}

// Runs `fn` on a frame of its parameters and captured variables.
template <class Body>
auto InFrame(const Function& fn, std::span<const Value> args, const std::vector<Value>& captured, Body body) {
  static const Symbol& kBlockName = Intern("(b)");
  ProcScope scope(kBlockName, args);
  ArgBuffer slots(static_cast<std::size_t>(fn.SlotCount()));
  for (int i = 0; i < fn.paramCount && static_cast<std::size_t>(i) < args.size(); ++i) slots[i] = args[i];
  for (std::size_t j = 0; j < captured.size(); ++j) slots[static_cast<std::size_t>(fn.paramCount) + j] = captured[j];
  Frame f{slots.data(), static_cast<int>(args.size())};
  return body(f);
}

}  // namespace

Value Function::Run(std::span<const Value> args, const std::vector<Value>& captured) const {
  return InFrame(*this, args, captured, [&](Frame& f) { return EvalBody(body, f); });
}

bool Function::RunString(std::span<const Value> args, const std::vector<Value>& captured, std::string& out,
                         Value& other) const {
  return InFrame(*this, args, captured, [&](Frame& f) { return AppendBody(body, f, out, other); });
}

Value CompiledBlock::Call(std::span<const Value> args) { return fn_->Run(args, captured_); }

bool CompiledBlock::CallString(std::span<const Value> args, std::string& out, Value& other) {
  return fn_->RunString(args, captured_, out, other);
}

namespace {

// ---- constants and block parameters -----------------------------------------------------

class ConstNode : public Node {
 public:
  explicit ConstNode(Value v) : v_(std::move(v)) {}
  Value Eval(Frame&) const override { return v_; }
  const Value* Constant() const override { return &v_; }
  bool AppendString(Frame&, std::string& out, Value& other) const override { return AppendValue(v_, out, other); }

 private:
  Value v_;
};

class LocalNode : public Node {
 public:
  explicit LocalNode(int slot) : slot_(slot) {}
  Value Eval(Frame& f) const override { return f.slots[slot_].Deref(); }
  bool IsLValue() const override { return true; }
  void Assign(Frame& f, Value v) const override { f.slots[slot_].AssignThrough(std::move(v)); }
  Value MakeRef(Frame& f) const override {
    Value& s = f.slots[slot_];
    if (!s.IsRef()) s = Value::NewRef(std::move(s));
    return s;
  }

 private:
  int slot_;
};

// ---- fields and memvars ---------------------------------------------------------------

[[noreturn]] void Unreachable() { std::abort(); }

// Raises "Variable does not exist" (retry looks again) and gives NIL for a default.
bool RetryNoVariable(const Symbol& name) {
  ErrorRef e = MakeError("BASE", EG_NOVAR, 1003, name.Name());
  e->canRetry = true;
  return Raise(e) == Recovery::Retry;
}

// The area of an alias; raises "Alias does not exist" until it exists or the default.
int ResolveAlias(const Symbol& alias) {
  for (;;) {
    if (WorkAreaHost* host = GetWorkAreaHost())
      if (int area = host->AreaOfAlias(alias.Name())) return area;
    ErrorRef e = MakeError("BASE", EG_NOALIAS, 1002, alias.Name());
    e->canRetry = true;
    e->canDefault = true;
    if (Raise(e) == Recovery::Default) return 0;
  }
}

int AreaFromValue(const Value& v) {
  const Value& a = v.Deref();
  if (a.IsNumber()) return static_cast<int>(a.AsInt());
  if (a.IsString()) return ResolveAlias(Intern(a.AsString()));
  Value args[] = {a};
  Value r = RaiseBaseError(EG_NOALIAS, 1002, "->", args);
  return r.IsNumber() ? static_cast<int>(r.AsInt()) : 0;
}

// Caches a field's position in an area; valid while the area keeps its table.
struct FieldCache {
  int area = -1;
  std::uint64_t stamp = 0;
  int pos = 0;
  int Find(WorkAreaHost& host, int a, const Symbol& name) {
    std::uint64_t s = host.AreaStamp(a);
    if (a != area || s != stamp) {
      area = a;
      stamp = s;
      pos = host.FieldPos(a, name.Name());
    }
    return pos;
  }
};

class NameNode : public Node {
 public:
  explicit NameNode(const Symbol& name) : name_(name) {}
  Value Eval(Frame&) const override {
    for (;;) {
      if (WorkAreaHost* host = GetWorkAreaHost()) {
        int area = host->CurrentArea();
        if (area > 0)
          if (int pos = cache_.Find(*host, area, name_)) return host->GetField(area, pos);
      }
      if (MemvarCell* c = FindMemvar(name_)) return c->value;
      if (!RetryNoVariable(name_)) return Value();
    }
  }
  bool AppendString(Frame& f, std::string& out, Value& other) const override {
    if (WorkAreaHost* host = GetWorkAreaHost()) {
      int area = host->CurrentArea();
      if (area > 0)
        if (int pos = cache_.Find(*host, area, name_)) return host->AppendField(area, pos, out, other);
    }
    return Node::AppendString(f, out, other);
  }
  bool IsLValue() const override { return true; }
  void Assign(Frame&, Value v) const override {
    if (WorkAreaHost* host = GetWorkAreaHost()) {
      int area = host->CurrentArea();
      if (area > 0)
        if (int pos = cache_.Find(*host, area, name_)) {
          host->PutField(area, pos, v);
          return;
        }
    }
    SetMemvar(name_, std::move(v));
  }
  Value MakeRef(Frame& f) const override {
    if (WorkAreaHost* host = GetWorkAreaHost()) {
      int area = host->CurrentArea();
      if (area > 0 && cache_.Find(*host, area, name_)) return Eval(f);  // a field passes its value
    }
    MemvarCell* c = FindMemvar(name_);
    if (!c) c = &DeclarePrivate(name_);
    return Value::RefTo(c);
  }

 private:
  const Symbol& name_;
  mutable FieldCache cache_;
};

class MemvarNode : public Node {
 public:
  explicit MemvarNode(const Symbol& name) : name_(name) {}
  Value Eval(Frame&) const override { return GetMemvar(name_); }
  bool IsLValue() const override { return true; }
  void Assign(Frame&, Value v) const override { SetMemvar(name_, std::move(v)); }
  Value MakeRef(Frame&) const override {
    MemvarCell* c = FindMemvar(name_);
    if (!c) c = &DeclarePrivate(name_);
    return Value::RefTo(c);
  }

 private:
  const Symbol& name_;
};

// A field of a given area (0 = the current one).
Value ReadField(int area, const Symbol& name, FieldCache& cache) {
  for (;;) {
    WorkAreaHost* host = GetWorkAreaHost();
    if (host) {
      int a = area > 0 ? area : host->CurrentArea();
      if (a > 0)
        if (int pos = cache.Find(*host, a, name)) return host->GetField(a, pos);
    }
    if (!RetryNoVariable(name)) return Value();
  }
}

// ReadField's string form: a field found at once goes straight into `out`; anything else
// takes ReadField's road (the lookups have no side effects).
template <class Read>
bool AppendField(int area, const Symbol& name, FieldCache& cache, std::string& out, Value& other, Read read) {
  if (WorkAreaHost* host = GetWorkAreaHost()) {
    int a = area > 0 ? area : host->CurrentArea();
    if (a > 0)
      if (int pos = cache.Find(*host, a, name)) return host->AppendField(a, pos, out, other);
  }
  return AppendValue(read(), out, other);
}

void WriteField(int area, const Symbol& name, FieldCache& cache, const Value& v) {
  for (;;) {
    WorkAreaHost* host = GetWorkAreaHost();
    if (host) {
      int a = area > 0 ? area : host->CurrentArea();
      if (a > 0)
        if (int pos = cache.Find(*host, a, name)) {
          host->PutField(a, pos, v);
          return;
        }
    }
    if (!RetryNoVariable(name)) return;
  }
}

class FieldNode : public Node {  // FIELD->name
 public:
  explicit FieldNode(const Symbol& name) : name_(name) {}
  Value Eval(Frame&) const override { return ReadField(0, name_, cache_); }
  bool AppendString(Frame&, std::string& out, Value& other) const override {
    return AppendField(0, name_, cache_, out, other, [&] { return ReadField(0, name_, cache_); });
  }
  bool IsLValue() const override { return true; }
  void Assign(Frame&, Value v) const override { WriteField(0, name_, cache_, v); }

 private:
  const Symbol& name_;
  mutable FieldCache cache_;
};

class AliasFieldNode : public Node {
 public:
  AliasFieldNode(const Symbol& alias, const Symbol& name) : alias_(alias), name_(name) {}
  Value Eval(Frame&) const override {
    int area = ResolveAlias(alias_);
    if (area <= 0) return Value();
    return ReadField(area, name_, cache_);
  }
  bool AppendString(Frame&, std::string& out, Value& other) const override {
    int area = ResolveAlias(alias_);
    if (area <= 0) return AppendValue(Value(), out, other);
    return AppendField(area, name_, cache_, out, other, [&] { return ReadField(area, name_, cache_); });
  }
  bool IsLValue() const override { return true; }
  void Assign(Frame&, Value v) const override {
    int area = ResolveAlias(alias_);
    if (area > 0) WriteField(area, name_, cache_, v);
  }

 private:
  const Symbol& alias_;
  const Symbol& name_;
  mutable FieldCache cache_;
};

class AreaFieldNode : public Node {
 public:
  AreaFieldNode(NodePtr area, const Symbol& name) : area_(std::move(area)), name_(name) {}
  Value Eval(Frame& f) const override {
    int area = AreaFromValue(area_->Eval(f));
    if (area <= 0) return Value();
    return ReadField(area, name_, cache_);
  }
  bool IsLValue() const override { return true; }
  void Assign(Frame& f, Value v) const override {
    int area = AreaFromValue(area_->Eval(f));
    if (area > 0) WriteField(area, name_, cache_, v);
  }

 private:
  NodePtr area_;
  const Symbol& name_;
  mutable FieldCache cache_;
};

// Selects an area for the evaluation of an expression and the previous one after it.
class SelectScope {
 public:
  explicit SelectScope(int area) {
    host_ = GetWorkAreaHost();
    if (host_) old_ = host_->SelectArea(area);
  }
  ~SelectScope() {
    if (host_) host_->SelectArea(old_);
  }

 private:
  WorkAreaHost* host_;
  int old_ = 0;
};

class AliasExprNode : public Node {
 public:
  AliasExprNode(const Symbol* alias, NodePtr area, NodePtr body)
      : alias_(alias), area_(std::move(area)), body_(std::move(body)) {}
  Value Eval(Frame& f) const override {
    int area = alias_ ? ResolveAlias(*alias_) : AreaFromValue(area_->Eval(f));
    SelectScope scope(area);
    return body_->Eval(f);
  }

 private:
  const Symbol* alias_;
  NodePtr area_;
  NodePtr body_;
};

// ---- calls and messages ------------------------------------------------------------

class CallNode : public Node {
 public:
  CallNode(const Symbol& fn, std::vector<NodePtr> args) : fn_(fn), args_(std::move(args)) {}
  Value Eval(Frame& f) const override {
    ArgBuffer buf(args_.size());
    for (std::size_t i = 0; i < args_.size(); ++i)
      if (args_[i]) buf[i] = args_[i]->Eval(f);
    if (const FunctionEntry* e = fn_.Function()) return CallEntry(*e, buf.span());
    return RaiseBaseError(EG_NOFUNC, 1001, fn_.Name(), buf.span());
  }
  bool AppendString(Frame& f, std::string& out, Value& other) const override {
    const FunctionEntry* e = fn_.Function();
    if (!e || (!e->append && !e->transform)) return Node::AppendString(f, out, other);
    if (const StringTransformFn transform = e->transform; transform && args_.size() == 1 && args_[0]) {
      // The argument's text goes into `out` first, then turns into the result there.
      const std::size_t from = out.size();
      Value arg;
      if (args_[0]->AppendString(f, out, arg)) {
        if (e->transform == transform) {
          ProcScope scope(*e->name);
          transform(out, from);
          return true;
        }
        arg = Value::String(std::string_view(out).substr(from));
        out.resize(from);
      }
      return AppendValue(CallEntry(*e, std::span<const Value>(&arg, 1)), out, other);
    }
    ArgBuffer buf(args_.size());
    for (std::size_t i = 0; i < args_.size(); ++i)
      if (args_[i]) buf[i] = args_[i]->Eval(f);
    if (const StringAppendFn append = e->append) {
      ProcScope scope(*e->name, buf.span());
      Args a(buf.span());
      if (append(a, out)) return true;
    }
    return AppendValue(CallEntry(*e, buf.span()), out, other);
  }

 private:
  const Symbol& fn_;
  std::vector<NodePtr> args_;
};

class RefArgNode : public Node {
 public:
  explicit RefArgNode(NodePtr target) : target_(std::move(target)) {}
  Value Eval(Frame& f) const override { return target_->MakeRef(f); }

 private:
  NodePtr target_;
};

class SendNode : public Node {
 public:
  SendNode(NodePtr obj, const Symbol& msg, std::vector<NodePtr> args, bool isCall)
      : obj_(std::move(obj)), msg_(msg), setter_(Intern("_" + msg.Name())), args_(std::move(args)), isCall_(isCall) {}
  Value Eval(Frame& f) const override {
    Value obj = obj_->Eval(f);
    ArgBuffer buf(args_.size());
    for (std::size_t i = 0; i < args_.size(); ++i)
      if (args_[i]) buf[i] = args_[i]->Eval(f);
    return Send(obj, msg_, buf.span());
  }
  bool IsLValue() const override { return !isCall_; }
  void Assign(Frame& f, Value v) const override {
    Value obj = obj_->Eval(f);
    Send(obj, setter_, std::span<const Value>(&v, 1));
  }

 private:
  NodePtr obj_;
  const Symbol& msg_;
  const Symbol& setter_;
  std::vector<NodePtr> args_;
  bool isCall_;
};

// ---- arrays ---------------------------------------------------------------------------

class IndexNode : public Node {
 public:
  IndexNode(NodePtr arr, NodePtr index) : arr_(std::move(arr)), index_(std::move(index)) {}
  Value Eval(Frame& f) const override {
    Value a = arr_->Eval(f);
    Value i = index_->Eval(f);
    const Value& av = a.Deref();
    const Value& iv = i.Deref();
    Value args[] = {av, iv};
    if (!av.IsArray() || !iv.IsNumber()) return RaiseBaseError(EG_ARG, 1068, "array access", args);
    Array arr = av.AsArray();
    std::int64_t n = iv.AsInt();
    if (n < 1 || static_cast<std::uint64_t>(n) > arr.size()) return RaiseBaseError(EG_BOUND, 1132, "array access", args);
    return arr[static_cast<std::size_t>(n - 1)].Deref();
  }
  bool IsLValue() const override { return true; }
  void Assign(Frame& f, Value v) const override {
    Value a = arr_->Eval(f);
    Value i = index_->Eval(f);
    const Value& av = a.Deref();
    const Value& iv = i.Deref();
    Value args[] = {av, iv, v};
    if (!av.IsArray() || !iv.IsNumber()) {
      RaiseBaseError(EG_ARG, 1069, "array assign", args);
      return;
    }
    Array arr = av.AsArray();
    std::int64_t n = iv.AsInt();
    if (n < 1 || static_cast<std::uint64_t>(n) > arr.size()) {
      RaiseBaseError(EG_BOUND, 1133, "array assign", args);
      return;
    }
    arr[static_cast<std::size_t>(n - 1)].AssignThrough(std::move(v));
  }

 private:
  NodePtr arr_;
  NodePtr index_;
};

class ArrayLitNode : public Node {
 public:
  explicit ArrayLitNode(std::vector<NodePtr> items) : items_(std::move(items)) {}
  Value Eval(Frame& f) const override {
    Array a = Array::New(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i]) a[i] = items_[i]->Eval(f);
    return a;
  }

 private:
  std::vector<NodePtr> items_;
};

class BlockLitNode : public Node {
 public:
  explicit BlockLitNode(Ref<Function> fn) : fn_(std::move(fn)) {}
  bool IsBlockLiteral() const override { return true; }
  Value Eval(Frame& f) const override {
    std::vector<Value> captured;
    captured.reserve(fn_->captures.size());
    for (const Capture& c : fn_->captures) {
      Value& s = f.slots[c.outerSlot];
      if (!s.IsRef()) s = Value::NewRef(std::move(s));  // shared with the enclosing block from now on
      captured.push_back(s);
    }
    return Block(xb::MakeRef<CompiledBlock>(fn_, std::move(captured)));
  }

 private:
  Ref<Function> fn_;
};

class ListNode : public Node {
 public:
  explicit ListNode(std::vector<NodePtr> items) : items_(std::move(items)) {}
  Value Eval(Frame& f) const override { return EvalBody(items_, f); }

 private:
  std::vector<NodePtr> items_;
};

// ---- operators --------------------------------------------------------------------------

class BinaryNode : public Node {
 public:
  BinaryNode(BinOp op, NodePtr a, NodePtr b) : op_(op), a_(std::move(a)), b_(std::move(b)) {}
  Value Eval(Frame& f) const override {
    Value a = a_->Eval(f);
    Value b = b_->Eval(f);
    return ApplyBinary(op_, a, b);
  }
  // Two character strings joined by + are appended one after the other; any other pair
  // goes through the operator, with the left string taken back out of `out` as its value.
  bool AppendString(Frame& f, std::string& out, Value& other) const override {
    if (op_ != BinOp::Plus) return Node::AppendString(f, out, other);
    const std::size_t from = out.size();
    Value a;
    if (!a_->AppendString(f, out, a)) return AppendValue(OpPlus(a, b_->Eval(f)), out, other);
    const std::size_t middle = out.size();
    Value b;
    if (b_->AppendString(f, out, b)) {
      if (out.size() - from <= MaxStringLength()) return true;
      b = Value::String(std::string_view(out).substr(middle));  // too long: the operator raises the overflow
    }
    a = Value::String(std::string_view(out).substr(from, middle - from));
    out.resize(from);
    return AppendValue(OpPlus(a, b), out, other);
  }

 private:
  BinOp op_;
  NodePtr a_, b_;
};

class NegateNode : public Node {
 public:
  explicit NegateNode(NodePtr a) : a_(std::move(a)) {}
  Value Eval(Frame& f) const override { return OpNegate(a_->Eval(f)); }

 private:
  NodePtr a_;
};

// .AND. and .OR. are conditional jumps over the right operand: a left operand that is not
// logical raises the conditional's argument error and counts as false (the jump of .AND.
// is taken with it as the result; .OR. goes on to the right operand); the right operand is
// the result as it is, whatever its type.
void NotACondition(const Value& v) {
  Value args[] = {v};
  (void)RaiseBaseError(EG_ARG, 1066, "conditional", args);
}

class AndNode : public Node {
 public:
  AndNode(NodePtr a, NodePtr b) : a_(std::move(a)), b_(std::move(b)) {}
  Value Eval(Frame& f) const override {
    Value a = a_->Eval(f);
    if (!a.IsLogical()) {
      NotACondition(a);
      return a;
    }
    return a.AsLogical() ? b_->Eval(f) : a;
  }

 private:
  NodePtr a_, b_;
};

class OrNode : public Node {
 public:
  OrNode(NodePtr a, NodePtr b) : a_(std::move(a)), b_(std::move(b)) {}
  Value Eval(Frame& f) const override {
    Value a = a_->Eval(f);
    if (!a.IsLogical()) NotACondition(a);
    else if (a.AsLogical()) return a;
    return b_->Eval(f);
  }

 private:
  NodePtr a_, b_;
};

class NotNode : public Node {
 public:
  explicit NotNode(NodePtr a) : a_(std::move(a)) {}
  Value Eval(Frame& f) const override {
    Value a = a_->Eval(f);
    if (a.IsLogical()) return Value::Logical(!a.AsLogical());
    Value args[] = {a};
    return RaiseBaseError(EG_ARG, 1077, ".NOT.", args);
  }

 private:
  NodePtr a_;
};

class IIfNode : public Node {
 public:
  IIfNode(NodePtr c, NodePtr a, NodePtr b) : c_(std::move(c)), a_(std::move(a)), b_(std::move(b)) {}
  Value Eval(Frame& f) const override {
    bool c = ToCondition(c_->Eval(f), 1066, "conditional");
    const NodePtr& branch = c ? a_ : b_;
    return branch ? branch->Eval(f) : Value();
  }
  bool AppendString(Frame& f, std::string& out, Value& other) const override {
    bool c = ToCondition(c_->Eval(f), 1066, "conditional");
    const NodePtr& branch = c ? a_ : b_;
    return branch ? branch->AppendString(f, out, other) : AppendValue(Value(), out, other);
  }

 private:
  NodePtr c_, a_, b_;
};

class AssignNode : public Node {
 public:
  AssignNode(NodePtr target, NodePtr value, const BinOp* op)
      : target_(std::move(target)), value_(std::move(value)), hasOp_(op != nullptr), op_(op ? *op : BinOp::Plus) {}
  Value Eval(Frame& f) const override {
    Value v = value_->Eval(f);
    if (hasOp_) v = ApplyBinary(op_, target_->Eval(f), v);
    target_->Assign(f, v);
    return v;
  }

 private:
  NodePtr target_, value_;
  bool hasOp_;
  BinOp op_;
};

class IncDecNode : public Node {
 public:
  IncDecNode(NodePtr target, bool increment, bool prefix)
      : target_(std::move(target)), increment_(increment), prefix_(prefix) {}
  Value Eval(Frame& f) const override {
    Value old = target_->Eval(f);
    Value nv;
    if (old.IsNumber() || old.IsDate()) {
      nv = increment_ ? OpPlus(old, Value::Integer(1)) : OpMinus(old, Value::Integer(1));
    } else {
      Value args[] = {old};
      nv = RaiseBaseError(EG_ARG, increment_ ? 1086 : 1087, increment_ ? "++" : "--", args);
    }
    target_->Assign(f, nv);
    return prefix_ ? nv : old;
  }

 private:
  NodePtr target_;
  bool increment_, prefix_;
};

class MacroVarNode : public Node {
 public:
  explicit MacroVarNode(const Symbol& name) : name_(name) {}
  Value Eval(Frame&) const override { return EvalMacroText(GetMemvar(name_)); }
  bool IsLValue() const override { return true; }
  void Assign(Frame&, Value v) const override { AssignMacroText(GetMemvar(name_), std::move(v)); }

 private:
  const Symbol& name_;
};

class MacroExprNode : public Node {
 public:
  explicit MacroExprNode(NodePtr text) : text_(std::move(text)) {}
  Value Eval(Frame& f) const override { return EvalMacroText(text_->Eval(f)); }
  bool IsLValue() const override { return true; }
  void Assign(Frame& f, Value v) const override { AssignMacroText(text_->Eval(f), std::move(v)); }

 private:
  NodePtr text_;
};

}  // namespace

Value ApplyBinary(BinOp op, const Value& a, const Value& b) {
  switch (op) {
    case BinOp::Plus: return OpPlus(a, b);
    case BinOp::Minus: return OpMinus(a, b);
    case BinOp::Mult: return OpMult(a, b);
    case BinOp::Div: return OpDivide(a, b);
    case BinOp::Mod: return OpModulus(a, b);
    case BinOp::Power: return OpPower(a, b);
    case BinOp::Eq: return OpEqual(a, b);
    case BinOp::ExactEq: return OpExactEqual(a, b);
    case BinOp::NotEq: return OpNotEqual(a, b);
    case BinOp::Less: return OpLess(a, b);
    case BinOp::LessEq: return OpLessEqual(a, b);
    case BinOp::Greater: return OpGreater(a, b);
    case BinOp::GreaterEq: return OpGreaterEqual(a, b);
    case BinOp::Contains: return OpContains(a, b);
  }
  Unreachable();
}

NodePtr MakeConst(Value v) { return std::make_unique<ConstNode>(std::move(v)); }
NodePtr MakeLocal(int slot) { return std::make_unique<LocalNode>(slot); }
NodePtr MakeName(const Symbol& name) { return std::make_unique<NameNode>(name); }
NodePtr MakeMemvar(const Symbol& name) { return std::make_unique<MemvarNode>(name); }
NodePtr MakeFieldRef(const Symbol& name) { return std::make_unique<FieldNode>(name); }
NodePtr MakeAliasField(const Symbol& alias, const Symbol& field) {
  return std::make_unique<AliasFieldNode>(alias, field);
}
NodePtr MakeAreaField(NodePtr area, const Symbol& field) {
  return std::make_unique<AreaFieldNode>(std::move(area), field);
}
NodePtr MakeAliasExpr(const Symbol& alias, NodePtr body) {
  return std::make_unique<AliasExprNode>(&alias, nullptr, std::move(body));
}
NodePtr MakeAreaExpr(NodePtr area, NodePtr body) {
  return std::make_unique<AliasExprNode>(nullptr, std::move(area), std::move(body));
}
NodePtr MakeCall(const Symbol& fn, std::vector<NodePtr> args) { return std::make_unique<CallNode>(fn, std::move(args)); }
NodePtr MakeRefArg(NodePtr target) { return std::make_unique<RefArgNode>(std::move(target)); }
NodePtr MakeSend(NodePtr obj, const Symbol& msg, std::vector<NodePtr> args, bool isCall) {
  return std::make_unique<SendNode>(std::move(obj), msg, std::move(args), isCall);
}
NodePtr MakeIndex(NodePtr arr, NodePtr index) { return std::make_unique<IndexNode>(std::move(arr), std::move(index)); }
NodePtr MakeArrayLit(std::vector<NodePtr> items) { return std::make_unique<ArrayLitNode>(std::move(items)); }
NodePtr MakeBlockLit(Ref<Function> fn) { return std::make_unique<BlockLitNode>(std::move(fn)); }
NodePtr MakeList(std::vector<NodePtr> items) { return std::make_unique<ListNode>(std::move(items)); }
NodePtr MakeBinary(BinOp op, NodePtr a, NodePtr b) { return std::make_unique<BinaryNode>(op, std::move(a), std::move(b)); }
NodePtr MakeNegate(NodePtr a) { return std::make_unique<NegateNode>(std::move(a)); }
NodePtr MakeAnd(NodePtr a, NodePtr b) { return std::make_unique<AndNode>(std::move(a), std::move(b)); }
NodePtr MakeOr(NodePtr a, NodePtr b) { return std::make_unique<OrNode>(std::move(a), std::move(b)); }
NodePtr MakeNot(NodePtr a) { return std::make_unique<NotNode>(std::move(a)); }
NodePtr MakeIIf(NodePtr c, NodePtr a, NodePtr b) {
  return std::make_unique<IIfNode>(std::move(c), std::move(a), std::move(b));
}
NodePtr MakeAssign(NodePtr target, NodePtr value, const BinOp* op) {
  return std::make_unique<AssignNode>(std::move(target), std::move(value), op);
}
NodePtr MakeIncDec(NodePtr target, bool increment, bool prefix) {
  return std::make_unique<IncDecNode>(std::move(target), increment, prefix);
}
NodePtr MakeMacroVar(const Symbol& name) { return std::make_unique<MacroVarNode>(name); }
NodePtr MakeMacroExpr(NodePtr text) { return std::make_unique<MacroExprNode>(std::move(text)); }

}  // namespace xb::macro
