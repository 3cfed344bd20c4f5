#include "contenda/tests/ole_document_standin.h"

#include <algorithm>
#include <string>

#include "contenda/tests/automation_standin.h"
#include "contenda/tests/call_journal.h"

namespace contenda::standins {

namespace {

LONG g_live_documents = 0;

std::string Flag(BOOL value) { return value ? "true" : "false"; }

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
         ", " + std::to_string(r.bottom);
}

class ViewStandin final : public IOleDocumentView {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IOleDocumentView) return E_NOINTERFACE;
    *out = static_cast<IOleDocumentView*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = --refs_;
    if (left == 0) {
      if (site_) site_->Release();
      delete this;
    }
    return static_cast<ULONG>(left);
  }
  STDMETHODIMP SetInPlaceSite(IOleInPlaceSite* site) override {
    Journal().Record("View.SetInPlaceSite");
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
  }
  STDMETHODIMP GetInPlaceSite(IOleInPlaceSite** site) override {
    Journal().Record("View.GetInPlaceSite");
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
  }
  STDMETHODIMP GetDocument(IUnknown** document) override {
    *document = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetRect(LPRECT view) override {
    return Journal().Record("View.SetRect(" + RectText(*view) + ")");
  }
  STDMETHODIMP GetRect(LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP SetRectComplex(LPRECT, LPRECT, LPRECT, LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP Show(BOOL show) override { return Journal().Record("View.Show(" + Flag(show) + ")"); }
  STDMETHODIMP UIActivate(BOOL activate) override {
    return Journal().Record("View.UIActivate(" + Flag(activate) + ")");
  }
  STDMETHODIMP Open() override { return E_NOTIMPL; }
  STDMETHODIMP CloseView(DWORD) override { return S_OK; }
  STDMETHODIMP SaveViewState(LPSTREAM) override { return E_NOTIMPL; }
  STDMETHODIMP ApplyViewState(LPSTREAM) override { return E_NOTIMPL; }
  STDMETHODIMP Clone(IOleInPlaceSite*, IOleDocumentView**) override { return E_NOTIMPL; }

 private:
  ~ViewStandin() = default;
  LONG refs_ = 1;
  IOleInPlaceSite* site_ = nullptr;
};

class DocumentStandin final : public IOleObject,
                              public IDispatch,
                              public IOleCommandTarget,
                              public IPersistFile,
                              public IPersistStorage,
                              public IDataObject,
                              public IOleDocument,
                              public IOleInPlaceObject,
                              public IOleInPlaceActiveObject {
 public:
  DocumentStandin() { ++g_live_documents; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    const DocumentBehaviour& behaviour = DocumentServer::Instance().behaviour();
    auto refused = [](const char* face) {
      return Journal().PlannedFailure(std::string("Document.QueryInterface(") + face + ")");
    };
    HRESULT hr = S_OK;
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
      *out = static_cast<IOleObject*>(this);
    } else if (iid == IID_IDispatch) {
      if (!behaviour.scriptable) return E_NOINTERFACE;
      if (FAILED(hr = refused("IDispatch"))) return hr;
      *out = static_cast<IDispatch*>(this);
    } else if (iid == IID_IOleCommandTarget) {
      if (!behaviour.command_target) return E_NOINTERFACE;
      if (FAILED(hr = refused("IOleCommandTarget"))) return hr;
      *out = static_cast<IOleCommandTarget*>(this);
    } else if (iid == IID_IPersistFile || iid == IID_IPersist) {
      *out = static_cast<IPersistFile*>(this);
    } else if (iid == IID_IPersistStorage) {
      *out = static_cast<IPersistStorage*>(this);
    } else if (iid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
    } else if (iid == IID_IOleDocument) {
      if (!behaviour.has_views) return E_NOINTERFACE;
      if (FAILED(hr = refused("IOleDocument"))) return hr;
      *out = static_cast<IOleDocument*>(this);
    } else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow) {
      if (FAILED(hr = refused("IOleInPlaceObject"))) return hr;
      *out = static_cast<IOleInPlaceObject*>(this);
    } else if (iid == IID_IOleInPlaceActiveObject) {
      if (FAILED(hr = refused("IOleInPlaceActiveObject"))) return hr;
      *out = static_cast<IOleInPlaceActiveObject*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite*) override { return S_OK; }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    *site = nullptr;
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD option) override {
    HRESULT hr = Journal().Record("Document.Close(" + std::to_string(option) + ")");
    if (auto& on_close = DocumentServer::Instance().behaviour().on_close) on_close();
    return hr;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND hwnd, LPCRECT) override {
    std::string call = "Document.DoVerb(" + std::to_string(verb);
    if (site) call += ", site";
    if (hwnd) call += ", hwnd";
    return Journal().Record(call + ")");
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override {
    *clsid = DocumentServer::kDocumentClass;
    return S_OK;
  }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    *status = 0;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IDispatch: the document's Application property only.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (HRESULT hr = Journal().PlannedFailure("lookup Document.Application"); FAILED(hr)) return hr;
    if (count != 1 || _wcsicmp(names[0], L"Application") != 0) return DISP_E_UNKNOWNNAME;
    ids[0] = kApplicationId;
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS*, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    if (id != kApplicationId || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (HRESULT hr = Journal().Record("Document.Application", lcid); FAILED(hr)) return hr;
    if (result) {
      VariantInit(result);
      if (auto& application = DocumentServer::Instance().behaviour().application) application(result);
    }
    return S_OK;
  }

  // IOleCommandTarget
  STDMETHODIMP QueryStatus(const GUID*, ULONG count, OLECMD commands[], OLECMDTEXT*) override {
    if (count < 1) return E_INVALIDARG;
    HRESULT hr = Journal().Record("Document.QueryStatus(" + std::to_string(commands[0].cmdID) + ")");
    if (FAILED(hr)) return hr;
    const auto& supported = DocumentServer::Instance().behaviour().supported_commands;
    bool known = std::find(supported.begin(), supported.end(), commands[0].cmdID) != supported.end();
    commands[0].cmdf = known ? OLECMDF_SUPPORTED | OLECMDF_ENABLED : 0;
    return S_OK;
  }
  STDMETHODIMP Exec(const GUID*, DWORD id, DWORD option, VARIANT*, VARIANT*) override {
    return Journal().Record("Document.Exec(" + std::to_string(id) + ", " + std::to_string(option) + ")");
  }

  // IPersist, IPersistFile, IPersistStorage
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    *clsid = DocumentServer::kDocumentClass;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPCOLESTR path, DWORD) override {
    return Journal().Record("Document.Load(\"" + Narrow(path) + "\")");
  }
  STDMETHODIMP Save(LPCOLESTR, BOOL) override { return S_OK; }
  STDMETHODIMP SaveCompleted(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP GetCurFile(LPOLESTR* path) override {
    *path = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitNew(IStorage*) override { return S_OK; }
  STDMETHODIMP Load(IStorage*) override { return S_OK; }
  STDMETHODIMP Save(IStorage* storage, BOOL) override {
    return WriteClassStg(storage, DocumentServer::kDocumentClass);
  }
  STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
  STDMETHODIMP HandsOffStorage() override { return S_OK; }

  // IDataObject: the document offers no data formats; OLE copies it through IPersistStorage.
  STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  // IOleDocument
  STDMETHODIMP CreateView(IOleInPlaceSite* site, IStream*, DWORD, IOleDocumentView** view) override {
    *view = nullptr;
    if (HRESULT hr = Journal().Record("Document.CreateView"); FAILED(hr)) return hr;
    *view = NewDocumentView();
    (*view)->SetInPlaceSite(site);
    return S_OK;
  }
  STDMETHODIMP GetDocMiscStatus(DWORD* status) override {
    *status = 0;
    return S_OK;
  }
  STDMETHODIMP EnumViews(IEnumOleDocumentViews**, IOleDocumentView** view) override {
    *view = nullptr;
    return E_NOTIMPL;
  }

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  STDMETHODIMP GetWindow(HWND* hwnd) override {
    *hwnd = nullptr;
    return E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }
  STDMETHODIMP InPlaceDeactivate() override { return Journal().Record("Document.InPlaceDeactivate()"); }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
  STDMETHODIMP ReactivateAndUndo() override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override {
    return Journal().Record("Document.OnDocWindowActivate(" + Flag(activate) + ")");
  }
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override {
    std::string call = "Document.ResizeBorder(" + RectText(*border) + ", " + Flag(frame) + ")";
    return window ? Journal().Record(call) : Journal().Record(call + " without window");
  }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

 private:
  static constexpr DISPID kApplicationId = 148;
  ~DocumentStandin() { --g_live_documents; }
  LONG refs_ = 1;
};

class DocumentFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // Lives as long as the test process.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (HRESULT hr = Journal().PlannedFailure("Document.CreateInstance"); FAILED(hr)) return hr;
    auto* document = new DocumentStandin();
    HRESULT hr = document->QueryInterface(iid, out);
    document->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

}  // namespace

const CLSID DocumentServer::kDocumentClass = {
    0x5c0e7a31, 0x2d4b, 0x4f6e, {0x9a, 0x17, 0x3b, 0x80, 0xc2, 0x6d, 0x51, 0x04}};

DocumentServer& DocumentServer::Instance() {
  static DocumentServer server;
  return server;
}

void DocumentServer::Register() {
  static DocumentFactory factory;
  if (cookie_) return;
  CoRegisterClassObject(kDocumentClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

std::wstring DocumentServer::WriteDocumentFile(const std::wstring& name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring path = std::wstring(folder) + name;
  IStorage* storage = nullptr;
  if (SUCCEEDED(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                 0, &storage))) {
    WriteClassStg(storage, kDocumentClass);
    storage->Commit(STGC_DEFAULT);
    storage->Release();
  }
  return path;
}

LONG DocumentServer::live_documents() { return g_live_documents; }

IOleDocumentView* NewDocumentView() { return new ViewStandin(); }

}  // namespace contenda::standins
