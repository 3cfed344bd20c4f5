// Stand-in for Word's automation: the application, its documents and their mail merges.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contenda/com_ptr.h"
#include "contenda/tests/automation_standin.h"

namespace contenda::standins {

// One Word instance. Objects are named in the journal "Word", "Word.Documents",
// "Word.<document>", "Word.<document>.MailMerge" and "Word.<document>.DataSource", where a
// document's name is its file name without folder and extension; the document a merge makes
// is "Merged".
class WordStandin {
 public:
  WordStandin();
  WordStandin(const WordStandin&) = delete;
  WordStandin& operator=(const WordStandin&) = delete;

  IDispatch* application() const { return app_.Get(); }

  struct Document {
    std::wstring name;
    ComPtr<AutomationStandin> object;
    ComPtr<AutomationStandin> merge;   // empty: the document has no mail merge
    ComPtr<AutomationStandin> source;  // empty: no data source attached
    std::wstring query;                // the data source's query string
    LONG destination = -1;
    bool open = true;
  };
  // Opens a document in this Word and makes it the active one.
  Document& Open(const std::wstring& name, bool with_merge = true, bool with_source = true);
  // Closes it, as Word does when the document's window goes.
  void Close(const std::wstring& name);
  Document* Find(const std::wstring& name);
  size_t open_documents() const;

  bool visible() const { return visible_; }
  bool quit() const { return quit_; }
  // Whether every object handed out was given back: only this stand-in still holds them.
  bool AllReleased() const;

 private:
  void AddMergeMembers(Document& document);
  Document* Active() const;

  ComPtr<AutomationStandin> app_;
  ComPtr<AutomationStandin> documents_object_;
  // Every document ever opened, closed ones too: objects handed out stay answerable.
  std::vector<std::unique_ptr<Document>> documents_;
  bool visible_ = false;
  bool quit_ = false;
};

}  // namespace contenda::standins

namespace contenda::standins {

// Stand-in for Word's registration: the ProgID "Word.Application" resolves through an
// activation context of the test process, never the registry, to a class of word_standin.dll
// whose every instance is a new WordStandin. Creating one records "Word.CreateInstance()"; a planned failure of
// "Word.CreateInstance" makes creation fail.
class WordServer {
 public:
  static WordServer& Instance();
  // Once, on the test thread: makes the activation context and hands the class object to
  // word_standin.dll.
  void Register();

  // While a scope lives, the ProgID resolves on the calling thread.
  class ProgIdScope {
   public:
    ProgIdScope();
    ~ProgIdScope();
    ProgIdScope(const ProgIdScope&) = delete;
    ProgIdScope& operator=(const ProgIdScope&) = delete;

   private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
  };

  // The Word instances made so far, oldest first.
  std::vector<std::unique_ptr<WordStandin>>& instances() { return instances_; }
  // Arranges each new instance before it is handed out.
  std::function<void(WordStandin&)> on_create;
  void Reset();

 private:
  friend class ProgIdScope;
  HANDLE context_ = INVALID_HANDLE_VALUE;
  std::vector<std::unique_ptr<WordStandin>> instances_;
};

}  // namespace contenda::standins
