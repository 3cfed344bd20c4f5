#include "contenda/office_automation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "contenda/tests/contenda_fixture.h"
#include "contenda/tests/excel_standin.h"
#include "contenda/tests/word_standin.h"

namespace contenda::standins {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A loaded document whose application is a Word or an Excel stand-in.
class AutomationTest : public ContendaTest {
 protected:
  // The loaded document is Word's "Informe"; closing it closes it in Word.
  void UseWord() {
    document().application = [this](VARIANT* result) { SetObject(result, word_.application()); };
    document().on_close = [this] { word_.Close(L"Informe"); };
    word_.Open(L"Informe");
  }
  void UseExcel() {
    document().application = [this](VARIANT* result) { SetObject(result, excel_.application()); };
  }
  LONG Close() { return lib().OleContainerCloseDoc(container_); }
  LONG Refresh() { return lib().OleContainerRefresh(container_); }
  LONG Put(const char* text) { return lib().OleContainerPutNewConnectionString(container_, text); }
  std::string Get() { return lib().OleContainerGetNewConnectionString(container_); }

  WordStandin word_;
  ExcelStandin excel_;
};

// ---- Closing ----

using CloseTest = AutomationTest;

TEST_F(CloseTest, WordStaysWhileItHasOtherDocuments) {
  UseWord();
  word_.Open(L"Otro");
  LoadDocument();
  EXPECT_EQ(Close(), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.Application", "Document.Close(1)",
                                             "Word.Documents", "Word.Documents.Count"));
  EXPECT_FALSE(word_.quit());
  EXPECT_EQ(Journal().LcidOf("Document.Application"), 0x0800);
  EXPECT_EQ(LiveDocuments(), 0);
  EXPECT_TRUE(word_.AllReleased());
}

TEST_F(CloseTest, WordQuitsWithItsLastDocument) {
  UseWord();
  LoadDocument();
  EXPECT_EQ(Close(), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.Application", "Document.Close(1)",
                                             "Word.Documents", "Word.Documents.Count", "Word.Quit()"));
  EXPECT_TRUE(word_.quit());
  EXPECT_EQ(Journal().LcidOf("Word.Quit()"), 0x0400);
  EXPECT_TRUE(word_.AllReleased());
}

