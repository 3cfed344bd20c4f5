#include "reports/report_engine_objects.h"

#include <filesystem>
#include <fstream>

#include "data/data_test_support.h"
#include "reports/report_test_support.h"
#include "runtime/function_table.h"

namespace reports {
namespace {

using testing::ReadFile;
using testing::TestFile;
using testing::X;

const unsigned char kObjects[] = {
#include "engine_objects.inc"
};

class ReportEngineObjectsTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportEngine();
    path_ = TestFile("vdr_engine_objects_");
    memory().MakeFolder("DBF\\");
    ASSERT_TRUE(X("DBCREATE('DBF\\VENTAS', {{'ZONA', 'C', 6, 0}, {'CODIGO', 'C', 4, 0}, {'NOMBRE', 'C', 20, 0}, "
                  "{'IMPORTE', 'N', 10, 2}}, 'ADS')")
                    .AsLogical());
    X("DBUSEAREA(.T., 'ADS', 'DBF\\VENTAS', 'VENTAS', .F.)");
    for (const char* row : {"'NORTE', 'P1', 'Pan de molde', 10", "'NORTE', 'M1', 'Mantequilla', 5.5",
                            "'SUR', 'P2', 'Pan integral', 2"})
      X(std::string("DBAPPEND(), AEVAL({") + row + "}, {|x, n| FIELDPUT(n, x)})");
    X("DBGOTOP()");
  }
  void TearDown() override {
    X("oRep := NIL, oZona := NIL, oArt := NIL, oImp := NIL, oGrupo := NIL, oFile := NIL");
    std::filesystem::remove(path_);
    DataTest::TearDown();
  }
  std::string path_;
};

// A report made, laid out and run from compiled text alone: its title, header and footer
// lines with their alignments, a group with its heading expression, a column of two data
// lines, a column whose data block gets its argument array, totals and the end block.
TEST_F(ReportEngineObjectsTest, AReportBuiltFromCompiledTextPrintsThroughTheClasses) {
  for (const char* name : {"TQZREPORT", "TQZRCOL", "TQZRGROUP", "TQZRFILE"})
    EXPECT_NE(xb::FindFunction(name), nullptr) << name;
  X("oRep := TQZReport():New({{|| 'Ventas por zona'}}, {{|| 'Comercial Ejemplo'}}, {{|| 'Fin del listado'}},,, .F.,,,"
    " .F., .F., '" + path_ + "',, 'Ventas', 'CENTER', 'LEFT', 'RIGHT')");
  EXPECT_TRUE(X("oRep:lCreated").AsLogical());
  EXPECT_EQ(X("oRep:oDevice:ClassName()").AsString(), "TQZRFILE");
  EXPECT_FALSE(X("oRep:lPrinter .OR. oRep:lScreen").AsLogical());
  X("oRep:nTitleUpLine := 0, oRep:nTitleDnLine := 1, oRep:nTotalLine := 1, oRep:lPageGroup := .F., "
    "oRep:cGrandTotal := 'Total'");
  X("oZona := TQZRCol():New({{|| 'Zona'}}, 1, {{|a| FIELD->ZONA}}, 6,,, .F.,, 'LEFT',,,, oRep,,, 'C')");
  X("oArt := TQZRCol():New({{|| 'Artículo'}, {|| 'y nombre'}}, 8, {{|a| FIELD->CODIGO}, {|a| FIELD->NOMBRE}}, 14,,,"
    " .F.,, 'LEFT',,,, oRep,,, 'C')");
  // The amount's argument array holds the factor its block applies.
  X("oImp := TQZRCol():New({{|| 'Importe'}}, 23, {{|a, lTot| a[1] * FIELD->IMPORTE}}, 10, {'@E 999,999.99'},, .T.,,"
    " 'RIGHT',,,, oRep, {{2}},, 'N')");
  X("oGrupo := TQZRGroup():New({|n| FIELD->ZONA}, 'Zona: ', 'Total zona',, .T., oRep, 1)");
  X("oRep:AddColumn(oZona), oRep:AddColumn(oArt), oRep:AddColumn(oImp), oRep:AddGroup(oGrupo)");
  X("oRep:AddLineCol(1), oRep:AddLineCol(1), oRep:AddLineCol(1)");
  X("oRep:AddColGroup(.T.), oRep:AddColGroup(.F.), oRep:AddColGroup(.F.)");
  X("oRep:AddLineGroup({1, 1}), oRep:AddHeadGroup({'AllTrim(FIELD->ZONA)', \"'(' + Lower(AllTrim(cGrupo)) + ')'\"})");
  X("nPaginas := 0, oRep:Activate(,,, {|o| nPaginas := o:nPage})");
  ASSERT_TRUE(errors.empty()) << errors.front()->description << " " << errors.front()->operation;
  EXPECT_EQ(X("nPaginas").AsInt(), 1);
  EXPECT_EQ(X("ValType(oRep:bFor) + ValType(oRep:bWhile) + ValType(oRep:bInit)").AsString(), "BBU");
  EXPECT_EQ(X("Len(oRep:aData[2])").AsInt(), 2);
  EXPECT_EQ(X("Len(oRep:aColumns)").AsInt(), 3);
  EXPECT_EQ(X("oZona:nWidth").AsInt(), 6);
  EXPECT_EQ(X("oImp:nTotal").AsDouble(), 35.0);
  EXPECT_EQ(X("oRep:nMaxData").AsInt(), 2);
  EXPECT_EQ(X("oRep:aValues[3][1][1]").AsInt(), 2);
  EXPECT_TRUE(X("oZona:oReport == oRep").AsLogical());
  const std::string got = ReadFile(path_);
  const std::string golden(reinterpret_cast<const char*>(kObjects), sizeof kObjects);
  if (got != golden) {
    std::ofstream(std::filesystem::temp_directory_path() / "engine_objects.golden", std::ios::binary) << got;
    ADD_FAILURE() << "engine_objects differs; written to the temporary folder";
  }
}

