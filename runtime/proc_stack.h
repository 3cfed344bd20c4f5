// The procedure-name stack: the names of the calls in progress, innermost last, with
// their arguments, so error reports can name the calling procedures (PROCNAME(n)) and
// PCOUNT() can count the caller's arguments. Calls through the function table and block
// evaluations push themselves; C++ code that wants to appear (methods, framework entry
// points) opens a ProcScope:
//
//   xb::ProcScope scope("TWINDOW:ACTIVATE");
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "runtime/symbol.h"
#include "runtime/value.h"

namespace xb {

// Calls nested deeper than this fail with UnhandledError (BASE/1210 "Recursion too deep").
constexpr int kMaxProcDepth = 300;

class ProcScope {
 public:
  explicit ProcScope(const Symbol& name, std::span<const Value> args = {});
  explicit ProcScope(std::string_view name, std::span<const Value> args = {}) : ProcScope(Intern(name), args) {}
  ~ProcScope();
  ProcScope(const ProcScope&) = delete;
  ProcScope& operator=(const ProcScope&) = delete;

  // Sets the line number shown by PROCLINE for this frame.
  void SetLine(int line);
};

// Limits how many more calls may start (0 = no limit, the default); past it every call
// fails with UnhandledError (BASE/1211 "Evaluation limit reached"). For fuzzing and
// watchdogs: text may legitimately describe a computation too large to finish.
void SetCallBudget(std::uint64_t calls);

// Number of frames on the stack.
int ProcDepth();
// Name of the frame `level` calls up: 0 is the innermost. "" beyond the outermost.
std::string_view ProcName(int level = 0);
int ProcLine(int level = 0);
// Arguments of the frame `level` calls up (as passed: references not resolved).
std::span<const Value> ProcArgs(int level = 0);

}  // namespace xb