TEST_F(CloseTest, ExcelQuitsOnlyWhenNoSheetIsActiveAnyMore) {
  struct Case {
    const char* name;
    ExcelStandin::Sheet after_close;
    bool quits;
  };
  const Case kCases[] = {
      {"no workbook left", ExcelStandin::Sheet::kNone, true},
      {"another workbook's worksheet", ExcelStandin::Sheet::kWorksheet, false},
      // A chart sheet is active in a workbook the user still has open.
      {"another workbook's chart", ExcelStandin::Sheet::kChart, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ExcelStandin excel;
    document().application = [&excel](VARIANT* result) { SetObject(result, excel.application()); };
    document().on_close = [&excel, &c] { excel.SetActiveSheet(c.after_close); };
    LoadDocument();
    EXPECT_EQ(Close(), S_OK);
    std::vector<std::string> expected = {"Document.Application", "Document.Close(1)", "Excel.ActiveSheet"};
    if (c.quits) expected.push_back("Excel.Quit()");
    EXPECT_EQ(Journal().calls(), expected);
    EXPECT_EQ(excel.quit(), c.quits);
    EXPECT_TRUE(excel.AllReleased());
  }
}

TEST_F(CloseTest, ApplicationThatIsNoObjectIsLeftAlone) {
  const std::function<void(VARIANT*)> kAnswers[] = {
      [](VARIANT* r) { SetInt(r, 0x1234); },
      [](VARIANT* r) { SetText(r, L"Word.Application"); },
      [](VARIANT* r) { SetObject(r, nullptr); },
      [](VARIANT* r) { V_VT(r) = VT_ERROR; V_ERROR(r) = DISP_E_EXCEPTION; },
      [](VARIANT*) {},
  };
  for (const auto& answer : kAnswers) {
    document().application = answer;
    LoadDocument();
    EXPECT_EQ(Close(), S_OK);
    EXPECT_THAT(Journal().calls(), ElementsAre("Document.Application", "Document.Close(1)"));
    EXPECT_EQ(LiveDocuments(), 0);
  }
}

TEST_F(CloseTest, FailuresAfterTheCloseStillEmptyTheContainer) {
  struct Case {
    const char* name;
    const char* failing;
    HRESULT failure;
    HRESULT expected;
    std::vector<std::string> calls;
  };
  const HRESULT kGone = RPC_E_DISCONNECTED;
  const Case kCases[] = {
      {"close refused", "Document.Close", kGone, S_OK,
       {"Document.Application", "Document.Close(1)", "Word.Documents", "Word.Documents.Count",
        "Word.Quit()"}},
      {"application cannot be asked", "Word.QueryInterface", kGone, 1,
       {"Document.Application", "Document.Close(1)"}},
      {"documents unreadable", "Word.Documents", kGone, kGone,
       {"Document.Application", "Document.Close(1)", "Word.Documents"}},
      {"count fails", "Word.Documents.Count", kGone, 1,
       {"Document.Application", "Document.Close(1)", "Word.Documents", "Word.Documents.Count"}},
      {"quit unknown", "lookup Word.Quit", DISP_E_UNKNOWNNAME, DISP_E_UNKNOWNNAME,
       {"Document.Application", "Document.Close(1)", "Word.Documents", "Word.Documents.Count"}},
      {"quit fails", "Word.Quit", kGone, kGone,
       {"Document.Application", "Document.Close(1)", "Word.Documents", "Word.Documents.Count",
        "Word.Quit()"}},
      // Without the application nothing is asked of Word, nor is it quit.
      {"application unknown", "lookup Document.Application", DISP_E_UNKNOWNNAME, S_OK,
       {"Document.Close(1)"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    WordStandin word;
    word.Open(L"Informe");
    document().application = [&word](VARIANT* result) { SetObject(result, word.application()); };
    document().on_close = [&word] { word.Close(L"Informe"); };
    LoadDocument();
    Journal().Fail(c.failing, c.failure);
    EXPECT_EQ(Close(), c.expected);
    EXPECT_EQ(Journal().calls(), c.calls);
    EXPECT_EQ(LiveDocuments(), 0);
    EXPECT_TRUE(word.AllReleased());
  }
}

TEST_F(CloseTest, DocumentWithoutAutomationAnswersTheCloseResult) {
  document().scriptable = false;
  LoadDocument();
  Journal().Fail("Document.Close", OLE_E_PROMPTSAVECANCELLED);
  EXPECT_EQ(Close(), OLE_E_PROMPTSAVECANCELLED);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.Close(1)"));
  EXPECT_EQ(LiveDocuments(), 0);
  // Empty now: closing again touches nothing.
  EXPECT_EQ(Close(), S_OK);
  EXPECT_THAT(Journal().calls(), ElementsAre("Document.Close(1)"));
}

// ---- Refresh ----

using RefreshTest = AutomationTest;

TEST_F(RefreshTest, RefreshesOnlyTheFirstQueryTable) {
  UseExcel();
  excel_.AddQueryTable(L"ODBC;DSN=Tienda");
  excel_.AddQueryTable(L"ODBC;DSN=Almacén");
  excel_.AddPivotTable(L"ODBC;DSN=Resumen");
  LoadDocument();
  EXPECT_EQ(Refresh(), S_OK);
  EXPECT_THAT(Journal().calls(),
              ElementsAre("Document.Application", "Excel.ActiveSheet", "Excel.Worksheet.QueryTables",
                          "Excel.QueryTables.Count", "Excel.QueryTables.Item(1)",
                          "Excel.QueryTable1.Refresh()"));
  EXPECT_TRUE(excel_.AllReleased());
}

TEST_F(RefreshTest, WithoutQueryTablesRefreshesTheFirstPivotCache) {
  UseExcel();
  excel_.AddPivotTable(L"ODBC;DSN=Resumen");
  excel_.AddPivotTable(L"ODBC;DSN=Otro");
  LoadDocument();
  EXPECT_EQ(Refresh(), S_OK);
  EXPECT_THAT(Journal().calls(),
              ElementsAre("Document.Application", "Excel.ActiveSheet", "Excel.Worksheet.QueryTables",
                          "Excel.QueryTables.Count", "Excel.Worksheet.PivotTables(1)",
                          "Excel.PivotTable1.PivotCache()", "Excel.PivotCache1.Refresh()"));
  EXPECT_EQ(Journal().LcidOf("Excel.Worksheet.PivotTables(1)"), 0);
  EXPECT_TRUE(excel_.AllReleased());
}

TEST_F(RefreshTest, WorksheetWithNeitherAnswersThePivotTablesFailure) {
  UseExcel();
  LoadDocument();
  EXPECT_EQ(Refresh(), DISP_E_BADINDEX);
  EXPECT_TRUE(excel_.AllReleased());
}

TEST_F(RefreshTest, UnreadableQueryTablesFallBackToPivotTables) {
  UseExcel();
  excel_.AddQueryTable(L"ODBC;DSN=Tienda");
  excel_.AddPivotTable(L"ODBC;DSN=Resumen");
  LoadDocument();
  Journal().Fail("Excel.Worksheet.QueryTables", E_ACCESSDENIED);
  EXPECT_EQ(Refresh(), S_OK);
  EXPECT_THAT(Journal().CallsOf("Excel.PivotCache1"), ElementsAre("Excel.PivotCache1.Refresh()"));
}

TEST_F(RefreshTest, AnswersOneWithoutAnActiveWorksheet) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
  };
  const Case kCases[] = {
      {"word document", [this] { UseWord(); }},
      {"no automation", [this] { document().scriptable = false; }},
      {"chart sheet",
       [this] {
         UseExcel();
         excel_.SetActiveSheet(ExcelStandin::Sheet::kChart);
       }},
      {"no sheet",
       [this] {
         UseExcel();
         excel_.SetActiveSheet(ExcelStandin::Sheet::kNone);
       }},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    DocumentServer::Instance().Reset();
    c.arrange();
    LoadDocument();
    EXPECT_EQ(Refresh(), 1);
    EXPECT_THAT(Journal().CallsOf("Excel.Worksheet"), IsEmpty());
    lib().OleContainerCloseDoc(container_);
  }
}

TEST_F(RefreshTest, FailingCallAnswersOne) {
  const char* const kFailing[] = {"Excel.QueryTables.Count", "Excel.QueryTables.Item",
                                  "Excel.QueryTable1.Refresh", "Excel.PivotTable1.PivotCache",
                                  "Excel.PivotCache1.Refresh", "Excel.ActiveSheet"};
  for (const char* failing : kFailing) {
    SCOPED_TRACE(failing);
    ExcelStandin excel;
    document().application = [&excel](VARIANT* result) { SetObject(result, excel.application()); };
    if (std::string(failing).find("Pivot") == std::string::npos) {
      excel.AddQueryTable(L"ODBC;DSN=Tienda");
    } else {
      excel.AddPivotTable(L"ODBC;DSN=Resumen");
    }
    LoadDocument();
    Journal().Fail(failing, DISP_E_EXCEPTION);
    EXPECT_EQ(Refresh(), 1);
    EXPECT_EQ(Journal().CallsOf(failing).size(), 1u);
    EXPECT_TRUE(excel.AllReleased());
  }
}

// ---- Connection text ----

using ConnectionTest = AutomationTest;

TEST_F(ConnectionTest, WordReadsAndReplacesTheDataSourceQuery) {
  UseWord();
  word_.Find(L"Informe")->query = L"SELECT * FROM `Clientes`";
  LoadDocument();
  EXPECT_EQ(Get(), "SELECT * FROM `Clientes`");
  EXPECT_THAT(Journal().calls(),
              ElementsAre("Document.Application", "Word.ActiveDocument", "Word.Informe.MailMerge",
                          "Word.Informe.MailMerge.DataSource", "Word.Informe.DataSource.QueryString"));
  Journal().Reset();
  EXPECT_EQ(Put("SELECT * FROM `Proveedores`"), S_OK);
  EXPECT_EQ(word_.Find(L"Informe")->query, L"SELECT * FROM `Proveedores`");
  EXPECT_EQ(Journal().calls().back(),
            "Word.Informe.DataSource.QueryString = \"SELECT * FROM `Proveedores`\"");
  EXPECT_TRUE(word_.AllReleased());
}

TEST_F(ConnectionTest, TextCrossesInTheCallersCodePage) {
  UseWord();
  LoadDocument();
  EXPECT_EQ(Put("SELECT * FROM Año WHERE Señal='€'"), S_OK);
  EXPECT_EQ(word_.Find(L"Informe")->query, L"SELECT * FROM A\u00f1o WHERE Se\u00f1al='\u20ac'");
  EXPECT_EQ(Get(), "SELECT * FROM Año WHERE Señal='€'");
}

TEST_F(ConnectionTest, WordWithoutAMergeSource) {
  struct Case {
    const char* name;
    std::function<void(WordStandin&)> arrange;
    LONG put;
  };
  const Case kCases[] = {
      {"no active document", [](WordStandin& w) { w.Close(L"Informe"); }, S_OK},
      {"no mail merge", [](WordStandin& w) { w.Find(L"Informe")->merge.Reset(); }, S_OK},
      {"no data source", [](WordStandin& w) { w.Find(L"Informe")->source.Reset(); }, 1},
      {"active document is no document",
       [](WordStandin&) { Journal().Fail("Word.Informe.QueryInterface", E_NOINTERFACE); }, 1},
      {"active document unreadable",
       [](WordStandin&) { Journal().Fail("Word.ActiveDocument", E_ACCESSDENIED); }, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    WordStandin word;
    word.Open(L"Informe");
    document().application = [&word](VARIANT* result) { SetObject(result, word.application()); };
    LoadDocument();
    c.arrange(word);
    EXPECT_EQ(Get(), "");
    EXPECT_EQ(Put("DSN=Tienda"), c.put);
    EXPECT_THAT(Journal().CallsOf("Word.Informe.DataSource"), IsEmpty());
    EXPECT_TRUE(word.AllReleased());
  }
}

TEST_F(ConnectionTest, ExcelUsesTheFirstQueryTable) {
  UseExcel();
  excel_.AddQueryTable(L"ODBC;DSN=Tienda");
  excel_.AddQueryTable(L"ODBC;DSN=Almacén");
  LoadDocument();
  EXPECT_EQ(Get(), "ODBC;DSN=Tienda");
  Journal().Reset();
  EXPECT_EQ(Put("ODBC;DSN=Central"), S_OK);
  EXPECT_THAT(Journal().calls(),
              ElementsAre("Document.Application", "Excel.ActiveSheet", "Excel.Worksheet.QueryTables",
                          "Excel.QueryTables.Count", "Excel.QueryTables.Item(1)",
                          "Excel.QueryTable1.Connection",
                          "Excel.QueryTable1.Connection = \"ODBC;DSN=Central\""));
  EXPECT_EQ(excel_.query_table_connection(1), L"ODBC;DSN=Central");
  EXPECT_EQ(excel_.query_table_connection(2), L"ODBC;DSN=Almacén");
  EXPECT_TRUE(excel_.AllReleased());
}

TEST_F(ConnectionTest, ExcelWithoutQueryTablesUsesTheFirstPivotCache) {
  UseExcel();
  excel_.AddPivotTable(L"ODBC;DSN=Resumen");
  excel_.AddPivotTable(L"ODBC;DSN=Otro");
  LoadDocument();
  EXPECT_EQ(Get(), "ODBC;DSN=Resumen");
  Journal().Reset();
  EXPECT_EQ(Put("ODBC;DSN=Central"), S_OK);
  EXPECT_THAT(Journal().CallsOf("Excel.Pivot"),
              ElementsAre("Excel.PivotTable1.PivotCache()", "Excel.PivotCache1.Connection",
                          "Excel.PivotCache1.Connection = \"ODBC;DSN=Central\""));
  EXPECT_EQ(excel_.pivot_cache_connection(1), L"ODBC;DSN=Central");
  EXPECT_EQ(excel_.pivot_cache_connection(2), L"ODBC;DSN=Otro");
}

TEST_F(ConnectionTest, ExcelFailures) {
  struct Case {
    const char* name;
    const char* failing;  // with a query table, or without any table when null
    LONG put;
  };
  const Case kCases[] = {
      {"no tables at all", nullptr, DISP_E_BADINDEX},
      {"connection unreadable", "Excel.QueryTable1.Connection", 1},
      {"item fails", "Excel.QueryTables.Item", 1},
      {"application cannot be asked", "Excel.QueryInterface", 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ExcelStandin excel;
    document().application = [&excel](VARIANT* result) { SetObject(result, excel.application()); };
    if (c.failing) excel.AddQueryTable(L"ODBC;DSN=Tienda");
    LoadDocument();
    if (c.failing) Journal().Fail(c.failing, RPC_E_DISCONNECTED);
    EXPECT_EQ(Get(), "");
    EXPECT_EQ(Put("ODBC;DSN=Central"), c.put);
    if (c.failing) {
      EXPECT_EQ(excel.query_table_connection(1), L"ODBC;DSN=Tienda");
    }
    EXPECT_TRUE(excel.AllReleased());
  }
}

TEST_F(ConnectionTest, DocumentOfAnotherApplication) {
  document().application = [](VARIANT* result) {
    static auto other = AutomationStandin::Create("Paint");
    SetObject(result, other.Get());
  };
  LoadDocument();
  EXPECT_EQ(Get(), "");
  EXPECT_EQ(Put("DSN=Tienda"), S_OK);
  EXPECT_EQ(Refresh(), 1);
  EXPECT_THAT(Journal().CallsOf("Paint"), IsEmpty());
}

}  // namespace
}  // namespace contenda::standins
