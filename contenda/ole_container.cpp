#include "contenda/ole_container.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

namespace contenda {

namespace {

// Where an attached window keeps its container.
constexpr wchar_t kContainerProperty[] = L"Contenda.OleContainer";

}  // namespace

OleContainer::OleContainer(const DocumentCreationCalls& calls) : holder_(calls) {}

OleContainer::~OleContainer() {
  DetachWindow();
  view_.Reset();
  in_place_.Reset();
  holder_.Release();
  active_.Reset();
}

// ---- Document road ----

HRESULT OleContainer::LoadDocument(const wchar_t* path) {
  borders_ = {};
  HRESULT hr = holder_.Create(path);
  if (hr != S_OK) return hr;
  OleRun(holder_.document());  // a server that does not run opens below or says why not
  Sleep(1);
  hr = holder_.document()->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, nullptr, nullptr);
  if (FAILED(hr)) {
    // A load that failed leaves the container empty, and no server running for nothing.
    holder_.document()->Close(OLECLOSE_NOSAVE);
    holder_.Release();
  }
  return hr;
}

HRESULT OleContainer::RunCommand(DWORD command) {
  if (!holder_.document()) return OLE_E_BLANK;
  ComPtr<IOleCommandTarget> target;
  HRESULT hr = QueryInto(holder_.document(), IID_IOleCommandTarget, target);
  if (FAILED(hr)) return hr;
  if (!target) return E_NOINTERFACE;
  OLECMD query{command, 0};
  if (target->QueryStatus(nullptr, 1, &query, nullptr) != S_OK || !(query.cmdf & OLECMDF_SUPPORTED))
    return S_OK;  // the caller takes an unsupported command for done
  return target->Exec(nullptr, command, OLECMDEXECOPT_PROMPTUSER, nullptr, nullptr);
}

HRESULT OleContainer::UIActivateView(BOOL activate) {
  if (!view_) return 1;  // the caller's answer for "no view yet"
  HRESULT hr = view_->UIActivate(activate);
  Layout();
  return hr;
}

void OleContainer::Layout() {
  RECT area = ClientArea();
  if (frame_) {
    area.left += borders_.left;
    area.top += borders_.top;
    area.right -= borders_.right;
    area.bottom -= borders_.bottom;
    // Borders wider than the window leave an empty area, never a turned-over one.
    area.right = std::max(area.right, area.left);
    area.bottom = std::max(area.bottom, area.top);
  }
  if (view_) view_->SetRect(&area);
}

void OleContainer::DetachFrame() {
  frame_ = false;
  borders_ = {};
}

RECT OleContainer::ClientArea() const {
  RECT area{};
  if (!GetClientRect(hwnd_, &area)) SetRectEmpty(&area);
  return area;
}

// ---- Window part ----

bool OleContainer::AttachWindow(HWND hwnd) {
  if (hwnd_ || !IsWindow(hwnd) || GetPropW(hwnd, kContainerProperty)) return false;
  if (!SetPropW(hwnd, kContainerProperty, this)) return false;
  hwnd_ = hwnd;
  previous_proc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
  return true;
}

void OleContainer::DetachWindow() {
  if (!hwnd_) return;
  if (IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_proc_));
    RemovePropW(hwnd_, kContainerProperty);
  }
  hwnd_ = nullptr;
  previous_proc_ = &DefWindowProcW;
}

LRESULT CALLBACK OleContainer::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                          LPARAM lparam) {
  auto* self = static_cast<OleContainer*>(GetPropW(hwnd, kContainerProperty));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  LRESULT result = 0;
  if (self->ProcessWindowMessage(hwnd, message, wparam, lparam, result)) return result;
  WNDPROC previous = self->previous_proc_;
  if (message == WM_NCDESTROY) self->DetachWindow();
  return CallWindowProcW(previous, hwnd, message, wparam, lparam);
}

