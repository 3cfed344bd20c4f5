#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <thread>

#include "contenda/tests/contenda_fixture.h"

namespace contenda::standins {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ContendaExports, EveryExportHasItsNameAndOrdinal) {
  struct Export {
    const char* name;
    WORD ordinal;
  };
  const Export kExports[] = {
      {"CreateOleContainer", 1},
      {"GetOleContainerHwnd", 2},
      {"OleContainerLoadDoc", 3},
      {"OleContainerCloseDoc", 4},
      {"OleContainerDestroy", 5},
      {"OleContainerOnFocus", 6},
      {"OleContainerOnCommand", 7},
      {"OleContainerUIActivateView", 8},
      {"OleContainerPutNewConnectionString", 9},
      {"OleContainerGetNewConnectionString", 10},
      {"OleContainerOpenDataSource", 11},
      {"OleContainerRefresh", 12},
  };
  HMODULE module = Contenda().module();
  ASSERT_NE(module, nullptr);
  for (const Export& e : kExports) {
    FARPROC by_name = GetProcAddress(module, e.name);
    EXPECT_NE(by_name, nullptr) << e.name;
    EXPECT_EQ(by_name, GetProcAddress(module, MAKEINTRESOURCEA(e.ordinal))) << e.name;
  }
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(13)), nullptr);
}

// S_OK or S_FALSE when COM is initialised on this thread, CO_E_NOTINITIALIZED when not.
HRESULT ComState() {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  return CoGetApartmentType(&type, &qualifier);
}

TEST(ContendaExports, ComIsInitialisedAtProcessAndThreadAttachOnly) {
  ASSERT_NE(Contenda().module(), nullptr);
  // A thread started while the library is loaded has its apartment from the start.
  HRESULT in_new_thread = E_FAIL;
  std::thread([&] { in_new_thread = ComState(); }).join();
  EXPECT_EQ(in_new_thread, S_OK);

  // A second copy of the library, loaded and freed on a thread of its own: loading
  // initialises COM there once, and freeing it does not initialise it again.
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring copy = std::wstring(folder) + L"ContendaCopy.dll";
  ASSERT_TRUE(CopyFileW((ContendaLibrary::Folder() + L"Contenda.dll").c_str(), copy.c_str(), FALSE));
  HRESULT before = S_OK, loaded = E_FAIL, after_free = S_OK;
  std::thread([&] {
    CoUninitialize();  // the apartment the first copy gave this thread
    before = ComState();
    HMODULE module = LoadLibraryW(copy.c_str());
    loaded = ComState();
    FreeLibrary(module);
    CoUninitialize();  // balances the one the copy made at its attach
    after_free = ComState();
  }).join();
  DeleteFileW(copy.c_str());
  EXPECT_EQ(before, CO_E_NOTINITIALIZED);
  EXPECT_EQ(loaded, S_OK);
  EXPECT_EQ(after_free, CO_E_NOTINITIALIZED) << "the library initialised COM when it was freed";
}

TEST(ContendaExports, NullContainerAnswersWithoutBeingRead) {
  ContendaLibrary& lib = Contenda();
  ASSERT_NE(lib.module(), nullptr);
  EXPECT_EQ(lib.GetOleContainerHwnd(nullptr), nullptr);
  EXPECT_EQ(lib.OleContainerLoadDoc(nullptr, "C:\\Informe.doc"), E_POINTER);
  EXPECT_EQ(lib.OleContainerCloseDoc(nullptr), E_POINTER);
  EXPECT_EQ(lib.OleContainerOnFocus(nullptr), 0);
  EXPECT_EQ(lib.OleContainerOnCommand(nullptr, OLECMDID_PRINT), E_POINTER);
  EXPECT_EQ(lib.OleContainerUIActivateView(nullptr, TRUE), E_POINTER);
  EXPECT_EQ(lib.OleContainerPutNewConnectionString(nullptr, "DSN=Tienda"), E_POINTER);
  EXPECT_STREQ(lib.OleContainerGetNewConnectionString(nullptr), "");
  EXPECT_EQ(lib.OleContainerRefresh(nullptr), E_POINTER);
  lib.OleContainerDestroy(nullptr);
}

using ContainerTest = ContendaTest;

TEST_F(ContainerTest, EmptyContainerAnswers) {
  EXPECT_EQ(lib().GetOleContainerHwnd(container_), nullptr);
  EXPECT_EQ(lib().OleContainerOnFocus(container_), 0);
  EXPECT_EQ(lib().OleContainerUIActivateView(container_, TRUE), 1);
  EXPECT_EQ(lib().OleContainerOnCommand(container_, OLECMDID_PRINT), OLE_E_BLANK);
  EXPECT_STREQ(lib().OleContainerGetNewConnectionString(container_), "");
  EXPECT_EQ(lib().OleContainerPutNewConnectionString(container_, "DSN=Tienda"), S_OK);
  EXPECT_EQ(lib().OleContainerRefresh(container_), 1);
  EXPECT_EQ(lib().OleContainerCloseDoc(container_), S_OK);
  EXPECT_EQ(lib().OleContainerLoadDoc(container_, nullptr), E_POINTER);
  EXPECT_EQ(lib().OleContainerPutNewConnectionString(container_, nullptr), E_POINTER);
  EXPECT_THAT(Journal().calls(), IsEmpty());
}

