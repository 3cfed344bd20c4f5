#include "runtime/object.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "runtime/error.h"
#include "runtime/proc_stack.h"

namespace xb {

class ClassRegistry {
 public:
  static std::unordered_map<const Symbol*, Class*>& Map() {
    static auto* map = new std::unordered_map<const Symbol*, Class*>;  // classes live forever
    return *map;
  }
  static Class* Make(const Symbol& name, const Class* parent) { return new Class(name, parent); }
};

Class::Class(const Symbol& name, const Class* parent) : name_(&name), parent_(parent) {
  if (parent) slotDefaults_ = parent->slotDefaults_;
}

Class& Class::Define(std::string_view name, const Class* parent) {
  const Symbol& sym = Intern(name);
  auto& map = ClassRegistry::Map();
  if (map.count(&sym)) std::abort();  // a class name is registered once
  Class* c = ClassRegistry::Make(sym, parent);
  map.emplace(&sym, c);
  return *c;
}

const Class* Class::Find(std::string_view name) {
  const Symbol* sym = FindSymbol(name);
  if (!sym) return nullptr;
  auto& map = ClassRegistry::Map();
  auto it = map.find(sym);
  return it == map.end() ? nullptr : it->second;
}

bool Class::IsDerivedFrom(const Class& ancestor) const {
  for (const Class* c = this; c; c = c->parent_)
    if (c == &ancestor) return true;
  return false;
}

bool Class::IsDerivedFrom(std::string_view ancestorName) const {
  std::string upper = UpperName(ancestorName);
  for (const Class* c = this; c; c = c->parent_)
    if (c->Name() == upper) return true;
  return false;
}

void Class::Add(std::string_view message, MethodEntry e) {
  e.owner = this;
  methods_[&Intern(message)] = std::move(e);
}

Class& Class::Method(std::string_view message, MethodFn fn) {
  MethodEntry e;
  e.kind = MethodEntry::Kind::Method;
  e.fn = std::move(fn);
  Add(message, std::move(e));
  return *this;
}

Class& Class::Var(std::string_view name, Value initial) {
  int slot = static_cast<int>(slotDefaults_.size());
  slotDefaults_.push_back(std::move(initial));
  MethodEntry get;
  get.kind = MethodEntry::Kind::SlotGet;
  get.slot = slot;
  Add(name, std::move(get));
  MethodEntry set;
  set.kind = MethodEntry::Kind::SlotSet;
  set.slot = slot;
  Add("_" + std::string(name), std::move(set));
  return *this;
}

Class& Class::Property(std::string_view name, std::function<Value(Object&)> get,
                       std::function<void(Object&, const Value&)> set) {
  if (get) Method(name, [get = std::move(get)](Object& self, Args&) { return get(self); });
  if (set)
    Method("_" + std::string(name), [set = std::move(set)](Object& self, Args& a) {
      Value v = a.Arg(1);
      set(self, v);
      return v;
    });
  return *this;
}

Class& Class::OnUnknownMessage(UnknownMessageFn fn) {
  unknown_ = std::move(fn);
  return *this;
}

const MethodEntry* Class::Lookup(const Symbol& message) const {
  for (const Class* c = this; c; c = c->parent_) {
    auto it = c->methods_.find(&message);
    if (it != c->methods_.end()) return &it->second;
  }
  return nullptr;
}

const UnknownMessageFn* Class::UnknownHook() const {
  for (const Class* c = this; c; c = c->parent_)
    if (c->unknown_) return &c->unknown_;
  return nullptr;
}

std::vector<const Symbol*> Class::Messages() const {
  std::set<std::string> seen;
  std::vector<const Symbol*> out;
  for (const Class* c = this; c; c = c->parent_)
    for (auto& [sym, e] : c->methods_)
      if (seen.insert(sym->Name()).second) out.push_back(sym);
  std::sort(out.begin(), out.end(), [](const Symbol* a, const Symbol* b) { return a->Name() < b->Name(); });
  return out;
}

Ref<Object> Class::New() const { return MakeRef<Object>(*this); }

namespace {
Value CloneArrays(const Value& v, int depth = 0) {
  if (!v.IsArray() || depth > 64) return v;
  Array src = v.AsArray();
  Array copy = Array::New(src.size());
  for (std::size_t i = 0; i < src.size(); ++i) copy[i] = CloneArrays(src[i], depth + 1);
  return copy;
}
}  // namespace

// Each object gets its own copy of an array given as a Var's initial value, as xBase
// clones a DATA's INIT array for every new object.
Object::Object(const Class& cls) : class_(&cls) {
  slots_.reserve(cls.SlotDefaults().size());
  for (const Value& v : cls.SlotDefaults()) slots_.push_back(CloneArrays(v));
}

void Object::Traverse(GcVisitor& visitor) {
  for (const Value& v : slots_)
    if (GcObject* t = v.GcTarget()) visitor.Visit(t);
  for (const Class* c = class_; c; c = c->parent_)
    for (auto& f : c->gcMembers_) f(*this, &visitor);
}

void Object::ClearValues() {
  std::vector<Value>(slots_.size()).swap(slots_);
  for (const Class* c = class_; c; c = c->parent_)
    for (auto& f : c->gcMembers_) f(*this, nullptr);
}

namespace {

const Symbol& S(const char* name) { return Intern(name); }

Value RaiseUnknownMessage(const Value& receiver, const Symbol& message, std::span<const Value> args) {
  std::vector<Value> all;
  all.reserve(args.size() + 1);
  all.push_back(receiver);
  all.insert(all.end(), args.begin(), args.end());
  const std::string& name = message.Name();
  bool assign = name.size() > 1 && name[0] == '_';
  std::string cls;
  if (receiver.IsObject()) cls = receiver.AsObject()->ClassName();
  else cls = std::string(1, receiver.ValType());
  std::string op = cls + ":" + (assign ? name.substr(1) : name);
  return RaiseBaseError(assign ? EG_NOVARMETHOD : EG_NOMETHOD, assign ? 1005 : 1004, op, all, "Message not found");
}

// Messages every object answers.
bool BuiltinMessage(Object& self, const Symbol& message, Args& args, Value& result) {
  static const Symbol& kClassName = S("CLASSNAME");
  static const Symbol& kClassH = S("CLASSH");
  static const Symbol& kIsDerivedFrom = S("ISDERIVEDFROM");
  static const Symbol& kIsKindOf = S("ISKINDOF");
  if (&message == &kClassName || &message == &kClassH) {
    result = Value::String(self.ClassName());
    return true;
  }
  if (&message == &kIsDerivedFrom || &message == &kIsKindOf) {
    const Value& x = args.Arg(1);
    bool r = false;
    if (x.IsString()) r = self.GetClass().IsDerivedFrom(x.AsString());
    else if (x.IsObject()) r = self.GetClass().IsDerivedFrom(x.AsObject()->GetClass());
    result = Value::Logical(r);
    return true;
  }
  return false;
}

}  // namespace

Value Send(const Value& receiverIn, const Symbol& message, std::span<const Value> args) {
  const Value& receiver = receiverIn.Deref();
  if (!receiver.IsObject()) {
    // A block answers EVAL: b:Eval(x) is Eval(b, x).
    static const Symbol& kEval = S("EVAL");
    if (receiver.IsBlock() && &message == &kEval) return receiver.AsBlock().Call(args);
    return RaiseUnknownMessage(receiver, message, args);
  }
  // Hold the object for the time of the call: the method may drop other references.
  ObjectRef self = receiver.AsObject();
  const Class& cls = self->GetClass();
  Args a(args);
  if (const MethodEntry* e = cls.Lookup(message)) {
    switch (e->kind) {
      case MethodEntry::Kind::Method: {
        ProcScope scope(message, args);
        return e->fn(*self, a);
      }
      case MethodEntry::Kind::SlotGet: return self->Slot(e->slot);
      case MethodEntry::Kind::SlotSet: {
        Value v = a.Arg(1);
        self->Slot(e->slot) = v;
        return v;
      }
    }
  }
  Value result;
  if (BuiltinMessage(*self, message, a, result)) return result;
  if (const UnknownMessageFn* hook = cls.UnknownHook()) {
    ProcScope scope(message, args);
    return (*hook)(*self, message, a);
  }
  return RaiseUnknownMessage(receiver, message, args);
}

Value Send(const Value& receiver, std::string_view message, std::initializer_list<Value> args) {
  return Send(receiver, Intern(message), std::span<const Value>(args.begin(), args.size()));
}

bool HasMessage(const Value& receiverIn, const Symbol& message) {
  const Value& receiver = receiverIn.Deref();
  if (!receiver.IsObject()) return false;
  return receiver.AsObject()->GetClass().Lookup(message) != nullptr;
}

namespace detail {
void RaiseWrongDataType(Object& self, std::string_view name, const Value& v) {
  Value args[] = {self.AsValue(), v};
  RaiseBaseError(EG_NOVARMETHOD, 44, "_" + UpperName(name), args, "Assigned value is wrong class");
}
}  // namespace detail

}  // namespace xb
