#include "contenda/ole_container.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <functional>
#include <memory>

#include "contenda/office_automation.h"
#include "contenda/tests/automation_standin.h"
#include "contenda/tests/call_journal.h"
#include "contenda/tests/ole_document_standin.h"

namespace contenda {
namespace {

using standins::DocumentServer;
using standins::Journal;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

LONG References(IUnknown* object) {
  object->AddRef();
  return static_cast<LONG>(object->Release());
}

// A window for the container's window part: WM_CREATE sent later answers 77, and every
// message reaching this procedure is counted.
struct TestWindow {
  static inline int messages = 0;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    ++messages;
    if (message == WM_CREATE && lparam == 0) return 77;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  TestWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ContendaTestWindow";
    RegisterClassW(&wc);
    parent = CreateWindowW(L"ContendaTestWindow", L"Contenda", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                           nullptr, nullptr, wc.hInstance, nullptr);
    child = CreateWindowW(L"ContendaTestWindow", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, parent,
                          nullptr, wc.hInstance, nullptr);
  }
  ~TestWindow() { DestroyWindow(parent); }
  HWND parent = nullptr;
  HWND child = nullptr;
};

class OleContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Journal().Reset();
    DocumentServer::Instance().Reset();
  }
  void TearDown() override {
    container_.reset();
    DocumentServer::Instance().Reset();
    Journal().Reset();
  }
  void Load() {
    std::wstring path = DocumentServer::Instance().WriteDocumentFile(L"Informe.doc");
    ASSERT_EQ(container_->LoadDocument(path.c_str()), S_OK);
    Journal().Reset();
  }
  IOleInPlaceFrame* frame() { return container_.get(); }
  IOleInPlaceSite* site() { return container_.get(); }
  IOleCommandTarget* target() { return container_.get(); }

  std::unique_ptr<OleContainer> container_ = std::make_unique<OleContainer>();
};

// ---- COM faces ----

