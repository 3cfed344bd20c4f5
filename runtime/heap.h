// Reference-counted heap objects shared by values: arrays, code blocks, objects and
// by-reference cells. The runtime runs on one thread, so counts are plain integers.
// Cycles (an array holding itself, a window and its controls pointing at each other)
// are not collected; owners that build cycles break them when they end.
#pragma once

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
