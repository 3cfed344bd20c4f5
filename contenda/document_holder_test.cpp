#include "contenda/document_holder.h"

#include <gtest/gtest.h>

#include "contenda/tests/ole_document_standin.h"

namespace contenda {
namespace {

using standins::DocumentServer;

// Creation calls that fail on demand. The lock bytes are real; the test keeps a reference of
// its own to see whether the holder let go of them.
struct FaultyCalls {
  static inline HRESULT lock_bytes_result = S_OK;
  static inline HRESULT storage_result = S_OK;
  static inline HRESULT document_result = S_OK;
  static inline ILockBytes* bytes = nullptr;
  static inline int documents_asked = 0;

  static HRESULT WINAPI CreateLockBytes(HGLOBAL memory, BOOL free_on_release, ILockBytes** out) {
    if (FAILED(lock_bytes_result)) {
      *out = reinterpret_cast<ILockBytes*>(0xBAD);  // a failing call may leave anything
      return lock_bytes_result;
    }
    HRESULT hr = CreateILockBytesOnHGlobal(memory, free_on_release, out);
    bytes = *out;
    bytes->AddRef();
    return hr;
  }
  static HRESULT WINAPI CreateStorage(ILockBytes* on, DWORD mode, DWORD reserved, IStorage** out) {
    if (FAILED(storage_result)) {
      *out = reinterpret_cast<IStorage*>(0xBAD);
      return storage_result;
    }
    HRESULT hr = StgCreateDocfileOnILockBytes(on, mode, reserved, out);
    return SUCCEEDED(hr) ? storage_result : hr;
  }
  static HRESULT WINAPI CreateDocument(REFCLSID, LPCOLESTR, REFIID iid, DWORD, LPFORMATETC,
                                       LPOLECLIENTSITE, LPSTORAGE, LPVOID* out) {
    ++documents_asked;
    if (FAILED(document_result)) {
      *out = reinterpret_cast<void*>(0xBAD);
      return document_result;
    }
    HRESULT hr = CoCreateInstance(DocumentServer::kDocumentClass, nullptr, CLSCTX_INPROC_SERVER, iid, out);
    return SUCCEEDED(hr) ? document_result : hr;
  }
  // Whether anyone but the test still holds the lock bytes.
  static bool BytesHeldElsewhere() {
    if (!bytes) return false;
    bytes->AddRef();
    bool held = bytes->Release() > 1;
    return held;
  }
  static void ReleaseBytes() {
    if (bytes) bytes->Release();
    bytes = nullptr;
  }
};

const DocumentCreationCalls kFaultyCalls{&FaultyCalls::CreateLockBytes, &FaultyCalls::CreateStorage,
                                         &FaultyCalls::CreateDocument};

TEST(DocumentHolder, FailedCreationLeavesNothingHeld) {
  struct Case {
    const char* name;
    HRESULT lock_bytes, storage, document;
    HRESULT expected;
    bool document_asked;
  };
  const Case kCases[] = {
      {"no memory for bytes", E_OUTOFMEMORY, S_OK, S_OK, E_OUTOFMEMORY, false},
      {"storage fails", S_OK, STG_E_INSUFFICIENTMEMORY, S_OK, STG_E_INSUFFICIENTMEMORY, false},
      {"storage only half made", S_OK, S_FALSE, S_OK, S_FALSE, false},
      {"document fails", S_OK, S_OK, MK_E_CANTOPENFILE, MK_E_CANTOPENFILE, true},
      {"document not quite", S_OK, S_OK, OLE_S_STATIC, OLE_S_STATIC, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    FaultyCalls::lock_bytes_result = c.lock_bytes;
    FaultyCalls::storage_result = c.storage;
    FaultyCalls::document_result = c.document;
    FaultyCalls::documents_asked = 0;
    DocumentHolder holder(kFaultyCalls);
    EXPECT_EQ(holder.Create(L"C:\\Informe.doc"), c.expected);
    EXPECT_TRUE(holder.empty());
    EXPECT_EQ(FaultyCalls::documents_asked > 0, c.document_asked);
    EXPECT_FALSE(FaultyCalls::BytesHeldElsewhere());
    EXPECT_EQ(DocumentServer::live_documents(), 0);
    FaultyCalls::ReleaseBytes();
  }
}

TEST(DocumentHolder, StorageKeepsTheBytesUntilReleased) {
  FaultyCalls::lock_bytes_result = FaultyCalls::storage_result = FaultyCalls::document_result = S_OK;
  {
    DocumentHolder holder(kFaultyCalls);
    ASSERT_EQ(holder.Create(L"C:\\Informe.doc"), S_OK);
    EXPECT_NE(holder.document(), nullptr);
    EXPECT_NE(holder.storage(), nullptr);
    EXPECT_TRUE(FaultyCalls::BytesHeldElsewhere());
    EXPECT_EQ(DocumentServer::live_documents(), 1);

    // A second document replaces the first, which goes with its storage.
    ILockBytes* first_bytes = FaultyCalls::bytes;
    ASSERT_EQ(holder.Create(L"C:\\Otro.doc"), S_OK);
    EXPECT_EQ(DocumentServer::live_documents(), 1);
    EXPECT_EQ(first_bytes->Release(), 0u);

    holder.Release();
    EXPECT_TRUE(holder.empty());
    EXPECT_EQ(DocumentServer::live_documents(), 0);
    EXPECT_FALSE(FaultyCalls::BytesHeldElsewhere());
    FaultyCalls::ReleaseBytes();

    ASSERT_EQ(holder.Create(L"C:\\Informe.doc"), S_OK);
  }
  // Destroying the holder lets go of both as well.
  EXPECT_EQ(DocumentServer::live_documents(), 0);
  EXPECT_FALSE(FaultyCalls::BytesHeldElsewhere());
  FaultyCalls::ReleaseBytes();
}

}  // namespace
}  // namespace contenda