TEST_F(OleContainerTest, QueryInterfaceAnswersEachFaceAndRaisesTheCount) {
  OleContainer* c = container_.get();
  struct Case {
    const char* name;
    IID iid;
    void* face;
  };
  const Case kCases[] = {
      {"IUnknown", IID_IUnknown, static_cast<IOleClientSite*>(c)},
      {"IOleClientSite", IID_IOleClientSite, static_cast<IOleClientSite*>(c)},
      {"IAdviseSink", IID_IAdviseSink, static_cast<IAdviseSink*>(c)},
      {"IOleWindow", IID_IOleWindow, static_cast<IOleInPlaceSite*>(c)},
      {"IOleInPlaceSite", IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(c)},
      {"IOleDocumentSite", IID_IOleDocumentSite, static_cast<IOleDocumentSite*>(c)},
      {"IOleInPlaceFrame", IID_IOleInPlaceFrame, static_cast<IOleInPlaceFrame*>(c)},
      {"IOleCommandTarget", IID_IOleCommandTarget, static_cast<IOleCommandTarget*>(c)},
  };
  LONG count = 0;
  for (const Case& k : kCases) {
    SCOPED_TRACE(k.name);
    void* out = nullptr;
    // Asked through a face other than the first, to see all faces share one identity.
    EXPECT_EQ(static_cast<IOleCommandTarget*>(c)->QueryInterface(k.iid, &out), S_OK);
    EXPECT_EQ(out, k.face);
    EXPECT_EQ(c->reference_count(), ++count);
  }
  for (const IID& refused : {IID_IOleInPlaceUIWindow, IID_IDispatch, IID_IOleObject}) {
    void* out = c;
    EXPECT_EQ(c->QueryInterface(refused, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(c->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(c->reference_count(), count);
}

TEST_F(OleContainerTest, ReleaseNeverFreesTheContainer) {
  IAdviseSink* sink = container_.get();
  EXPECT_EQ(sink->AddRef(), 1u);
  EXPECT_EQ(sink->Release(), 0u);
  EXPECT_EQ(static_cast<LONG>(sink->Release()), -1);
  HWND hwnd = reinterpret_cast<HWND>(1);
  EXPECT_EQ(site()->GetWindow(&hwnd), S_OK);
  EXPECT_EQ(hwnd, nullptr);
}

TEST_F(OleContainerTest, SiteAndFrameAnswers) {
  OleContainer& c = *container_;
  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  IOleContainer* ole_container = reinterpret_cast<IOleContainer*>(1);
  OLEMENUGROUPWIDTHS widths{};
  MSG msg{};
  struct Case {
    const char* name;
    std::function<HRESULT()> call;
    HRESULT expected;
  };
  const Case kCases[] = {
      {"SaveObject", [&] { return c.SaveObject(); }, S_OK},
      {"ShowObject", [&] { return c.ShowObject(); }, S_OK},
      {"OnShowWindow", [&] { return c.OnShowWindow(TRUE); }, S_OK},
      {"RequestNewObjectLayout", [&] { return c.RequestNewObjectLayout(); }, S_OK},
      {"GetMoniker", [&] { return c.GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJREL, &moniker); }, E_NOTIMPL},
      {"GetContainer", [&] { return c.GetContainer(&ole_container); }, E_NOINTERFACE},
      {"ContextSensitiveHelp", [&] { return c.ContextSensitiveHelp(TRUE); }, S_OK},
      {"CanInPlaceActivate", [&] { return c.CanInPlaceActivate(); }, S_OK},
      {"OnUIActivate", [&] { return c.OnUIActivate(); }, S_OK},
      {"OnUIDeactivate", [&] { return c.OnUIDeactivate(FALSE); }, S_OK},
      {"Scroll", [&] { return c.Scroll(SIZE{1, 1}); }, E_NOTIMPL},
      {"DiscardUndoState", [&] { return c.DiscardUndoState(); }, E_NOTIMPL},
      {"OnPosRectChange", [&] { return c.OnPosRectChange(nullptr); }, E_NOTIMPL},
      {"RequestBorderSpace", [&] { return c.RequestBorderSpace(nullptr); }, S_OK},
      {"InsertMenus", [&] { return c.InsertMenus(nullptr, &widths); }, S_OK},
      {"SetMenu", [&] { return c.SetMenu(nullptr, nullptr, nullptr); }, S_OK},
      {"RemoveMenus", [&] { return c.RemoveMenus(nullptr); }, S_OK},
      {"SetStatusText", [&] { return c.SetStatusText(L"Listo"); }, S_OK},
      {"EnableModeless", [&] { return c.EnableModeless(TRUE); }, S_OK},
      {"TranslateAccelerator", [&] { return frame()->TranslateAccelerator(&msg, 0); }, S_FALSE},
  };
  for (const Case& k : kCases) EXPECT_EQ(k.call(), k.expected) << k.name;
  EXPECT_EQ(moniker, nullptr);
  EXPECT_EQ(ole_container, nullptr);
  // The advise sink takes notifications and does nothing with them.
  IAdviseSink* sink = container_.get();
  sink->OnDataChange(nullptr, nullptr);
  sink->OnViewChange(DVASPECT_CONTENT, -1);
  sink->OnRename(nullptr);
  sink->OnSave();
  sink->OnClose();
  EXPECT_THAT(Journal().calls(), IsEmpty());
}

TEST_F(OleContainerTest, WindowContextWithoutAWindowIsEmpty) {
  IOleInPlaceFrame* frame_out = nullptr;
  IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
  RECT pos{1, 2, 3, 4}, clip{5, 6, 7, 8};
  OLEINPLACEFRAMEINFO info{};
  info.haccel = reinterpret_cast<HACCEL>(1);
  info.cAccelEntries = 9;
  EXPECT_EQ(site()->GetWindowContext(&frame_out, &doc, &pos, &clip, &info), S_OK);
  EXPECT_EQ(frame_out, frame());
  EXPECT_EQ(container_->reference_count(), 1) << "the frame handed out is counted";
  EXPECT_EQ(doc, nullptr);
  EXPECT_THAT(Edges(pos), ElementsAre(0, 0, 0, 0));
  EXPECT_THAT(Edges(clip), ElementsAre(0, 0, 0, 0));
  EXPECT_EQ(info.cb, sizeof(OLEINPLACEFRAMEINFO));
  EXPECT_TRUE(info.fMDIApp);
  EXPECT_EQ(info.hwndFrame, nullptr);
  EXPECT_EQ(info.haccel, nullptr);
  EXPECT_EQ(info.cAccelEntries, 0u);
  // Every out pointer may be missing.
  EXPECT_EQ(site()->GetWindowContext(nullptr, nullptr, &pos, nullptr, nullptr), S_OK);
  EXPECT_EQ(site()->GetWindowContext(nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
}

TEST_F(OleContainerTest, BordersAndLayoutFollowTheWindow) {
  TestWindow window;
  ASSERT_TRUE(container_->AttachWindow(window.child));
  IOleDocumentView* view = standins::NewDocumentView();
  ASSERT_EQ(container_->ActivateMe(view), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("View.SetInPlaceSite", "View.UIActivate(true)",
                                             "View.GetInPlaceSite", "View.SetRect(0, 0, 300, 200)",
                                             "View.Show(true)"));
  HWND hwnd = nullptr;
  EXPECT_EQ(frame()->GetWindow(&hwnd), S_OK);
  EXPECT_EQ(hwnd, window.child);
  RECT border{};
  EXPECT_EQ(frame()->GetBorder(&border), S_OK);
  EXPECT_THAT(Edges(border), ElementsAre(0, 0, 300, 200));
  RECT pos{}, clip{};
  OLEINPLACEFRAMEINFO info{};
  EXPECT_EQ(site()->GetWindowContext(nullptr, nullptr, &pos, &clip, &info), S_OK);
  EXPECT_THAT(Edges(clip), ElementsAre(0, 0, 300, 200));
  EXPECT_EQ(info.hwndFrame, window.child);

  Journal().Reset();
  BORDERWIDTHS widths{10, 20, 30, 40};
  EXPECT_EQ(frame()->SetBorderSpace(&widths), S_OK);
  EXPECT_EQ(frame()->SetBorderSpace(nullptr), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("View.SetRect(10, 20, 270, 160)", "View.SetRect(0, 0, 300, 200)"));

  // A detached frame keeps no border space and lends none.
  container_->DetachFrame();
  Journal().Reset();
  EXPECT_EQ(frame()->SetBorderSpace(&widths), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("View.SetRect(0, 0, 300, 200)"));
  EXPECT_EQ(frame()->GetBorder(&border), INPLACE_E_NOTOOLSPACE);
  EXPECT_EQ(frame()->GetBorder(nullptr), E_INVALIDARG);

  container_.reset();
  EXPECT_EQ(References(view), 1) << "the container kept the view";
  view->Release();
}

TEST_F(OleContainerTest, BordersWiderThanTheAreaLeaveItEmpty) {
  IOleDocumentView* view = standins::NewDocumentView();
  ASSERT_EQ(container_->ActivateMe(view), S_OK);
  Journal().Reset();
  BORDERWIDTHS widths{5, 6, 7, 8};
  EXPECT_EQ(frame()->SetBorderSpace(&widths), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("View.SetRect(5, 6, 5, 6)"));
  EXPECT_EQ(container_->border_widths().bottom, 8);
  view->Release();
}

TEST_F(OleContainerTest, ActivationMakesTheDocumentsOwnViewWhenGivenNone) {
  EXPECT_EQ(container_->ActivateMe(nullptr), E_FAIL) << "no document";
  Load();
  EXPECT_EQ(container_->ActivateMe(nullptr), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.CreateView", "View.SetInPlaceSite",
                                             "View.UIActivate(true)", "View.GetInPlaceSite",
                                             "View.SetRect(0, 0, 0, 0)", "View.Show(true)"));
  EXPECT_NE(container_->document_view(), nullptr);

  struct Case {
    const char* failing;
    HRESULT expected;
  };
  const Case kCases[] = {
      {"Document.QueryInterface(IOleDocument)", E_FAIL},
      {"Document.CreateView", E_OUTOFMEMORY},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.failing);
    Journal().Reset();
    Journal().Fail(c.failing, E_UNEXPECTED);
    EXPECT_EQ(container_->ActivateMe(nullptr), c.expected);
    EXPECT_THAT(Journal().CallsOf("View"), IsEmpty());
  }
}

TEST_F(OleContainerTest, UIActivateViewRunsTheLayoutAfterward) {
  EXPECT_EQ(container_->UIActivateView(TRUE), 1) << "no view yet";
  IOleDocumentView* view = standins::NewDocumentView();
  ASSERT_EQ(container_->ActivateMe(view), S_OK);
  Journal().Reset();
  EXPECT_EQ(container_->UIActivateView(FALSE), S_OK);
  Journal().Fail("View.UIActivate", E_UNEXPECTED);
  EXPECT_EQ(container_->UIActivateView(TRUE), E_UNEXPECTED);
  EXPECT_THAT(Journal().calls(), ElementsAre("View.UIActivate(false)", "View.SetRect(0, 0, 0, 0)",
                                             "View.UIActivate(true)", "View.SetRect(0, 0, 0, 0)"));
  view->Release();
}

TEST_F(OleContainerTest, InPlaceActivationHoldsTheDocumentsInPlaceObject) {
  // Without a document there is nothing to hold or to tell.
  EXPECT_EQ(site()->OnInPlaceActivate(), S_OK);
  EXPECT_EQ(site()->DeactivateAndUndo(), S_OK);
  EXPECT_EQ(site()->OnInPlaceDeactivate(), S_OK);
  EXPECT_EQ(container_->in_place_object(), nullptr);
  EXPECT_THAT(Journal().calls(), IsEmpty());

  Load();
  EXPECT_EQ(site()->OnInPlaceActivate(), S_OK);
  EXPECT_NE(container_->in_place_object(), nullptr);
  EXPECT_EQ(site()->DeactivateAndUndo(), S_OK);
  EXPECT_EQ(site()->OnInPlaceDeactivate(), S_OK);
  EXPECT_EQ(container_->in_place_object(), nullptr);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.InPlaceDeactivate()", "Document.DoVerb(-6, site)"));
}

TEST_F(OleContainerTest, ActiveObjectIsCountedReplacedAndReleased) {
  Load();
  IOleInPlaceActiveObject* active = nullptr;
  ASSERT_EQ(container_->holder().document()->QueryInterface(IID_IOleInPlaceActiveObject,
                                                            reinterpret_cast<void**>(&active)), S_OK);
  LONG before = References(active);
  EXPECT_EQ(frame()->SetActiveObject(active, L"Informe"), S_OK);
  EXPECT_EQ(References(active), before + 1);
  EXPECT_EQ(frame()->SetActiveObject(active, L"Informe"), S_OK);
  EXPECT_EQ(References(active), before + 1);
  EXPECT_EQ(frame()->SetActiveObject(nullptr, nullptr), S_OK);
  EXPECT_EQ(References(active), before);
  EXPECT_EQ(container_->active_object(), nullptr);

  EXPECT_EQ(frame()->SetActiveObject(active, L"Informe"), S_OK);
  container_.reset();
  active->Release();
  EXPECT_EQ(DocumentServer::live_documents(), 0) << "destroying the container kept the active object";
}

TEST_F(OleContainerTest, SizeResizesTheActiveObjectsBorder) {
  Load();
  IOleInPlaceActiveObject* active = nullptr;
  ASSERT_EQ(container_->holder().document()->QueryInterface(IID_IOleInPlaceActiveObject,
                                                            reinterpret_cast<void**>(&active)), S_OK);
  frame()->SetActiveObject(active, nullptr);
  active->Release();
  IOleDocumentView* view = standins::NewDocumentView();
  container_->ActivateMe(view);
  Journal().Reset();

  LRESULT result = -1;
  EXPECT_TRUE(container_->ProcessWindowMessage(nullptr, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200), result));
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(container_->ProcessWindowMessage(nullptr, WM_SIZE, SIZE_RESTORED, MAKELPARAM(0xFFFF, 0x8000), result));
  container_->DetachFrame();
  EXPECT_TRUE(container_->ProcessWindowMessage(nullptr, WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 20), result));
  EXPECT_THAT(Journal().calls(),
              ElementsAre("Document.ResizeBorder(0, 0, 300, 200, true)", "View.SetRect(0, 0, 0, 0)",
                          "Document.ResizeBorder(0, 0, -1, -32768, true)", "View.SetRect(0, 0, 0, 0)",
                          "Document.ResizeBorder(0, 0, 10, 20, false)", "View.SetRect(0, 0, 0, 0)"));
  view->Release();
}

TEST_F(OleContainerTest, MdiActivationTellsTheDocument) {
  TestWindow window;
  LRESULT result = -1;
  EXPECT_TRUE(container_->ProcessWindowMessage(nullptr, WM_MDIACTIVATE, 0, 0, result, 1));
  EXPECT_EQ(result, 1) << "no document";
  EXPECT_FALSE(container_->ProcessWindowMessage(nullptr, WM_MDIACTIVATE, 0, 0, result, 0));

  Load();
  ASSERT_TRUE(container_->AttachWindow(window.child));
  auto parent = reinterpret_cast<WPARAM>(window.parent);
  EXPECT_TRUE(container_->ProcessWindowMessage(window.child, WM_MDIACTIVATE, parent, 0, result, 1));
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(container_->ProcessWindowMessage(window.child, WM_MDIACTIVATE, 0, parent, result, 1));
  Journal().Fail("Document.QueryInterface(IOleInPlaceActiveObject)", E_NOINTERFACE);
  EXPECT_TRUE(container_->ProcessWindowMessage(window.child, WM_MDIACTIVATE, 0, parent, result, 1));
  EXPECT_EQ(result, 0);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.OnDocWindowActivate(false)",
                                             "Document.OnDocWindowActivate(true)"));
}

