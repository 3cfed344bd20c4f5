// The macro compiler: xBase expressions held as text (index keys, filters, report
// expressions, menu actions) compiled once into code blocks and evaluated many times.
//
//   xb::Block key = xb::CompileBlock("cSerie + Str( nNumFac, 7 )");   // {|| <text> }
//   xb::Value k = key.Eval();                                        // per record
//   xb::Block b = xb::MacroBlock("{|cValor| Upper( cValor ) }");     // &("{|...| ...}")
//   xb::Value v = xb::EvalMacro("n10 := 10");                        // &( text )
//   std::string t = xb::TypeOf("Upper( cNomCli )");                 // TYPE()
//
// The language: numbers, strings "..." '...' [...], .T. .F. NIL, 0dYYYYMMDD dates, array
// literals {...}, code blocks {|a, b| e1, e2}, names (a block parameter, else a field of
// the current area, else a PRIVATE/PUBLIC variable; assigning an undeclared name creates
// a PRIVATE), alias->name, alias->( expr ), M->name, FIELD->name, function calls by name
// with @ references and empty arguments, a[i, j], obj:msg, obj:msg(...), obj:data := x,
// := += -= *= /= %= ^= ++ --, + - * / % ** ^, unary - +, = == != <> # < <= > >= $,
// .AND. .OR. .NOT. !, IIF()/IF() evaluating one branch, parentheses and lists (a, b),
// &name and &( expr ) inside the text. Arithmetic on literals alone is folded when
// compiled, keeping integer results (10 / 5 is 2 while n10 / 5 is 2.00).
//
// Syntax errors are raised as BASE/1449 "Syntax error" (operation "&") through the error
// block by the raising functions; CheckSyntax only reports them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/block.h"
#include "runtime/value.h"

namespace xb {

struct SyntaxError {
  std::string message;   // what is wrong, for logs ("unexpected ')'")
  std::size_t position;  // byte offset in the text
};

// A compiled expression that C++ code keeps and evaluates itself.
class CompiledMacro;  // opaque; held through Block

// Compiles text as the body of a block without parameters ({|| text }).
Block CompileBlock(std::string_view expression);
// Compiles the text of a block literal "{|a, b| ...}" (leading/trailing blanks allowed);
// text that is not a block literal compiles as CompileBlock does.
Block MacroBlock(std::string_view blockText);
// Compiles and evaluates once (&text). A block literal text gives the block.
Value EvalMacro(std::string_view text);

// Compile without raising: the block, or the syntax error.
std::optional<Block> TryCompileBlock(std::string_view expression, SyntaxError* error = nullptr);
// Compile-only check; nullopt when the text is a valid expression (or block literal).
std::optional<SyntaxError> CheckSyntax(std::string_view text);

// TYPE(text): the ValType letter of the value the text gives, evaluated without the
// error block; "U" when a name or alias does not exist or a called function is not
// registered, "UI" (without running it) when it calls a function other than xBase's
// built-in ones or EVAL of something other than a block literal, "UE" on a syntax error or
// any other error; "B" for a block literal.
std::string TypeOf(std::string_view text);

// The names of the functions the text calls (upper case, each once), without evaluating;
// empty on a syntax error.
std::vector<std::string> CalledFunctions(std::string_view text);

// Whether evaluating the text runs no function but the ones `allowed` names (upper case) and
// nothing the text does not show: no macro text, no message send, no assignment. False on a
// syntax error.
bool CallsOnly(std::string_view text, std::span<const std::string_view> allowed);

// True for the built-in functions that TYPE() evaluates (LEN, SUBSTR, UPPER, STR ...).
bool IsBuiltinFunction(std::string_view upperName);

}  // namespace xb
