#include "contenda/mail_merge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "contenda/tests/contenda_fixture.h"
#include "contenda/tests/word_standin.h"

namespace contenda::standins {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kDocument[] = "C:\\Cartas\\Carta.doc";
constexpr char kSource[] = "C:\\Datos\\Clientes.dbf";

std::string Omitted(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += ", -";
  return text;
}

// The calls of a merge that runs to its end, in order.
const std::string kCreate = "Word.CreateInstance()";
const std::string kHide = "Word.Visible = false";
const std::string kDocuments = "Word.Documents";
const std::string kOpen = "Word.Documents.Open(\"C:\\Cartas\\Carta.doc\"" + Omitted(11) + ")";
const std::string kMailMerge = "Word.Carta.MailMerge";
const std::string kOpenSource = "Word.Carta.MailMerge.OpenDataSource(\"C:\\Datos\\Clientes.dbf\", true" +
                                Omitted(9) + ", \"DSN=Tienda\", \"SELECT * FROM Clientes\", -)";
const std::string kDestination = "Word.Carta.MailMerge.Destination = 0";
const std::string kExecute = "Word.Carta.MailMerge.Execute(-)";
const std::string kClose = "Word.Carta.Close(-, -, -)";
const std::string kShow = "Word.Visible = true";
const std::string kActive = "Word.ActiveDocument";

class MailMergeTest : public ContendaTest {
 protected:
  // Merges with the container argument NULL: the merge needs none.
  LONG Merge(const char* document = kDocument, const char* source = kSource, LONG flag = 1,
             const char* connection = "DSN=Tienda", const char* sql = "SELECT * FROM Clientes") {
    return lib().OleContainerOpenDataSource(nullptr, document, source, flag, connection, sql);
  }
  std::vector<std::unique_ptr<WordStandin>>& Words() { return WordServer::Instance().instances(); }

  std::optional<WordServer::ProgIdScope> word_registered_{std::in_place};
};

TEST_F(MailMergeTest, MergesIntoANewDocumentOfAWordOfItsOwn) {
  EXPECT_EQ(Merge(), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre(kCreate, kHide, kDocuments, kOpen, kMailMerge, kOpenSource,
                                             kDestination, kExecute, kClose, kShow, kActive));
  ASSERT_EQ(Words().size(), 1u);
  WordStandin& word = *Words()[0];
  EXPECT_TRUE(word.visible());
  EXPECT_FALSE(word.quit());
  EXPECT_EQ(word.Find(L"Carta"), nullptr);
  EXPECT_NE(word.Find(L"Merged"), nullptr);
  EXPECT_TRUE(word.AllReleased()) << "the library kept a reference to Word";

  EXPECT_EQ(Merge(), S_OK);
  EXPECT_EQ(Words().size(), 2u);
}

TEST_F(MailMergeTest, FlagAndMissingTextsReachTheDataSource) {
  EXPECT_EQ(Merge(kDocument, "Clientes", 0, nullptr, nullptr), S_OK);
  EXPECT_THAT(Journal().CallsOf("Word.Carta.MailMerge.OpenDataSource"),
              ElementsAre("Word.Carta.MailMerge.OpenDataSource(\"Clientes\", false" + Omitted(9) +
                          ", \"\", \"\", -)"));
}

TEST_F(MailMergeTest, StopsAtTheFirstFailingStep) {
  struct Case {
    const char* failing;
    std::vector<std::string> calls;
  };
  const HRESULT kFailure = 0x800A1436;  // what Word answers for a file it cannot open
  const Case kCases[] = {
      {"Word.Documents", {kCreate, kHide, kDocuments, kShow, kActive}},
      {"Word.Documents.Open", {kCreate, kHide, kDocuments, kOpen, kShow, kActive}},
      {"Word.Carta.MailMerge", {kCreate, kHide, kDocuments, kOpen, kMailMerge, kClose, kShow, kActive}},
      {"Word.Carta.MailMerge.OpenDataSource",
       {kCreate, kHide, kDocuments, kOpen, kMailMerge, kOpenSource, kClose, kShow, kActive}},
      // Executing with another destination would send the documents to the printer.
      {"Word.Carta.MailMerge.Destination",
       {kCreate, kHide, kDocuments, kOpen, kMailMerge, kOpenSource, kDestination, kClose, kShow, kActive}},
      {"Word.Carta.MailMerge.Execute",
       {kCreate, kHide, kDocuments, kOpen, kMailMerge, kOpenSource, kDestination, kExecute, kClose,
        kShow, kActive}},
  };
  for (bool as_exception : {false, true}) {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(c.failing) + (as_exception ? " (server exception)" : ""));
      Journal().Reset();
      WordServer::Instance().Reset();
      Journal().Fail(c.failing, kFailure, as_exception);
      EXPECT_EQ(Merge(), kFailure);
      EXPECT_EQ(Journal().calls(), c.calls);
      ASSERT_EQ(Words().size(), 1u);
      EXPECT_TRUE(Words()[0]->visible());
      EXPECT_TRUE(Words()[0]->AllReleased());
    }
  }
}

TEST_F(MailMergeTest, WithoutWordAnswersWhyNot) {
  struct Case {
    const char* name;
    const char* failing;
    HRESULT failure;
    std::vector<std::string> calls;
  };
  const Case kCases[] = {
      {"cannot start", "Word.CreateInstance", CO_E_SERVER_EXEC_FAILURE, {kCreate}},
      {"not Word", "Word.QueryInterface", E_NOINTERFACE, {kCreate}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Journal().Reset();
    WordServer::Instance().Reset();
    Journal().Fail(c.failing, c.failure);
    EXPECT_EQ(Merge(), c.failure);
    EXPECT_EQ(Journal().calls(), c.calls);
  }
}

TEST_F(MailMergeTest, UnknownProgIdAnswersItsLookUp) {
  word_registered_.reset();
  CLSID unused;
  HRESULT lookup = CLSIDFromProgID(L"Word.Application", &unused);
  ASSERT_TRUE(FAILED(lookup));
  EXPECT_EQ(Merge(), lookup);
  EXPECT_THAT(Journal().calls(), IsEmpty());
  EXPECT_THAT(Words(), IsEmpty());
}

TEST_F(MailMergeTest, MissingDocumentOrSourceStartsNoWord) {
  EXPECT_EQ(Merge(nullptr, kSource), E_POINTER);
  EXPECT_EQ(Merge(kDocument, nullptr), E_POINTER);
  EXPECT_THAT(Journal().calls(), IsEmpty());
}

TEST_F(MailMergeTest, TextsCrossInTheCallersCodePage) {
  EXPECT_EQ(Merge("C:\\Cartas\\Año.doc", "Señales"), S_OK);
  EXPECT_THAT(Journal().CallsOf("Word.Documents.Open"),
              ElementsAre("Word.Documents.Open(\"C:\\Cartas\\Año.doc\"" + Omitted(11) + ")"));
  ASSERT_EQ(Words().size(), 1u);
  EXPECT_EQ(Journal().CallsOf("Word.Año.MailMerge.OpenDataSource(\"Señales\"").size(), 1u);
}

}  // namespace
}  // namespace contenda::standins
