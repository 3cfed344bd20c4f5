// Lexer and parser of the macro compiler: text -> compiled Function (macro_nodes.h).
#pragma once

#include <string_view>
#include <vector>

#include "runtime/macro.h"
#include "runtime/macro_nodes.h"

namespace xb::macro {

struct ParseResult {
  Ref<Function> fn;                        // null on a syntax error
  SyntaxError error{};
  std::vector<const Symbol*> calls;        // functions called, each once, in order of appearance
  bool isBlockLiteral = false;             // the whole text is one block literal
  bool evalsValue = false;                 // EVAL() of something other than a block literal
  bool actsUnseen = false;                 // macro text, a message send or an assignment
};

// Parses text as an expression list (the body of a function without parameters).
ParseResult Parse(std::string_view text);

}  // namespace xb::macro
