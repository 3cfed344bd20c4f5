#include "runtime/proc_stack.h"

#include <vector>

#include "runtime/error.h"

namespace xb {

namespace {
struct Frame {
  const Symbol* name;
  std::span<const Value> args;
  int line;
};
std::vector<Frame>& Stack() {
  static std::vector<Frame> stack = [] {
    std::vector<Frame> s;
    s.reserve(256);
    return s;
  }();
  return stack;
}
const Frame* At(int level) {
  auto& s = Stack();
  if (level < 0 || level >= static_cast<int>(s.size())) return nullptr;
  return &s[s.size() - 1 - static_cast<std::size_t>(level)];
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
  if (Stack().size() >= static_cast<std::size_t>(kMaxProcDepth))
    throw UnhandledError(MakeBaseError(EG_LIMIT, 1210, name.Name(), {}, "Recursion too deep"));
  Stack().push_back({&name, args, 0});
}
ProcScope::~ProcScope() { Stack().pop_back(); }
void ProcScope::SetLine(int line) { Stack().back().line = line; }

int ProcDepth() { return static_cast<int>(Stack().size()); }

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