TEST_F(ContainerTest, LoadOpensTheDocumentInItsOwnServerWindow) {
  std::string path = DocumentFile();
  EXPECT_EQ(lib().OleContainerLoadDoc(container_, path.c_str()), S_OK);
  // Opened with OLEIVERB_OPEN, without a site or a parent window.
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.Load(\"" + path + "\")", "Document.DoVerb(-2)"));
  EXPECT_EQ(LiveDocuments(), 1);
  EXPECT_EQ(lib().GetOleContainerHwnd(container_), nullptr);

  Journal().Reset();
  EXPECT_EQ(lib().OleContainerCloseDoc(container_), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.Application", "Document.Close(1)"));
  EXPECT_EQ(LiveDocuments(), 0);
}

TEST_F(ContainerTest, FailedLoadLeavesTheContainerEmpty) {
  struct Case {
    const char* failing;  // planned failure, or null for a missing file
    HRESULT hr;
    bool closed;  // the document was made, so it is closed again
  };
  const Case kCases[] = {
      {nullptr, 0, false},
      {"Document.CreateInstance", CO_E_SERVER_EXEC_FAILURE, false},
      {"Document.Load", STG_E_SHAREVIOLATION, false},
      {"Document.DoVerb", OLE_E_CANT_BINDTOSOURCE, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.failing ? c.failing : "missing file");
    Journal().Reset();
    std::string path = DocumentFile();
    if (c.failing) {
      Journal().Fail(c.failing, c.hr);
    } else {
      path = "C:\\no existe\\Informe.doc";
    }
    HRESULT hr = lib().OleContainerLoadDoc(container_, path.c_str());
    EXPECT_TRUE(FAILED(hr));
    if (c.failing) {
      EXPECT_EQ(hr, c.hr);
    }
    EXPECT_EQ(Journal().CallsOf("Document.Close").size(), c.closed ? 1u : 0u);
    EXPECT_EQ(LiveDocuments(), 0);
  }
  // Nothing is held: commands find no document.
  EXPECT_EQ(lib().OleContainerOnCommand(container_, OLECMDID_PRINT), OLE_E_BLANK);
}

TEST_F(ContainerTest, SecondLoadReleasesTheFirstDocument) {
  LoadDocument(L"Primero.doc");
  LoadDocument(L"Segundo.doc");
  EXPECT_EQ(LiveDocuments(), 1);
  EXPECT_EQ(lib().OleContainerCloseDoc(container_), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.Application", "Document.Close(1)"));
  EXPECT_EQ(LiveDocuments(), 0);
}

TEST_F(ContainerTest, DestroyReleasesTheDocumentWithoutClosingIt) {
  LoadDocument();
  lib().OleContainerDestroy(container_);
  container_ = nullptr;
  EXPECT_THAT(Journal().calls(), IsEmpty());
  EXPECT_EQ(LiveDocuments(), 0);
}

TEST_F(ContainerTest, CommandsRunOnlyWhenTheDocumentSupportsThem) {
  struct Case {
    const char* name;
    bool supported;
    const char* failing;
    HRESULT failure;
    HRESULT expected;
    std::vector<std::string> calls;
  };
  const Case kCases[] = {
      {"supported", true, nullptr, 0, S_OK, {"Document.QueryStatus(6)", "Document.Exec(6, 1)"}},
      {"unsupported reports success", false, nullptr, 0, S_OK, {"Document.QueryStatus(6)"}},
      {"status refused", true, "Document.QueryStatus", E_UNEXPECTED, S_OK, {"Document.QueryStatus(6)"}},
      {"no command target", true, "Document.QueryInterface(IOleCommandTarget)", E_NOINTERFACE,
       E_NOINTERFACE, {}},
      {"command fails", true, "Document.Exec", OLECMDERR_E_CANCELED, OLECMDERR_E_CANCELED,
       {"Document.QueryStatus(6)", "Document.Exec(6, 1)"}},
  };
  LoadDocument();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Journal().Reset();
    document().supported_commands = c.supported ? std::vector<DWORD>{OLECMDID_PRINT} : std::vector<DWORD>{};
    if (c.failing) Journal().Fail(c.failing, c.failure);
    EXPECT_EQ(lib().OleContainerOnCommand(container_, OLECMDID_PRINT), c.expected);
    EXPECT_EQ(Journal().calls(), c.calls);
  }
}

}  // namespace
}  // namespace contenda::standins
