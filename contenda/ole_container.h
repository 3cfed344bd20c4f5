// The container object: the site an OLE document talks back to, and the road that loads,
// runs and commands the document.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <docobj.h>

#include <string>

#include "contenda/com_ptr.h"
#include "contenda/document_holder.h"

namespace contenda {

// One object with six COM faces sharing one reference count, plus a window part that answers
// the messages of a window it is attached to. The library attaches it to none, so its window
// handle stays 0. Created by CreateOleContainer, destroyed only by OleContainerDestroy:
// Release never frees it.
class OleContainer final : public IOleClientSite,
                           public IAdviseSink,
                           public IOleInPlaceSite,
                           public IOleDocumentSite,
                           public IOleInPlaceFrame,
                           public IOleCommandTarget {
 public:
  explicit OleContainer(const DocumentCreationCalls& calls = DocumentHolder::kOleCalls);
  OleContainer(const OleContainer&) = delete;
  OleContainer& operator=(const OleContainer&) = delete;
  // Releases the view, the in-place object, the document with its storage and the active
  // object; the document is not closed.
  ~OleContainer();

  // Loads file `path`: creates the document in a new storage and opens it in its own server
  // window. Returns the failing call's code, else the result of opening it.
  HRESULT LoadDocument(const wchar_t* path);
  // Runs standard command `command` on the document. A command the document does not
  // support answers S_OK and runs nothing.
  HRESULT RunCommand(DWORD command);
  // UIActivate on the document view, then the layout; 1 when no view is held.
  HRESULT UIActivateView(BOOL activate);
  // Lays the document view out in the window's client area, less the border space.
  void Layout();

  HWND window() const { return hwnd_; }
  DocumentHolder& holder() { return holder_; }
  // Closing with no document detaches the frame: no border space, no command target.
  void DetachFrame();
  bool frame_attached() const { return frame_; }
  BORDERWIDTHS border_widths() const { return borders_; }
  // The connection text last read for the caller; valid until the next read.
  std::string& connection_text() { return connection_text_; }
  LONG reference_count() const { return refs_; }
  IOleDocumentView* document_view() const { return view_.Get(); }
  IOleInPlaceObject* in_place_object() const { return in_place_.Get(); }
  IOleInPlaceActiveObject* active_object() const { return active_.Get(); }

  // Window part. Attaching subclasses `hwnd` so its messages reach ProcessWindowMessage;
  // detaching restores the previous procedure (done by the destructor and at WM_NCDESTROY).
  bool AttachWindow(HWND hwnd);
  void DetachWindow();
  // Message map 0 is the window's own; map 1 the alternate one. Returns whether the message
  // was handled, with its result in `result`.
  bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result, DWORD map_id = 0);

  // IUnknown, shared by every face.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL show) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IAdviseSink
  STDMETHODIMP_(void) OnDataChange(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP_(void) OnViewChange(DWORD aspect, LONG index) override;
  STDMETHODIMP_(void) OnRename(IMoniker* moniker) override;
  STDMETHODIMP_(void) OnSave() override;
  STDMETHODIMP_(void) OnClose() override;

  // IOleWindow, for the in-place site and the frame alike.
  STDMETHODIMP GetWindow(HWND* hwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                LPRECT pos_rect, LPRECT clip_rect,
                                LPOLEINPLACEFRAMEINFO frame_info) override;
  STDMETHODIMP Scroll(SIZE extent) override;
  STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT pos_rect) override;

  // IOleDocumentSite
  STDMETHODIMP ActivateMe(IOleDocumentView* view) override;

  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT border) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;

  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHODIMP SetMenu(HMENU shared, HOLEMENU ole_menu, HWND active_object) override;
  STDMETHODIMP RemoveMenus(HMENU shared) override;
  STDMETHODIMP SetStatusText(LPCOLESTR text) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg, WORD id) override;

  // IOleCommandTarget
  STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD commands[],
                           OLECMDTEXT* text) override;
  STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD options, VARIANT* in,
                    VARIANT* out) override;

 private:
  IOleClientSite* client_site() { return this; }
  IOleInPlaceSite* in_place_site() { return this; }
  IOleInPlaceFrame* frame() { return this; }
  // The client area of the window; empty when there is none.
  RECT ClientArea() const;
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  // Window part.
  HWND hwnd_ = nullptr;
  WNDPROC previous_proc_ = &DefWindowProcW;

  DocumentHolder holder_;
  LONG refs_ = 0;  // plain: the container lives on one thread
  ComPtr<IOleInPlaceObject> in_place_;
  ComPtr<IOleDocumentView> view_;
  ComPtr<IOleInPlaceActiveObject> active_;
  BORDERWIDTHS borders_{};
  bool frame_ = true;
  std::string connection_text_;
};

}  // namespace contenda
