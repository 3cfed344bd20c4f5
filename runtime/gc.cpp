#include <vector>

#include "runtime/heap.h"

namespace xb {

namespace {
GcObject* g_head = nullptr;  // every live container, newest first
std::size_t g_count = 0;
bool g_collecting = false;
}  // namespace

GcObject::GcObject() {
  next_ = g_head;
  if (g_head) g_head->prev_ = this;
  g_head = this;
  ++g_count;
}

GcObject::~GcObject() {
  if (prev_) prev_->next_ = next_;
  else g_head = next_;
  if (next_) next_->prev_ = prev_;
  --g_count;
}

std::size_t LiveContainerCount() { return g_count; }

std::size_t CollectGarbage() {
  if (g_collecting) return 0;
  g_collecting = true;
  std::vector<GcObject*> all;
  all.reserve(g_count);
  for (GcObject* o = g_head; o; o = o->next_) {
    o->gcCount_ = o->RefCount();
    o->gcLive_ = false;
    all.push_back(o);
  }
  // Subtract the references containers hold to each other: what is left is held from outside.
  struct Subtract : GcVisitor {
    void Visit(GcObject* c) override { --c->gcCount_; }
  } subtract;
  for (GcObject* o : all) o->Traverse(subtract);

  // Everything an externally held container reaches is alive.
  struct Mark : GcVisitor {
    std::vector<GcObject*> work;
    void Visit(GcObject* c) override {
      if (!c->gcLive_) {
        c->gcLive_ = true;
        work.push_back(c);
      }
    }
  } mark;
  for (GcObject* o : all)
    if (o->gcCount_ > 0) mark.Visit(o);
  while (!mark.work.empty()) {
    GcObject* o = mark.work.back();
    mark.work.pop_back();
    o->Traverse(mark);
  }

  std::vector<GcObject*> garbage;
  for (GcObject* o : all)
    if (!o->gcLive_) garbage.push_back(o);
  // Hold every garbage container while the cycles are cut, then let them go.
  for (GcObject* o : garbage) o->AddRef();
  for (GcObject* o : garbage) o->ClearValues();
  for (GcObject* o : garbage) o->Release();
  g_collecting = false;
  return garbage.size();
}

}  // namespace xb
