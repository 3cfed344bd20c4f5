// Test fixture for Contenda through its exports: a fresh container, a clean journal and
// stand-ins with their default behaviour.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "contenda/tests/automation_standin.h"
#include "contenda/tests/call_journal.h"
#include "contenda/tests/contenda_library.h"
#include "contenda/tests/ole_document_standin.h"
#include "contenda/tests/word_standin.h"

namespace contenda::standins {

class ContendaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Journal().Reset();
    DocumentServer::Instance().Reset();
    WordServer::Instance().Reset();
    ASSERT_NE(Contenda().module(), nullptr) << "Contenda.dll does not load";
    container_ = lib().CreateOleContainer();
    ASSERT_NE(container_, nullptr);
  }
  void TearDown() override {
    lib().OleContainerDestroy(container_);
    DocumentServer::Instance().Reset();
    WordServer::Instance().Reset();
    Journal().Reset();
  }

  static ContendaLibrary& lib() { return Contenda(); }
  DocumentBehaviour& document() { return DocumentServer::Instance().behaviour(); }

  // A document file of the stand-in server, by its ANSI path as callers pass it.
  static std::string DocumentFile(const std::wstring& name = L"Informe.doc") {
    return Narrow(DocumentServer::Instance().WriteDocumentFile(name));
  }
  // Loads a document into the container and forgets the calls loading made.
  void LoadDocument(const std::wstring& name = L"Informe.doc") {
    ASSERT_EQ(lib().OleContainerLoadDoc(container_, DocumentFile(name).c_str()), S_OK);
    Journal().Reset();
  }
  // Documents of the stand-in server still referenced by anyone.
  static LONG LiveDocuments() { return DocumentServer::live_documents(); }

  ContendaContainer* container_ = nullptr;
};

}  // namespace contenda::standins