// The header, title and footer are line objects: lines added, inserted and deleted from
// compiled text print in their places and alignments, and a report laid out already is laid
// out again. On a text file the report has no pens, brush or fonts of its own; its fonts'
// colours are data; the preview block runs once after the printing.
TEST_F(ReportEngineObjectsTest, TheHeaderTitleAndFooterAreLineObjects) {
  X("oRep := TQZReport():New({{|| 'Ventas'}}, {{|| 'Empresa'}}, {{|| 'Pie'}},,,,,,,, '" + path_ +
    "',, 'Doc', 'CENTER', 'LEFT', 'RIGHT')");
  EXPECT_EQ(X("oRep:oTitle:ClassName()").AsString(), "TQZRLINE");
  EXPECT_TRUE(X("oRep:oTitle:oReport == oRep .AND. !(oRep:oHeader == oRep:oFooter)").AsLogical());
  EXPECT_EQ(X("Str(oRep:oHeader:aPad[1], 1) + Str(oRep:oTitle:aPad[1], 1) + Str(oRep:oFooter:aPad[1], 1)").AsString(), "132");
  X("oRep:oTitle:Add({|| 'segunda'},, 3), oRep:oHeader:Ins(1, {|| 'Primera'}), oRep:oFooter:Add({|| 'borrada'}),"
    " oRep:oFooter:Del(2)");
  EXPECT_EQ(X("Len(oRep:oHeader:aLine) * 100 + Len(oRep:oTitle:aFont) * 10 + Len(oRep:oFooter:aLine)").AsInt(), 221);
  EXPECT_TRUE(X("ValType(oRep:bPreview) == 'B' .AND. oRep:oPenHorz == NIL .AND. oRep:oShdBrush == NIL"
                " .AND. Empty(oRep:aFont)").AsLogical());
  EXPECT_EQ(X("Len(oRep:aClrText)").AsInt(), 1);
  X("oRep:SetTxtColor(255, 3)");
  EXPECT_EQ(X("oRep:aClrText[1] + oRep:aClrText[2] + oRep:aClrText[3]").AsInt(), 255);
  X("oArt := TQZRCol():New({{|| 'Artículo'}}, 1, {{|a| FIELD->CODIGO}}, 10,,,,,,,,, oRep), oRep:AddColumn(oArt)");
  X("oImp := TQZRCol():New({{|| 'Importe'}}, 12, {{|a| FIELD->IMPORTE}}, 8, {'@E 9,999.99'},,,, 'RIGHT',,,, oRep,,, 'N'),"
    " oRep:AddColumn(oImp)");
  X("nVista := 0, oRep:bPreview := {|oDev, oR| nVista++}");
  X("oRep:Activate()");
  ASSERT_TRUE(errors.empty()) << errors.front()->description << " " << errors.front()->operation;
  EXPECT_EQ(X("nVista").AsInt(), 1);
  EXPECT_EQ(X("oRep:oHeader:nHeight * 10 + oRep:oTitle:nHeight").AsInt(), 22);
  EXPECT_EQ(X("oRep:oTitle:aRow[2]").AsInt(), X("oRep:oTitle:aRow[1]").AsInt() + 1);
  // The header's first line at the top, the title centred under it, the footer right-aligned
  // at the foot of the page.
  std::vector<std::string> rows(TQZRFile::kRows);
  rows[0] = "Primera";
  rows[1] = "Empresa";
  rows[2] = "      Ventas";
  rows[3] = "      segunda";
  rows[4] = "---------- --------";
  rows[5] = "Artículo   Importe ";
  rows[6] = "---------- --------";
  rows[7] = "P1            10,00";
  rows[8] = "M1             5,50";
  rows[9] = "P2             2,00";
  rows[63] = "                Pie";
  EXPECT_EQ(ReadFile(path_), testing::Page(rows));
  // Laid out, the report is laid out again when a line comes.
  X("oRep:oTitle:Add({|| 'tercera'})");
  EXPECT_EQ(X("oRep:oTitle:nHeight").AsInt(), 3);
}

