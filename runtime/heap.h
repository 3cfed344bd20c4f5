// Reference-counted heap objects shared by values: arrays, code blocks, objects and
// by-reference cells. The runtime runs on one thread, so counts are plain integers.
//
// Containers (GcObject: arrays, objects, blocks, cells) can form cycles (an array holding
// itself, a window and its controls pointing at each other), which counting alone never
// frees. CollectGarbage() finds them by trial deletion: a container whose count is fully
// explained by references from other containers, and that no such "externally held"
// container reaches, is garbage. Nothing needs to name the roots: a value held by C++
// code, a variable or a table counts as an external reference. A container that holds
// values the collector cannot see (a native block's closure, a C++ member that is not a
// registered Data) only keeps more alive, never less. The program calls CollectGarbage
// when idle; it is never run behind the caller's back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace xb {

class HeapObject {
 public:
  HeapObject() = default;
  HeapObject(const HeapObject&) = delete;
  HeapObject& operator=(const HeapObject&) = delete;
  virtual ~HeapObject() = default;

  void AddRef() const { ++refs_; }
  void Release() const {
    if (--refs_ == 0) delete this;
  }
  std::uint32_t RefCount() const { return refs_; }

 private:
  mutable std::uint32_t refs_ = 0;
};

class GcObject;

// Receives each container a container holds (see GcObject::Traverse).
class GcVisitor {
 public:
  virtual void Visit(GcObject* child) = 0;

 protected:
  ~GcVisitor() = default;
};

// A heap object that holds values: it reports them to the cycle collector and can drop
// them when it is found to be garbage.
class GcObject : public HeapObject {
 public:
  GcObject();
  ~GcObject() override;

  // Reports every container this one holds a counted reference to.
  virtual void Traverse(GcVisitor& visitor) {}
  // Drops the values it holds (only called on garbage, to break its cycles).
  virtual void ClearValues() {}

 private:
  friend std::size_t CollectGarbage();
  friend std::size_t LiveContainerCount();
  GcObject* prev_ = nullptr;
  GcObject* next_ = nullptr;
  std::int64_t gcCount_ = 0;
  bool gcLive_ = false;
};

// Frees the containers that only cycles keep alive; returns how many were found.
std::size_t CollectGarbage();
// Containers alive now (tests and statistics).
std::size_t LiveContainerCount();

// Owning intrusive pointer to a HeapObject (or a class derived from it).
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  explicit Ref(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  Ref(const Ref& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
  Ref(const Ref<U>& o) : p_(o.get()) {
    if (p_) p_->AddRef();
  }
  ~Ref() {
    if (p_) p_->Release();
  }
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

// Makes a new T and returns the first reference to it.
template <class T, class... A>
Ref<T> MakeRef(A&&... args) {
  return Ref<T>(new T(std::forward<A>(args)...));
}

}  // namespace xb
