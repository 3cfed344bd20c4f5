#include "contenda/tests/word_standin.h"

#include <algorithm>

#include "contenda/office_ids.h"
#include "contenda/tests/call_journal.h"

namespace contenda::standins {

namespace {

std::wstring DocumentName(const std::wstring& path) {
  size_t start = path.find_last_of(L"\\/");
  std::wstring name = start == std::wstring::npos ? path : path.substr(start + 1);
  size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace

WordStandin::WordStandin()
    : app_(AutomationStandin::Create("Word", {kIidWordApplication})),
      documents_object_(AutomationStandin::Create("Word.Documents")) {
  app_->AddMember(L"Documents", 6, [this](WORD, const Arguments&, VARIANT* result) {
    SetObject(result, documents_object_.Get());
    return S_OK;
  });
  app_->AddMember(L"ActiveDocument", 3, [this](WORD, const Arguments&, VARIANT* result) {
    Document* active = Active();
    SetObject(result, active ? active->object.Get() : nullptr);
    return S_OK;
  });
  app_->AddMember(L"Visible", 23, [this](WORD flags, const Arguments& args, VARIANT* result) {
    if (flags & DISPATCH_PROPERTYPUT) {
      visible_ = V_VT(args.back()) == VT_BOOL && V_BOOL(args.back()) == VARIANT_TRUE;
    } else {
      SetBool(result, visible_);
    }
    return S_OK;
  });
  app_->AddMember(L"Quit", 1105, [this](WORD, const Arguments&, VARIANT*) {
    quit_ = true;
    return S_OK;
  });
  documents_object_->AddMember(L"Count", 2, [this](WORD, const Arguments&, VARIANT* result) {
    SetInt(result, static_cast<LONG>(open_documents()));
    return S_OK;
  });
  documents_object_->AddMember(L"Open", 19, [this](WORD, const Arguments& args, VARIANT* result) {
    if (args.empty()) return DISP_E_BADPARAMCOUNT;
    Document& document = Open(DocumentName(TextArg(*args[0])), true, false);
    SetObject(result, document.object.Get());
    return S_OK;
  });
}

WordStandin::Document& WordStandin::Open(const std::wstring& name, bool with_merge,
                                         bool with_source) {
  auto document = std::make_unique<Document>();
  Document& d = *document;
  d.name = name;
  std::string object_name = "Word." + Narrow(name);
  d.object = AutomationStandin::Create(object_name, {kIidWordDocument});
  if (with_merge) d.merge = AutomationStandin::Create(object_name + ".MailMerge");
  if (with_source) d.source = AutomationStandin::Create(object_name + ".DataSource");
  d.object->AddMember(L"MailMerge", 68, [&d](WORD, const Arguments&, VARIANT* result) {
    SetObject(result, d.merge.Get());
    return S_OK;
  });
  d.object->AddMember(L"Close", 1105, [this, name](WORD, const Arguments&, VARIANT*) {
    Close(name);
    return S_OK;
  });
  AddMergeMembers(d);
  documents_.push_back(std::move(document));
  return d;
}

void WordStandin::AddMergeMembers(Document& d) {
  auto add_source_members = [&d] {
    d.source->AddMember(L"QueryString", 3, [&d](WORD flags, const Arguments& args, VARIANT* result) {
      if (flags & DISPATCH_PROPERTYPUT) {
        d.query = TextArg(*args.back());
      } else {
        SetText(result, d.query);
      }
      return S_OK;
    });
  };
  if (d.source) add_source_members();
  if (!d.merge) return;
  d.merge->AddMember(L"DataSource", 2, [&d](WORD, const Arguments&, VARIANT* result) {
    SetObject(result, d.source.Get());
    return S_OK;
  });
  d.merge->AddMember(L"OpenDataSource", 101,
                     [&d, add_source_members](WORD, const Arguments& args, VARIANT*) {
                       if (args.size() < 13) return DISP_E_BADPARAMCOUNT;
                       if (!d.source) {
                         d.source = AutomationStandin::Create(d.object->name() + ".DataSource");
                         add_source_members();
                       }
                       d.query = TextArg(*args[12]);
                       return S_OK;
                     });
  d.merge->AddMember(L"Destination", 7, [&d](WORD flags, const Arguments& args, VARIANT* result) {
    if (flags & DISPATCH_PROPERTYPUT) {
      d.destination = IntArg(*args.back());
    } else {
      SetInt(result, d.destination);
    }
    return S_OK;
  });
  d.merge->AddMember(L"Execute", 102, [this](WORD, const Arguments&, VARIANT*) {
    Open(L"Merged", false, false);
    return S_OK;
  });
}

void WordStandin::Close(const std::wstring& name) {
  if (Document* document = Find(name)) document->open = false;
}

WordStandin::Document* WordStandin::Find(const std::wstring& name) {
  for (auto& d : documents_) {
    if (d->open && d->name == name) return d.get();
  }
  return nullptr;
}

WordStandin::Document* WordStandin::Active() const {
  for (auto it = documents_.rbegin(); it != documents_.rend(); ++it) {
    if ((*it)->open) return it->get();
  }
  return nullptr;
}

size_t WordStandin::open_documents() const {
  return static_cast<size_t>(
      std::count_if(documents_.begin(), documents_.end(), [](const auto& d) { return d->open; }));
}

bool WordStandin::AllReleased() const {
  auto held_only_here = [](const ComPtr<AutomationStandin>& object) {
    return !object || object->references() == 1;
  };
  bool released = held_only_here(app_) && held_only_here(documents_object_);
  for (const auto& d : documents_) {
    released = released && held_only_here(d->object) && held_only_here(d->merge) &&
               held_only_here(d->source);
  }
  return released;
}

}  // namespace contenda::standins

namespace contenda::standins {

namespace {

class WordFactory final : public IClassFactory {
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
    if (HRESULT hr = Journal().Record("Word.CreateInstance()"); FAILED(hr)) return hr;
    WordServer& server = WordServer::Instance();
    server.instances().push_back(std::make_unique<WordStandin>());
    WordStandin& word = *server.instances().back();
    if (server.on_create) server.on_create(word);
    return word.application()->QueryInterface(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

// Registration-free COM: the ProgID names a class of word_standin.dll, beside the test program.
constexpr char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "<assemblyIdentity type=\"win32\" name=\"Contenda.Tests.WordStandin\" version=\"1.0.0.0\"/>\n"
    "<file name=\"word_standin.dll\">\n"
    "<comClass clsid=\"{7D1E4B52-96A3-4C08-B5E1-2F6A90C3D817}\" progid=\"Word.Application\""
    " threadingModel=\"Apartment\"/>\n"
    "</file>\n"
    "</assembly>\n";

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace

WordServer& WordServer::Instance() {
  static WordServer server;
  return server;
}

void WordServer::Register() {
  static WordFactory factory;
  if (context_ != INVALID_HANDLE_VALUE) return;
  // The library COM will load, given the class object it is to hand out.
  std::wstring folder = ProgramFolder();
  HMODULE server = LoadLibraryW((folder + L"word_standin.dll").c_str());
  using SetClassObject = void(__cdecl*)(IClassFactory*);
  auto set_class_object = reinterpret_cast<SetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(server, "SetWordClassObject")));
  if (!set_class_object) return;
  set_class_object(&factory);

  // The library is looked for beside the manifest.
  std::wstring manifest = folder + L"word_standin.manifest";
  HANDLE file = CreateFileW(manifest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, kManifest, sizeof kManifest - 1, &written, nullptr);
  CloseHandle(file);
  ACTCTXW context{};
  context.cbSize = sizeof context;
  context.lpSource = manifest.c_str();
  context_ = CreateActCtxW(&context);
}

void WordServer::Reset() {
  instances_.clear();
  on_create = nullptr;
}

WordServer::ProgIdScope::ProgIdScope() {
  HANDLE context = WordServer::Instance().context_;
  active_ = context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie_);
}

WordServer::ProgIdScope::~ProgIdScope() {
  if (active_) DeactivateActCtx(0, cookie_);
}

}  // namespace contenda::standins
