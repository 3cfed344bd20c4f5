#include "runtime/memvar.h"

#include <vector>

#include "runtime/error.h"

namespace xb {

class Memvars {
 public:
  static MemvarCell*& Slot(const Symbol& s) { return const_cast<Symbol&>(s).memvar_; }

  struct Entry {
    const Symbol* name;
    MemvarCell* cell;
  };
  static std::vector<Entry>& Privates() {
    static auto* v = new std::vector<Entry>;
    return *v;
  }
  static std::vector<Entry>& Publics() {
    static auto* v = new std::vector<Entry>;
    return *v;
  }
  static void PopPrivatesTo(std::size_t mark) {
    auto& p = Privates();
    while (p.size() > mark) {
      Entry e = p.back();
      p.pop_back();
      // Unlink the cell wherever it is in the chain (normally on top).
      MemvarCell** link = &Slot(*e.name);
      while (*link && *link != e.cell) link = &(*link)->hidden;
      if (*link) *link = e.cell->hidden;
      e.cell->hidden = nullptr;
      e.cell->Release();
    }
  }
};

MemvarCell* FindMemvar(const Symbol& name) { return Memvars::Slot(name); }

Value GetMemvar(const Symbol& name) {
  for (;;) {
    if (MemvarCell* c = FindMemvar(name)) return c->value;
    ErrorRef e = MakeError("BASE", EG_NOVAR, 1003, name.Name());
    e->canRetry = true;
    e->canDefault = true;
    if (Raise(e) == Recovery::Default) return Value();
  }
}

void SetMemvar(const Symbol& name, Value v) {
  if (MemvarCell* c = FindMemvar(name)) {
    c->value = std::move(v);
    return;
  }
  DeclarePrivate(name, std::move(v));
}

MemvarCell& DeclarePrivate(const Symbol& name, Value init) {
  auto* cell = new MemvarCell(std::move(init));
  cell->AddRef();
  MemvarCell*& slot = Memvars::Slot(name);
  cell->hidden = slot;
  slot = cell;
  Memvars::Privates().push_back({&name, cell});
  return *cell;
}

MemvarCell& DeclarePublic(const Symbol& name) {
  if (MemvarCell* c = FindMemvar(name)) return *c;
  auto* cell = new MemvarCell(Value::Logical(false));
  cell->AddRef();
  cell->isPublic = true;
  Memvars::Slot(name) = cell;
  Memvars::Publics().push_back({&name, cell});
  return *cell;
}

PrivateScope::PrivateScope() : mark_(Memvars::Privates().size()) {}
PrivateScope::~PrivateScope() { Memvars::PopPrivatesTo(mark_); }

void ReleaseAllMemvars() {
  Memvars::PopPrivatesTo(0);
  auto& pub = Memvars::Publics();
  for (auto& e : pub) {
    MemvarCell** link = &Memvars::Slot(*e.name);
    while (*link && *link != e.cell) link = &(*link)->hidden;
    if (*link) *link = e.cell->hidden;
    e.cell->Release();
  }
  pub.clear();
}

}  // namespace xb
