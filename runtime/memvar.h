// PRIVATE and PUBLIC variables (memvars): variables found by name at run time, which
// run-time compiled text reaches as `M->name` or as a bare name that is not a field.
// A PRIVATE lives until the PrivateScope that was innermost when it was declared ends
// (a new PRIVATE of an existing name hides the older one meanwhile); a PUBLIC lives until
// ReleaseAllMemvars. Assigning a name that is not declared creates a PRIVATE, as xBase
// does. Each variable lives in a RefCell, so `@name` passes the variable itself.
#pragma once

#include "runtime/symbol.h"
#include "runtime/value.h"

namespace xb {

class MemvarCell : public RefCell {
 public:
  using RefCell::RefCell;
  MemvarCell* hidden = nullptr;  // the variable of the same name this one hides
  bool isPublic = false;
};

// The visible variable of that name, or nullptr.
MemvarCell* FindMemvar(const Symbol& name);
// Its value; reading a missing variable raises BASE/1003 "Variable does not exist"
// (retry looks again; default gives NIL).
Value GetMemvar(const Symbol& name);
// Assigns the visible variable, or creates a PRIVATE when there is none.
void SetMemvar(const Symbol& name, Value v);
// PRIVATE name := init, in the innermost PrivateScope.
MemvarCell& DeclarePrivate(const Symbol& name, Value init = {});
// PUBLIC name (initial .F. as xBase gives); an existing PUBLIC of that name is kept.
MemvarCell& DeclarePublic(const Symbol& name);

// Releases the PRIVATEs declared while it was the innermost scope.
class PrivateScope {
 public:
  PrivateScope();
  ~PrivateScope();
  PrivateScope(const PrivateScope&) = delete;
  PrivateScope& operator=(const PrivateScope&) = delete;

 private:
  std::size_t mark_;
};

// Releases every PRIVATE and PUBLIC (tests; the program end).
void ReleaseAllMemvars();

}  // namespace xb