TEST_F(OleContainerTest, DroppedFileIsLoaded) {
  std::wstring path = DocumentServer::Instance().WriteDocumentFile(L"Soltado.doc");
  size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
  GlobalUnlock(memory);

  LRESULT result = -1;
  EXPECT_TRUE(container_->ProcessWindowMessage(nullptr, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0, result));
  EXPECT_EQ(result, 0);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.Load(\"" + standins::Narrow(path) + "\")",
                                             "Document.DoVerb(-2)"));
  EXPECT_EQ(DocumentServer::live_documents(), 1);
}

TEST_F(OleContainerTest, OtherMessagesGoToTheWindowsOwnProcedure) {
  TestWindow window;
  auto original = GetWindowLongPtrW(window.child, GWLP_WNDPROC);
  ASSERT_TRUE(container_->AttachWindow(window.child));
  EXPECT_FALSE(container_->AttachWindow(window.child)) << "already attached";
  TestWindow::messages = 0;
  EXPECT_EQ(SendMessageW(window.child, WM_CREATE, 0, 0), 77);
  SendMessageW(window.child, WM_USER + 5, 0, 0);
  EXPECT_EQ(TestWindow::messages, 2);
  LRESULT result = 0;
  EXPECT_FALSE(container_->ProcessWindowMessage(window.child, WM_PAINT, 0, 0, result));
  container_->DetachWindow();
  EXPECT_EQ(GetWindowLongPtrW(window.child, GWLP_WNDPROC), original);
  EXPECT_EQ(container_->window(), nullptr);
}

