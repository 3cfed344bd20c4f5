// Key handlers: SETKEY(nKey [, bAction [, bCondition]]). Windows and dialogs look a pressed
// key up here before they handle it themselves (F1 help, F10 menus, program hot keys).
//
//   SETKEY(K_F2, {|cProc, nLine, oWnd| Buscar(oWnd)})   // sets; answers the previous action
//   SETKEY(K_F2)                                        // the action, NIL when none
//   SETKEY(K_F2, NIL)                                   // removes it
//
// With a condition block, SETKEY(nKey) answers the action only while the condition,
// evaluated with the key code, does not answer .F.
#pragma once

#include "runtime/value.h"

namespace xb {

// Sets or, with a NIL action, removes the handler of a key; returns the previous action.
Value SetKey(int key, Value action, Value condition = {});
// The action of a key whose condition holds; NIL when none.
Value GetKeyAction(int key);
// Removes every handler (program end, tests).
void ClearKeyHandlers();

void RegisterSetKeyFunctions();

}  // namespace xb