// The text device by itself, and given to a report as its device; a group's heading text
// with a function of the group's value; the hours helper.
TEST_F(ReportEngineObjectsTest, TheTextDeviceAndTheGroupTextAnswerCompiledText) {
  X("oFile := TQZRFile():New('" + path_ + "')");
  EXPECT_EQ(X("oFile:hDC").AsInt(), 1);
  EXPECT_EQ(X("oFile:nVertRes()").AsInt(), 64);
  EXPECT_EQ(X("oFile:nHorzRes()").AsInt(), 80);
  EXPECT_EQ(X("oFile:GetTextWidth('abcd')").AsInt(), 4);
  EXPECT_EQ(X("oFile:GetOrientation()").AsInt(), 2);
  X("oFile:StartPage(), oFile:Say(0, 3, 'abc', NIL, 5), oFile:Say(0, 1, 'X'), oFile:Line(1, 1, 2, 2), oFile:EndPage()");
  EXPECT_EQ(X("oFile:aRows[1]").AsString(), "X abc  ");
  X("oFile:cDocument := 'Fichero', oRep := TQZReport():New(,,,,,,,,,,, oFile, 'Propio')");
  EXPECT_EQ(X("oRep:cName").AsString(), "Propio");
  X("oRep := TQZReport():New(,,,,,,,,,,, oFile)");
  EXPECT_EQ(X("oRep:cName").AsString(), "Fichero") << "without a name, the device's";
  EXPECT_TRUE(X("oRep:lCreated .AND. oRep:oDevice == oFile").AsLogical());
  X("oGrupo := TQZRGroup():New({|n| 'NORTE'},,,,, oRep, 1)");
  X("oGrupo:Reset()");
  EXPECT_EQ(X("oGrupo:Check()").AsLogical(), true) << "not yet in a report: its key was never taken";
  X("oRep:AddGroup(oGrupo), oGrupo:Reset()");
  EXPECT_EQ(X("oGrupo:cValue").AsString(), "NORTE");
  EXPECT_FALSE(X("oGrupo:Check()").AsLogical());
  EXPECT_EQ(X("oGrupo:ConstruyeTexto('Zona ', \"'de ' + Lower(cGrupo)\")").AsString(), "Zona de norte");
  EXPECT_EQ(X("oGrupo:ConstruyeTexto('', \"Upper('x') + '-'\")").AsString(), "X-");
  EXPECT_EQ(X("Eval(oGrupo:bFooter)").AsString(), "Total...");
  EXPECT_EQ(X("oRep:TransHoras(135, 10)").AsString(), "2 h, 15'");
  // A report without columns is never laid out: activated, it prints nothing.
  X("oRep:Activate()");
  EXPECT_FALSE(X("oRep:lCreated").AsLogical());
  EXPECT_EQ(X("oRep:nPage").AsInt(), 0);
}

// A column's total condition chooses the records that count in its totals; a group whose
// heading entries are all blank has no heading.
TEST_F(ReportEngineObjectsTest, TotalConditionsAndBlankHeadings) {
  struct Case {
    const char* heading;  // the group's one heading entry
    bool header;
  };
  for (const Case& c : {Case{"", false}, Case{"FIELD->ZONA", true}}) {
    X("oRep := TQZReport():New(,,,,,,,,,, '" + path_ + "')");
    X("oImp := TQZRCol():New({{|| 'Importe'}},, {{|| FIELD->IMPORTE}}, 10, {'@E 9,999.99'},, .T., {|| FIELD->IMPORTE > 3},"
      " 'RIGHT',,,, oRep,,, 'N'), oRep:AddColumn(oImp)");
    X("oGrupo := TQZRGroup():New({|n| FIELD->ZONA},, '',, .F., oRep, 1), oRep:AddGroup(oGrupo)");
    X(std::string("oRep:AddLineGroup({1}), oRep:AddHeadGroup({'") + c.heading + "'}), DBGOTOP(), oRep:Activate()");
    EXPECT_EQ(X("oImp:nTotal").AsDouble(), 15.5) << "2,00 does not count";
    EXPECT_EQ(X("oGrupo:lHeader").AsLogical(), c.header) << c.heading;
    EXPECT_EQ(ReadFile(path_).find("NORTE") != std::string::npos, c.header) << c.heading;
  }
}