bool OleContainer::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                        LRESULT& result, DWORD map_id) {
  result = 0;
  if (map_id == 1) {
    if (message != WM_MDIACTIVATE) return false;
    if (!holder_.document()) {
      result = 1;
      return true;
    }
    ComPtr<IOleInPlaceActiveObject> active;
    if (SUCCEEDED(QueryInto(holder_.document(), IID_IOleInPlaceActiveObject, active)) && active) {
      // wParam is the window losing activation: when that is our parent, the document goes.
      BOOL activating = reinterpret_cast<HWND>(wparam) != GetParent(hwnd_);
      active->OnDocWindowActivate(activating);
    }
    return true;
  }
  if (map_id != 0) return false;
  switch (message) {
    case WM_CREATE:
      result = CallWindowProcW(previous_proc_, hwnd, message, wparam, lparam);
      return true;
    case WM_SIZE:
      if (active_) {
        RECT border{0, 0, static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        try {
          active_->ResizeBorder(&border, static_cast<IOleInPlaceUIWindow*>(frame()), frame_);
        } catch (...) {
          // The document's trouble with its borders does not stop the layout.
        }
      }
      Layout();
      return true;
    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(wparam);
      UINT length = DragQueryFileW(drop, 0, nullptr, 0);
      if (length > 0) {
        std::wstring path(length + 1, L'\0');
        if (DragQueryFileW(drop, 0, path.data(), length + 1) == length) {
          path.resize(length);
          LoadDocument(path.c_str());  // nobody to tell how the load went
        }
      }
      DragFinish(drop);
      return true;
    }
    default:
      return false;
  }
}

// ---- IUnknown ----

STDMETHODIMP OleContainer::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *out = client_site();
  } else if (iid == IID_IAdviseSink) {
    *out = static_cast<IAdviseSink*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *out = in_place_site();
  } else if (iid == IID_IOleDocumentSite) {
    *out = static_cast<IOleDocumentSite*>(this);
  } else if (iid == IID_IOleInPlaceFrame) {
    *out = frame();
  } else if (iid == IID_IOleCommandTarget) {
    *out = static_cast<IOleCommandTarget*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) OleContainer::AddRef() { return static_cast<ULONG>(++refs_); }

// The caller destroys the container explicitly; a count at zero does not.
STDMETHODIMP_(ULONG) OleContainer::Release() { return static_cast<ULONG>(--refs_); }

// ---- IOleClientSite ----

STDMETHODIMP OleContainer::SaveObject() { return S_OK; }

STDMETHODIMP OleContainer::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP OleContainer::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP OleContainer::ShowObject() { return S_OK; }
STDMETHODIMP OleContainer::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP OleContainer::RequestNewObjectLayout() { return S_OK; }

// ---- IAdviseSink ----

STDMETHODIMP_(void) OleContainer::OnDataChange(FORMATETC*, STGMEDIUM*) {}
STDMETHODIMP_(void) OleContainer::OnViewChange(DWORD, LONG) {}
STDMETHODIMP_(void) OleContainer::OnRename(IMoniker*) {}
STDMETHODIMP_(void) OleContainer::OnSave() {}
STDMETHODIMP_(void) OleContainer::OnClose() {}

// ---- IOleWindow ----

STDMETHODIMP OleContainer::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = hwnd_;
  return S_OK;
}

STDMETHODIMP OleContainer::ContextSensitiveHelp(BOOL) { return S_OK; }

// ---- IOleInPlaceSite ----

STDMETHODIMP OleContainer::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP OleContainer::OnInPlaceActivate() {
  if (holder_.document()) QueryInto(holder_.document(), IID_IOleInPlaceObject, in_place_);
  return S_OK;
}

STDMETHODIMP OleContainer::OnUIActivate() { return S_OK; }

