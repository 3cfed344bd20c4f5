#include "runtime/proc_stack.h"


#include "runtime/error.h"

namespace xb {

namespace {
struct Frame {
  const Symbol* name = nullptr;
  std::span<const Value> args;
  int line = 0;
};
// The calls in progress, outermost first: a fixed array, since the depth is limited anyway
// and every call of a compiled key passes here.
Frame g_stack[kMaxProcDepth];
int g_depth = 0;
const Frame* At(int level) {
  if (level < 0 || level >= g_depth) return nullptr;
  return &g_stack[g_depth - 1 - level];
}
std::uint64_t g_budget = 0;
bool g_budgetOn = false;
}  // namespace

void SetCallBudget(std::uint64_t calls) {
  g_budget = calls;
  g_budgetOn = calls != 0;
}

ProcScope::ProcScope(const Symbol& name, std::span<const Value> args) {
  if (g_budgetOn) {
    if (g_budget == 0) throw UnhandledError(MakeBaseError(EG_LIMIT, 1211, name.Name(), {}, "Evaluation limit reached"));
    --g_budget;
  }
  // Runaway recursion (a block that evaluates itself) ends here instead of overflowing
  // the machine stack; there is no room left to run the error block.
  if (g_depth >= kMaxProcDepth)
    throw UnhandledError(MakeBaseError(EG_LIMIT, 1210, name.Name(), {}, "Recursion too deep"));
  // Member by member: a braced frame would be built on the stack and read back in pieces
  // that miss store forwarding, costing more than the rest of the call.
  Frame& f = g_stack[g_depth++];
  f.name = &name;
  f.args = args;
  f.line = 0;
}
ProcScope::~ProcScope() { --g_depth; }
void ProcScope::SetLine(int line) { g_stack[g_depth - 1].line = line; }

int ProcDepth() { return g_depth; }

std::string_view ProcName(int level) {
  const Frame* f = At(level);
  return f ? std::string_view(f->name->Name()) : std::string_view();
}

int ProcLine(int level) {
  const Frame* f = At(level);
  return f ? f->line : 0;
}

std::span<const Value> ProcArgs(int level) {
  const Frame* f = At(level);
  return f ? f->args : std::span<const Value>();
}

}  // namespace xb
