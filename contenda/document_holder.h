// The document a container holds: its OLE object and the storage it lives in.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "contenda/com_ptr.h"

namespace contenda {

// The OLE calls that create a document, replaceable so tests can fail each of them.
struct DocumentCreationCalls {
  HRESULT(WINAPI* create_lock_bytes)(HGLOBAL, BOOL, ILockBytes**) = &CreateILockBytesOnHGlobal;
  HRESULT(WINAPI* create_storage)(ILockBytes*, DWORD, DWORD, IStorage**) = &StgCreateDocfileOnILockBytes;
  HRESULT(WINAPI* create_from_file)(REFCLSID, LPCOLESTR, REFIID, DWORD, LPFORMATETC,
                                    LPOLECLIENTSITE, LPSTORAGE, LPVOID*) = &OleCreateFromFile;
};

class DocumentHolder {
 public:
  explicit DocumentHolder(const DocumentCreationCalls& calls = kOleCalls) : calls_(&calls) {}
  DocumentHolder(const DocumentHolder&) = delete;
  DocumentHolder& operator=(const DocumentHolder&) = delete;
  // Members go in reverse order: the storage first, then the document.
  ~DocumentHolder() = default;

  // Creates the document of file `path` in a new storage in memory, with no client site and
  // no cached presentation. A document held before is released first. On failure the holder
  // is left empty and the failing call's code comes back.
  HRESULT Create(const wchar_t* path);
  // Releases the document, then the storage.
  void Release();

  IOleObject* document() const { return document_.Get(); }
  IStorage* storage() const { return storage_.Get(); }
  bool empty() const { return !document_ && !storage_; }

  static const DocumentCreationCalls kOleCalls;

 private:
  const DocumentCreationCalls* calls_;
  ComPtr<IOleObject> document_;
  ComPtr<IStorage> storage_;
};

}  // namespace contenda
