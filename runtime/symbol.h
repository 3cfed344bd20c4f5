// Symbols: the upper-case names of functions, messages and variables, interned once so
// that compiled code, method tables and the function table compare and find them by
// address. A symbol lives until the process ends.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xb {

struct FunctionEntry;
class MemvarCell;

class Symbol {
 public:
  // The name in upper case (ASCII letters only are folded; other bytes are kept).
  const std::string& Name() const { return name_; }

  // The public function registered under this name, or nullptr (see function_table.h).
  const FunctionEntry* Function() const { return function_; }

  // Names are limited to this many characters; longer names are cut, as xBase does.
  static constexpr std::size_t kMaxLength = 63;

 private:
  friend class SymbolTable;
  friend class FunctionTable;
  friend class Memvars;
  explicit Symbol(std::string name) : name_(std::move(name)) {}

  std::string name_;
  const FunctionEntry* function_ = nullptr;
  MemvarCell* memvar_ = nullptr;  // visible PRIVATE or PUBLIC variable of this name
};

// Returns the symbol of a name (any case); the same name always gives the same symbol.
const Symbol& Intern(std::string_view name);

// Returns the symbol when the name was interned before, else nullptr (never creates one).
const Symbol* FindSymbol(std::string_view name);

// Upper-cases ASCII letters of a name, as symbols keep them.
std::string UpperName(std::string_view name);

}  // namespace xb
