// Owning COM interface pointer.
#pragma once

#include <unknwn.h>

#include <cstddef>
#include <utility>

namespace contenda {

// Holds one reference to a COM interface and releases it when it goes; move-only.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  // Takes over a reference the caller already owns.
  static ComPtr Adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  // Takes a reference of its own.
  static ComPtr Share(T* p) {
    if (p) p->AddRef();
    return Adopt(p);
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Clears the pointer before releasing, so a Release that calls back sees it empty.
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* Detach() { return std::exchange(p_, nullptr); }

  // Out parameter of a COM call; whatever was held is released first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

 private:
  T* p_ = nullptr;
};

// QueryInterface into `out`. A failing callee may have left anything in its out pointer,
// so after a failure the pointer is dropped without being released.
template <class T>
HRESULT QueryInto(IUnknown* from, REFIID iid, ComPtr<T>& out) {
  out.Reset();
  if (!from) return E_POINTER;
  HRESULT hr = from->QueryInterface(iid, out.PutVoid());
  if (FAILED(hr)) out.Detach();
  return hr;
}

}  // namespace contenda
