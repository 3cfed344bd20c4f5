// Code page and language of the run: HB_SETCODEPAGE (case, letters and collation, see
// runtime/codepage.h), HB_ANSITOOEM / HB_OEMTOANSI (Windows-1252 <-> OEM 850 for text files
// that DOS programs read) and HB_LANGSELECT (names of months and days).
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/library.h"
#include "runtime/sets.h"

namespace xb {

namespace {

// HB_SETCODEPAGE([id]): the id in use before; an unknown id changes nothing.
Value FnSetCodePage(Args& a) {
  Value old = Value::String(Sets().codepage);
  if (a.Arg(1).IsString()) SetValue(SET_CODEPAGE, a.Arg(1));
  return old;
}

Value FnAnsiToOem(Args& a) {
  if (!a.Arg(1).IsString()) return a.Arg(1);
  return Value::String(AnsiToOem(a.Str(1)));
}

Value FnOemToAnsi(Args& a) {
  if (!a.Arg(1).IsString()) return a.Arg(1);
  return Value::String(OemToAnsi(a.Str(1)));
}

// HB_LANGSELECT([id]): "EN" or "ES" (also "ESWIN"); returns the id in use before.
Value FnLangSelect(Args& a) {
  Value old = Value::String(Sets().language);
  if (a.Arg(1).IsString()) {
    std::string id = UpperName(a.Str(1));
    if (id == "EN" || id == "ES" || id == "ESWIN") SetValue(SET_LANGUAGE, Value::String(id));
  }
  return old;
}

}  // namespace

void RegisterCodePageFunctions() {
  RegisterFunction("HB_SETCODEPAGE", FnSetCodePage);
  RegisterFunction("HB_ANSITOOEM", FnAnsiToOem);
  RegisterFunction("HB_OEMTOANSI", FnOemToAnsi);
  RegisterFunction("HB_LANGSELECT", FnLangSelect);
}

}  // namespace xb