// The progress window given as oRptWnd: its meter hides, its button reads "&Previsualizar"
// (not a preview) and stops the printing after the record it was pressed on; the end block
// does not run and the window closes.
TEST_F(ReportEngineObjectsTest, TheProgressWindowsButtonStopsThePrinting) {
  // Stand-ins for the dialog and its controls, which only the windowed program has.
  if (xb::Class::Find("TBUTTON") == nullptr) {
    xb::Class::Define("TBUTTON").Var("CCAPTION").Var("BACTION").Method("SETTEXT", [](xb::Object& o, xb::Args& a) {
      o.Slot(0) = a.Arg(1);
      return xb::Value();
    });
  }
  if (xb::Class::Find("TMETER") == nullptr)
    xb::Class::Define("TMETER").Var("LHIDDEN", xb::Value::Logical(false)).Method("HIDE", [](xb::Object& o, xb::Args&) {
      o.Slot(0) = xb::Value::Logical(true);
      return xb::Value();
    });
  if (xb::Class::Find("TESPERA") == nullptr)
    xb::Class::Define("TESPERA").Var("ACONTROLS").Var("LENDED", xb::Value::Logical(false)).Method("END", [](xb::Object& o, xb::Args&) {
      o.Slot(1) = xb::Value::Logical(true);
      return xb::Value();
    });
  xb::RegisterFunction("TEST_OBJETO", [](xb::Args& a) { return xb::Value(xb::Class::Find(a.Str(1))->New()); });
  X("oBtn := TEST_OBJETO('TBUTTON'), oMeter := TEST_OBJETO('TMETER'), oWnd := TEST_OBJETO('TESPERA')");
  X("oWnd:aControls := {oMeter, oBtn}");
  X("oRep := TQZReport():New(,,,,,,,,,, '" + path_ + "'), oRep:oRptWnd := oWnd");
  X("oZona := TQZRCol():New({{|| 'Zona'}}, 1, {{|a| FIELD->ZONA}}, 6,,,,,,,,, oRep), oRep:AddColumn(oZona)");
  X("lFin := lVista := .F., oRep:bPreview := {|| lVista := .T.}");
  X("oRep:Activate(,,, {|| lFin := .T.},,,,,, {|| IIf(RecNo() == 1, Eval(oBtn:bAction), NIL)})");
  EXPECT_TRUE(X("oMeter:lHidden").AsLogical());
  EXPECT_EQ(X("oBtn:cCaption").AsString(), "&Previsualizar");
  EXPECT_TRUE(X("oBtn:bAction == NIL").AsLogical()) << "the action goes with the printing";
  EXPECT_TRUE(X("oWnd:lEnded").AsLogical());
  EXPECT_TRUE(X("oRep:lBreak").AsLogical());
  EXPECT_FALSE(X("lFin").AsLogical());
  EXPECT_FALSE(X("lVista").AsLogical()) << "a text file with a progress window has no preview";
  const std::string text = ReadFile(path_);
  EXPECT_NE(text.find("NORTE"), std::string::npos);
  EXPECT_EQ(text.find("SUR"), std::string::npos) << text;
  X("oBtn := oMeter := oWnd := NIL");
}

// Without a device a report is not created; the windowed outputs make printers and previews.
TEST_F(ReportEngineObjectsTest, APrinterWithoutTheWindowedOutputsIsNotCreated) {
  SetEngineDeviceMaker({});
  X("oRep := TQZReport():New(,,,,,,,, .T.)");
  EXPECT_FALSE(X("oRep:lCreated").AsLogical());
  std::vector<EngineDeviceRequest> asked;
  SetEngineDeviceMaker([&asked](const EngineDeviceRequest& r) {
    asked.push_back(r);
    return EngineDevice{};
  });
  X("oRep := TQZReport():New(,,,,,,,, .F., .T.,,, 'Doc',,,, .T.)");
  X("oRep := TQZReport():New()");
  SetEngineDeviceMaker({});
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_TRUE(asked[0].screen && asked[0].html && !asked[0].printer);
  EXPECT_EQ(asked[0].document, "Doc");
  EXPECT_TRUE(asked[1].printer);
  EXPECT_EQ(asked[1].document, "Printing report");
}

}  // namespace
}  // namespace reports
