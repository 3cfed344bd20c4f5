// The macro compiler's compiled form: a tree of nodes evaluated directly. A compiled
// function (a block body, or the top-level text) owns its nodes; evaluation works on a
// Frame holding the block's parameters followed by the outer variables it captured, so
// evaluating a compiled key per record allocates nothing beyond the values it builds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/symbol.h"
#include "runtime/value.h"

namespace xb::macro {

struct Frame {
  Value* slots;  // parameters, then captured variables (by-reference cells)
  int argc;      // arguments actually passed (PCOUNT of the block)
};

class Node {
 public:
  virtual ~Node() = default;
  virtual Value Eval(Frame& f) const = 0;
  // Assignable nodes (variables, fields, elements, object data) override these.
  virtual bool IsLValue() const { return false; }
  virtual void Assign(Frame& f, Value v) const;
  // A by-reference cell for `@x`; nodes that cannot be referenced pass their value.
  virtual Value MakeRef(Frame& f) const { return Eval(f); }
  // A literal known when compiled (used for folding).
  virtual const Value* Constant() const { return nullptr; }
  // A block literal {|...| ...}.
  virtual bool IsBlockLiteral() const { return false; }
  // Evaluates as Eval does and, when the value is a character string, appends it to `out`
  // and returns true; any other value goes to `other`, `out` kept as it was. Fields,
  // concatenations and the string functions write straight into `out`, so a key built
  // per record needs no string of its own.
  virtual bool AppendString(Frame& f, std::string& out, Value& other) const;
};
using NodePtr = std::unique_ptr<Node>;

// Where a captured variable of a nested block comes from in the enclosing frame.
struct Capture {
  int outerSlot;
};

// One compiled function: a block literal's body, or the top-level text.
struct Function : HeapObject {
  int paramCount = 0;
  std::vector<std::string> paramNames;
  std::vector<Capture> captures;  // slots paramCount.. hold these
  std::vector<NodePtr> body;      // a list: the value is the last one's
  std::string source;

  int SlotCount() const { return paramCount + static_cast<int>(captures.size()); }
  Value Run(std::span<const Value> args, const std::vector<Value>& captured) const;
  // Run, with the value given as Node::AppendString gives it.
  bool RunString(std::span<const Value> args, const std::vector<Value>& captured, std::string& out, Value& other) const;
};

// A block made by evaluating a block literal (or compiling text as a block).
class CompiledBlock : public BlockImpl {
 public:
  CompiledBlock(Ref<Function> fn, std::vector<Value> captured) : fn_(std::move(fn)), captured_(std::move(captured)) {}
  Value Call(std::span<const Value> args) override;
  bool CallString(std::span<const Value> args, std::string& out, Value& other) override;
  std::string Source() const override { return fn_->source; }
  void Traverse(GcVisitor& visitor) override {
    for (const Value& v : captured_)
      if (GcObject* t = v.GcTarget()) visitor.Visit(t);
  }
  void ClearValues() override { std::vector<Value>().swap(captured_); }

 private:
  Ref<Function> fn_;
  std::vector<Value> captured_;
};

// Node factories used by the parser.
NodePtr MakeConst(Value v);
NodePtr MakeLocal(int slot);
NodePtr MakeName(const Symbol& name);                          // field, else memvar
NodePtr MakeMemvar(const Symbol& name);                        // M->name
NodePtr MakeFieldRef(const Symbol& name);                      // FIELD->name
NodePtr MakeAliasField(const Symbol& alias, const Symbol& field);
NodePtr MakeAreaField(NodePtr area, const Symbol& field);      // (expr)->name, 1->name
NodePtr MakeAliasExpr(const Symbol& alias, NodePtr body);      // alias->( expr )
NodePtr MakeAreaExpr(NodePtr area, NodePtr body);
NodePtr MakeCall(const Symbol& fn, std::vector<NodePtr> args);  // a null arg = empty argument
NodePtr MakeRefArg(NodePtr target);                            // @x
NodePtr MakeSend(NodePtr obj, const Symbol& msg, std::vector<NodePtr> args, bool isCall);
NodePtr MakeIndex(NodePtr arr, NodePtr index);
NodePtr MakeArrayLit(std::vector<NodePtr> items);
NodePtr MakeBlockLit(Ref<Function> fn);
NodePtr MakeList(std::vector<NodePtr> items);

enum class BinOp { Plus, Minus, Mult, Div, Mod, Power, Eq, ExactEq, NotEq, Less, LessEq, Greater, GreaterEq, Contains };
NodePtr MakeBinary(BinOp op, NodePtr a, NodePtr b);
NodePtr MakeNegate(NodePtr a);
NodePtr MakeAnd(NodePtr a, NodePtr b);
NodePtr MakeOr(NodePtr a, NodePtr b);
NodePtr MakeNot(NodePtr a);
NodePtr MakeIIf(NodePtr c, NodePtr a, NodePtr b);
// target := value, or target op= value when op is set.
NodePtr MakeAssign(NodePtr target, NodePtr value, const BinOp* op);
NodePtr MakeIncDec(NodePtr target, bool increment, bool prefix);
NodePtr MakeMacroVar(const Symbol& name);  // &name
NodePtr MakeMacroExpr(NodePtr text);       // &( expr )

// Evaluates text compiled at run time by `&` (shared with the public API).
Value EvalMacroText(const Value& text);
void AssignMacroText(const Value& text, Value v);

// Applies a binary operator (also used for folding).
Value ApplyBinary(BinOp op, const Value& a, const Value& b);

// Limits on nesting, so hostile text cannot exhaust the stack.
constexpr int kMaxParseDepth = 100;

}  // namespace xb::macro
