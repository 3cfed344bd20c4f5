// The banded engine as compiled text sees it: the classes TQZREPORT, TQZRCOL, TQZRGROUP and
// TQZRFILE, their messages and data, and the functions of the same names that make their
// objects. An object of each stands for a piece of one TQZReport: a column or group object
// keeps its own definition until the report adds it, then reads and writes the report's.
// A report's header, title and footer (oHeader, oTitle, oFooter) are TQZRLINE objects.
//
//   oRep := TQZReport():New( { {|| "Ventas" } },,,,,,,,,, "ventas.txt" )
//   oCol := TQZRCol():New( { {|| "Código" } }, 1, { {|a| FIELD->CODIGO } }, 6,,,,,,,,, oRep,,, "C" )
//   oRep:AddColumn( oCol ); oRep:AddLineCol( 1 ); oRep:AddColGroup( .F. )
//   oRep:Activate()
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reports/report_engine.h"
#include "reports/report_text_device.h"
#include "runtime/object.h"

namespace reports {

// What a report's New asks of the windowed outputs: a page printer, its preview, the HTML
// device, or a device object given; the fonts and pens (TFont and TPen objects) it prints
// with.
struct EngineDeviceRequest {
  xb::Value device;
  bool printer = false;
  bool screen = false;
  bool html = false;
  std::string document;
  std::vector<xb::Value> fonts, pens;
};
struct EngineDevice {
  std::unique_ptr<ReportDevice> device;  // nullptr: none could be made
  xb::Value object;                      // the device object (oDevice)
};
using EngineDeviceMaker = std::function<EngineDevice(const EngineDeviceRequest&)>;
void SetEngineDeviceMaker(EngineDeviceMaker maker);

class TQZReportObject;

// TQZRLINE: a report's header, title or footer: text blocks, each with a font block and an
// alignment (1 left, 2 right, 3 centred).
class TQZRLineObject : public xb::Object {
 public:
  TQZRLineObject();
  ~TQZRLineObject() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // Its lines (none: one empty line), each in font 1 and aligned by `pad`.
  void Init(std::vector<xb::Value> lines, int pad);
  // The report's line made again from aLine, aFont and aPad.
  void Sync();
  // The report's line, or its own once the report is gone.
  TQZRLine& Line();
  void Attach(TQZReportObject* report, TQZRLine TQZReport::*member) {
    report_ = report;
    member_ = member;
  }
  void Detach();
  TQZReportObject* Report() const { return report_; }

  xb::Value aLine, aFont;  // arrays of blocks
  std::vector<int> aPad;
  xb::Value Cargo;

 private:
  TQZRLine own_;
  TQZReportObject* report_ = nullptr;
  TQZRLine TQZReport::*member_ = nullptr;
};

// TQZRFILE: the text-file device.
class TQZRFileObject : public xb::Object {
 public:
  TQZRFileObject();
  static const xb::Class& Cls();

  std::unique_ptr<TQZRFile> file;  // made by New
  std::string cDocument;
  int nXOffSet = 0, nYOffSet = 0;
  bool lPrvModal = false;
};

// TQZRCOL: a column.
class TQZRColObject : public xb::Object {
 public:
  TQZRColObject();
  ~TQZRColObject() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // The column: the report's once added to it, its own before.
  TQZRCol& Col();
  // Its position in the report (from 0), or -1 before it is added.
  int Index() const { return report_ != nullptr ? index_ : -1; }
  TQZReportObject* Report() const { return report_; }
  void Attach(TQZReportObject* report, int index);
  void Detach();
  // Title lines from the title blocks, when it has them.
  void TitlesFromBlocks();

  std::vector<xb::Value> aTitle, aData, aValues;  // title and data blocks, value arrays
  std::vector<std::string> aPicture;
  std::vector<xb::Value> aFonts;  // four font numbers (or NIL)
  xb::Value bDataFont, bTotalExpr, bColor, Cargo;
  xb::Value oReport;  // the report given to New
  int nCurLine = 1;

 private:
  TQZRCol own_;
  TQZReportObject* report_ = nullptr;
  int index_ = -1;
};

// TQZRGROUP: a group band.
class TQZRGroupObject : public xb::Object {
 public:
  TQZRGroupObject();
  ~TQZRGroupObject() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  TQZRGroup& Group();
  int Index() const { return report_ != nullptr ? index_ : -1; }
  TQZReportObject* Report() const { return report_; }
  void Attach(TQZReportObject* report, int index);
  void Detach();

  xb::Value bGroup, bHeadFont, bFootFont, Cargo;
  xb::Value oReport;
  int nPos = 0;

 private:
  TQZRGroup own_;
  TQZReportObject* report_ = nullptr;
  int index_ = -1;
};

// TQZREPORT: the report.
class TQZReportObject : public xb::Object {
 public:
  TQZReportObject();
  ~TQZReportObject() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  TQZReport& Engine() { return *engine_; }
  ReportDevice* Device() const { return device_; }

  struct NewParams {
    std::vector<xb::Value> title, header, footer;
    std::vector<xb::Value> fonts, pens;
    bool summary = false;
    std::string report_file, resource;
    bool to_printer = false, to_screen = false;
    std::string file;
    xb::Value device;
    std::string document;
    std::string title_align = "CENTER", header_align = "LEFT", footer_align = "LEFT";
    bool html = false;
  };
  void Init(const NewParams& params);
  // The 14 event blocks, each taken when the report has none; then the run.
  void Activate(const std::vector<xb::Value>& blocks);
  void AddColumn(const xb::Ref<TQZRColObject>& column);
  void AddGroup(const xb::Ref<TQZRGroupObject>& group);
  // The title blocks of the columns, the font blocks of the groups and the header, title and
  // footer lines, read again.
  void Prepare();

  std::vector<xb::Ref<TQZRColObject>> columns;
  std::vector<xb::Ref<TQZRGroupObject>> groups;
  xb::Ref<TQZRLineObject> oHeader, oTitle, oFooter;
  // The event blocks, in Activate's order, then the skip, standard font and preview blocks.
  enum Block { kFor, kWhile, kInit, kEnd, kStartPage, kEndPage, kStartGroup, kEndGroup, kStartLine, kEndLine,
               kChange, kPostEnd, kPostPage, kPostGroup, kSkip, kStdFont, kPreview, kBlocks };
  xb::Value blocks[kBlocks];
  xb::Value oDevice, oRptWnd, oPagina, oDlg, Cargo;
  std::vector<xb::Value> aFont, aPen;  // as given, on a text file
  std::string cFile, cName, cRptFile, cResName, cDocument;
  bool lHTML = false, lPrinter = false, lScreen = false, lNoCancel = false, lPageTotal = true;

 private:
  void Wire();
  std::unique_ptr<TQZReport> engine_;
  std::unique_ptr<ReportDevice> owned_device_;
  ReportDevice* device_ = nullptr;
};

// Registers the classes and the functions TQZREPORT, TQZRCOL, TQZRGROUP and TQZRFILE.
void RegisterReportEngine();

}  // namespace reports
