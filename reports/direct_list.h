// TDirectList: a "direct" report, whose page text a business function has already laid out in
// a work table of MtrDirec's format (TEXTO, FILA rows to move down, COLUMNA in characters,
// TFUENTE, SUBRAYADO, ALINEACION, STARTGRP, GRUPO), printed under the report's designed page
// header. A record reading "EJECT" ends the page; the heading lines of the current group are
// printed again at the top of each following page.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "reports/report_device.h"

namespace reports {

class TDirectList {
 public:
  explicit TDirectList(ReportDevice* device) : device_(device) {}

  // Prints every record of the work table `alias` from its top; false when the device
  // could not be made. nPage holds the pages printed.
  bool Execute(const std::string& alias);
  // The same without ending the device's job: the caller ends it.
  bool Print(const std::string& alias);

  // The designed header of each page: it sets nPxStartRow (the first row under it) and
  // nBottomRow's margin through nDnMargin.
  std::function<void(TDirectList&)> bStartPage;
  std::function<void()> bRefresh;  // before each record; may set lBreak
  double nMgIzMM = 0;              // left margin, millimetres
  // The report's font numbers (FNT_TIT, FNT_LIN, FNT_TOT, FNT_SUB) that TFUENTE 1 to 4 name;
  // the line font sets the column unit and the line height.
  std::array<int, 4> anFonts{1, 1, 1, 1};
  int nPxStartRow = 0;
  int nDnMargin = 0;
  int nPage = 0;
  bool lBreak = false;

  ReportDevice* Device() const { return device_; }

 private:
  struct Line {
    std::string cText;
    int nRow = 0;   // rows moved down before it
    int nCol = 0;
    int nFont = 2;  // TFUENTE: 1 title, 2 lines, 3 totals, 4 subtotals
    int nPad = 1;
    bool lSubr = false;
  };
  void StartPage();
  void EndPage();
  void Say(const Line& line);
  void Print1Line(const Line& line, bool heading);

  ReportDevice* device_;
  int nPxRow = 0;
  int nAnchoCol = 1;
  int nLineHeight = 1;
  int nMargenIzdo = 0;
  bool lFirstRow = true;
  bool underline_pending = false;
  int nGrupo = 0;
  std::vector<Line> aStLastGrupo;
};

}  // namespace reports