TEST_F(OleContainerTest, WindowGoingAwayDetachesTheContainer) {
  {
    TestWindow window;
    ASSERT_TRUE(container_->AttachWindow(window.child));
  }
  EXPECT_EQ(container_->window(), nullptr);
}

// ---- Command target ----

TEST_F(OleContainerTest, CommandTargetRunsTheDocumentsCommands) {
  OLECMD commands[2] = {{OLECMDID_PRINT, 0}, {OLECMDID_COPY, 0}};
  EXPECT_EQ(target()->QueryStatus(nullptr, 2, commands, nullptr), S_OK);
  EXPECT_EQ(commands[0].cmdf, static_cast<DWORD>(OLECMDF_ENABLED));
  EXPECT_EQ(commands[1].cmdf, 0u);
  EXPECT_EQ(target()->QueryStatus(nullptr, 0, commands, nullptr), E_INVALIDARG);
  EXPECT_EQ(target()->QueryStatus(nullptr, 1, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(target()->Exec(nullptr, OLECMDID_PRINT, 0, nullptr, nullptr), OLE_E_BLANK);

  Load();
  DocumentServer::Instance().behaviour().supported_commands = {OLECMDID_SAVEAS, OLECMDID_PRINT};
  EXPECT_EQ(target()->Exec(nullptr, OLECMDID_SAVE, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(target()->Exec(nullptr, OLECMDID_PRINT, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(target()->Exec(nullptr, OLECMDID_COPY, 0, nullptr, nullptr), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.QueryStatus(4)", "Document.Exec(4, 1)",
                                             "Document.QueryStatus(6)", "Document.Exec(6, 1)",
                                             "Document.QueryStatus(12)"));
}

TEST_F(OleContainerTest, ClosingWithoutADocumentDetachesTheFrame) {
  BORDERWIDTHS widths{1, 2, 3, 4};
  frame()->SetBorderSpace(&widths);
  EXPECT_EQ(CloseDocument(*container_), S_OK);
  EXPECT_FALSE(container_->frame_attached());
  EXPECT_EQ(container_->border_widths().left, 0);
  EXPECT_EQ(container_->border_widths().bottom, 0);
  OLECMD command{OLECMDID_PRINT, 0};
  RECT border;
  EXPECT_EQ(target()->QueryStatus(nullptr, 1, &command, nullptr), OLECMDERR_E_UNKNOWNGROUP);
  EXPECT_EQ(target()->Exec(nullptr, OLECMDID_SAVE, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);
  EXPECT_EQ(frame()->GetBorder(&border), INPLACE_E_NOTOOLSPACE);

  // A document loaded afterwards gets no command target back: only construction sets it.
  Load();
  EXPECT_EQ(target()->Exec(nullptr, OLECMDID_SAVE, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);
}

TEST_F(OleContainerTest, DestroyingReleasesEverythingHeld) {
  Load();
  ASSERT_EQ(container_->ActivateMe(nullptr), S_OK);
  ASSERT_EQ(site()->OnInPlaceActivate(), S_OK);
  container_.reset();
  EXPECT_EQ(DocumentServer::live_documents(), 0);
  EXPECT_THAT(Journal().CallsOf("Document.Close"), IsEmpty());
}

}  // namespace
}  // namespace contenda
