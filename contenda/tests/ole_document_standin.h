// Stand-in for the OLE server of the documents the container loads.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <docobj.h>

#include <functional>
#include <string>
#include <vector>

namespace contenda::standins {

// What the stand-in documents do; tests arrange it before loading.
struct DocumentBehaviour {
  // What the document's Application property answers; empty by default.
  std::function<void(VARIANT* result)> application;
  bool scriptable = true;      // answers IDispatch
  bool command_target = true;  // answers IOleCommandTarget
  bool has_views = true;       // answers IOleDocument
  std::vector<DWORD> supported_commands;
  // Runs when the document is closed, after it recorded the call.
  std::function<void()> on_close;
};

// The server: a class registered in the test process, never in the registry, for the
// document files that WriteDocumentFile makes. Its documents record as "Document" and its
// views as "View":
//   Document.Load("<path>")            the file is opened (IPersistFile)
//   Document.DoVerb(<verb>[, site][, hwnd])
//   Document.Close(<option>)
//   Document.Application               read through IDispatch
//   Document.QueryStatus(<command>)    Document.Exec(<command>, <option>)
//   Document.CreateView   Document.InPlaceDeactivate()   Document.OnDocWindowActivate(true)
//   Document.ResizeBorder(<left>, <top>, <right>, <bottom>, <frame>)
//   View.SetInPlaceSite   View.GetInPlaceSite   View.UIActivate(<flag>)
//   View.SetRect(<left>, <top>, <right>, <bottom>)   View.Show(<flag>)
// Planned failures of "Document.QueryInterface(<interface>)" make the documents refuse that
// interface (IDispatch, IOleCommandTarget, IOleDocument, IOleInPlaceObject,
// IOleInPlaceActiveObject).
class DocumentServer {
 public:
  static DocumentServer& Instance();
  // Registers the document class with COM in this process. Call once, on the test thread.
  void Register();
  // Makes a document file of the stand-in's class in the temporary folder; returns its path.
  std::wstring WriteDocumentFile(const std::wstring& name);

  DocumentBehaviour& behaviour() { return behaviour_; }
  // Restores the default behaviour.
  void Reset() { behaviour_ = DocumentBehaviour{}; }
  // Documents alive now: 0 when all the documents made were released.
  static LONG live_documents();

  static const CLSID kDocumentClass;

 private:
  DocumentBehaviour behaviour_;
  DWORD cookie_ = 0;
};

// A document view for tests of the document site.
IOleDocumentView* NewDocumentView();

}  // namespace contenda::standins
