#include "runtime/function_table.h"

#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

#include "runtime/error.h"
#include "runtime/proc_stack.h"

namespace xb {

class FunctionTable {
 public:
  static void Set(std::string_view name, NativeFn fn, FunctionBody body) {
    Symbol& sym = const_cast<Symbol&>(Intern(name));
    // Entries live as long as the process; registering a name again replaces the
    // entry's contents, so code compiled before calls the new function. A name
    // unregistered by a snapshot's Restore takes its own entry back.
    if (!sym.function_) {
      auto unregistered = Unregistered().find(&sym);
      if (unregistered != Unregistered().end()) {
        sym.function_ = unregistered->second;
        Unregistered().erase(unregistered);
      } else {
        sym.function_ = &Entries().emplace_back(FunctionEntry{&sym, nullptr, nullptr});
      }
    }
    auto* e = const_cast<FunctionEntry*>(sym.function_);
    e->fn = fn;
    e->body = std::move(body);
    e->append = nullptr;
    e->transform = nullptr;
  }
  static void SetStringForms(std::string_view name, StringAppendFn append, StringTransformFn transform) {
    const Symbol* sym = FindSymbol(name);
    if (!sym || !sym->function_) return;
    auto* e = const_cast<FunctionEntry*>(sym->function_);
    e->append = append;
    e->transform = transform;
  }
  static std::vector<FunctionEntry> Registered() {
    std::vector<FunctionEntry> registered;
    for (const FunctionEntry& e : Entries())
      if (e.name->function_ == &e) registered.push_back(e);
    return registered;
  }
  static void Restore(const std::vector<FunctionEntry>& saved) {
    std::unordered_map<const Symbol*, const FunctionEntry*> by_name;
    for (const FunctionEntry& e : saved) by_name[e.name] = &e;
    for (FunctionEntry& e : Entries()) {
      Symbol& sym = const_cast<Symbol&>(*e.name);
      auto it = by_name.find(&sym);
      if (it != by_name.end()) {
        e = *it->second;
        sym.function_ = &e;
        Unregistered().erase(&sym);
      } else if (sym.function_ == &e) {
        sym.function_ = nullptr;
        Unregistered()[&sym] = &e;
      }
    }
  }

 private:
  static std::deque<FunctionEntry>& Entries() {
    static auto* entries = new std::deque<FunctionEntry>;
    return *entries;
  }
  static std::unordered_map<const Symbol*, FunctionEntry*>& Unregistered() {
    static auto* unregistered = new std::unordered_map<const Symbol*, FunctionEntry*>;
    return *unregistered;
  }
};

FunctionTableSnapshot FunctionTableSnapshot::Take() {
  FunctionTableSnapshot snapshot;
  snapshot.saved_ = FunctionTable::Registered();
  return snapshot;
}

void FunctionTableSnapshot::Restore() const { FunctionTable::Restore(saved_); }

void RegisterFunction(std::string_view name, NativeFn fn) { FunctionTable::Set(name, fn, nullptr); }
void RegisterFunction(std::string_view name, FunctionBody body) { FunctionTable::Set(name, nullptr, std::move(body)); }

void RegisterStringForms(std::string_view name, StringAppendFn append, StringTransformFn transform) {
  FunctionTable::SetStringForms(name, append, transform);
}

const FunctionEntry* FindFunction(std::string_view name) {
  const Symbol* s = FindSymbol(name);
  return s ? s->Function() : nullptr;
}

bool IsFunctionRegistered(std::string_view name) { return FindFunction(name) != nullptr; }

Value CallEntry(const FunctionEntry& f, std::span<const Value> args) {
  ProcScope scope(*f.name, args);
  Args a(args);
  return f.fn ? f.fn(a) : f.body(a);
}

Value CallFunction(const Symbol& name, std::span<const Value> args) {
  if (const FunctionEntry* f = name.Function()) return CallEntry(*f, args);
  return RaiseBaseError(EG_NOFUNC, 1001, name.Name(), args);
}

Value CallFunction(std::string_view name, std::initializer_list<Value> args) {
  return CallFunction(Intern(name), std::span<const Value>(args.begin(), args.size()));
}

Value ArgumentError(std::string_view function, int subcode, std::span<const Value> args) {
  return RaiseBaseError(EG_ARG, subcode, function, args);
}

}  // namespace xb