STDMETHODIMP OleContainer::GetWindowContext(IOleInPlaceFrame** frame_out,
                                            IOleInPlaceUIWindow** doc, LPRECT pos_rect,
                                            LPRECT clip_rect, LPOLEINPLACEFRAMEINFO frame_info) {
  if (doc) *doc = nullptr;
  if (frame_out) {
    *frame_out = frame();
    AddRef();  // the document releases the frame it was given
  }
  if (pos_rect) {
    *pos_rect = ClientArea();
    if (clip_rect) *clip_rect = *pos_rect;
  }
  if (frame_info) {
    frame_info->cb = sizeof(OLEINPLACEFRAMEINFO);
    frame_info->fMDIApp = TRUE;
    frame_info->hwndFrame = hwnd_;
    frame_info->haccel = nullptr;
    frame_info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP OleContainer::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP OleContainer::OnUIDeactivate(BOOL) {
  SetMenu(nullptr, nullptr, nullptr);
  return S_OK;
}

STDMETHODIMP OleContainer::OnInPlaceDeactivate() {
  if (holder_.document()) {
    holder_.document()->DoVerb(OLEIVERB_DISCARDUNDOSTATE, nullptr, client_site(), 0, hwnd_,
                               nullptr);
  }
  in_place_.Reset();
  return S_OK;
}

STDMETHODIMP OleContainer::DiscardUndoState() { return E_NOTIMPL; }

STDMETHODIMP OleContainer::DeactivateAndUndo() {
  if (in_place_) in_place_->InPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP OleContainer::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

// ---- IOleDocumentSite ----

STDMETHODIMP OleContainer::ActivateMe(IOleDocumentView* view) {
  ComPtr<IOleDocumentView> activated;
  if (view) {
    view->SetInPlaceSite(in_place_site());
    HRESULT hr = QueryInto(view, IID_IOleDocumentView, activated);
    if (FAILED(hr)) return hr;
    if (!activated) return E_NOINTERFACE;
  } else {
    ComPtr<IOleDocument> document;
    if (!holder_.document() || FAILED(QueryInto(holder_.document(), IID_IOleDocument, document)) ||
        !document) {
      return E_FAIL;
    }
    HRESULT hr = document->CreateView(in_place_site(), nullptr, 0, activated.Put());
    if (FAILED(hr)) activated.Detach();
    if (FAILED(hr) || !activated) return E_OUTOFMEMORY;
  }
  view_ = std::move(activated);
  view_->UIActivate(TRUE);
  ComPtr<IOleInPlaceSite> site;
  if (FAILED(view_->GetInPlaceSite(site.Put()))) site.Detach();
  RECT area = ClientArea();
  view_->SetRect(&area);
  view_->Show(TRUE);
  return S_OK;
}

// ---- IOleInPlaceUIWindow ----

STDMETHODIMP OleContainer::GetBorder(LPRECT border) {
  if (!border) return E_INVALIDARG;
  if (!frame_) return INPLACE_E_NOTOOLSPACE;
  *border = ClientArea();
  return S_OK;
}

STDMETHODIMP OleContainer::RequestBorderSpace(LPCBORDERWIDTHS) { return S_OK; }

STDMETHODIMP OleContainer::SetBorderSpace(LPCBORDERWIDTHS widths) {
  if (widths && frame_) {
    borders_ = *widths;
  } else {
    borders_ = {};
  }
  Layout();
  return S_OK;
}

STDMETHODIMP OleContainer::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  active_ = ComPtr<IOleInPlaceActiveObject>::Share(object);
  return S_OK;
}

// ---- IOleInPlaceFrame ----

STDMETHODIMP OleContainer::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
STDMETHODIMP OleContainer::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP OleContainer::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP OleContainer::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP OleContainer::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP OleContainer::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// ---- IOleCommandTarget ----

STDMETHODIMP OleContainer::QueryStatus(const GUID*, ULONG count, OLECMD commands[], OLECMDTEXT*) {
  if (!frame_) return OLECMDERR_E_UNKNOWNGROUP;
  if (!commands || count == 0) return E_INVALIDARG;
  commands[0].cmdf = OLECMDF_ENABLED;
  return S_OK;
}

STDMETHODIMP OleContainer::Exec(const GUID*, DWORD id, DWORD, VARIANT*, VARIANT*) {
  if (!frame_) return OLECMDERR_E_UNKNOWNGROUP;
  // Saving the document means saving it under a name the user chooses.
  return RunCommand(id == OLECMDID_SAVE ? DWORD{OLECMDID_SAVEAS} : id);
}

}  // namespace contenda
