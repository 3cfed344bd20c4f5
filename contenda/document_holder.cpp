#include "contenda/document_holder.h"

namespace contenda {

namespace {

// Transacted, created anew, not shared, read and write.
constexpr DWORD kStorageMode = STGM_TRANSACTED | STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

}  // namespace

const DocumentCreationCalls DocumentHolder::kOleCalls{};

HRESULT DocumentHolder::Create(const wchar_t* path) {
  Release();
  ComPtr<ILockBytes> bytes;
  // The bytes go with their last reference; the storage keeps one of its own.
  HRESULT hr = calls_->create_lock_bytes(nullptr, TRUE, bytes.Put());
  if (FAILED(hr) || !bytes) {
    bytes.Detach();
    return FAILED(hr) ? hr : E_OUTOFMEMORY;
  }
  hr = calls_->create_storage(bytes.Get(), kStorageMode, 0, storage_.Put());
  // A failing call may have left anything in its out pointer: it is dropped unreleased.
  if (FAILED(hr)) {
    storage_.Detach();
    return hr;
  }
  if (hr == S_OK && !storage_) hr = E_OUTOFMEMORY;
  if (hr == S_OK) {
    hr = calls_->create_from_file(CLSID_NULL, path, IID_IOleObject, OLERENDER_NONE, nullptr,
                                  nullptr, storage_.Get(), document_.PutVoid());
    if (FAILED(hr)) document_.Detach();
    if (hr == S_OK && !document_) hr = E_NOINTERFACE;
  }
  // Anything but full success leaves the holder empty: the caller sees a failed load.
  if (hr != S_OK) Release();
  return hr;
}

void DocumentHolder::Release() {
  document_.Reset();
  storage_.Reset();
}

}  // namespace contenda
