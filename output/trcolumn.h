// TRColumn: one column of a report: title lines, data lines (blocks with their pictures),
// fonts by block (indexes into the report's fonts), an optional total, alignment (1 left,
// 2 right, 3 centre), shadow, grid and pen. Its x position is fixed (nCol) or computed
// (nCalCol) by the report's layout.
#pragma once

#include <string>
#include <vector>

#include "runtime/object.h"

namespace output {

class TReport;

class TRColumn : public xb::Object {
 public:
  TRColumn();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  struct NewParams {
    std::vector<xb::Value> titles;   // blocks
    int col = 0;                     // fixed x, 0: computed
    std::vector<xb::Value> data;     // blocks
    int size = 0;                    // width in characters, 0: from the values
    std::vector<std::string> pictures;
    xb::Value data_font;             // block answering a font index
    bool total = false;
    xb::Value total_expr;            // block: what the total adds per record
    std::string align;               // "LEFT", "RIGHT", "CENTER"; "": by the first value
    bool shadow = false;
    bool grid = false;
    int pen = 1;
  };
  static xb::Ref<TRColumn> New(const NewParams& params, TReport* report);
  void Init(const NewParams& params, TReport* report);

  void Stabilize(int order);
  void SayTitle(int row, int col, int line);
  void SayData(int row, int col, int line);
  void SayTotal(int row, int col);
  void Underline(bool text_only, bool two_lines, int line, int row);
  void Separator(int row, bool force);
  void TitleHeight();

  // TRANSFORM of data line `line` (from 1) with its picture, as text.
  std::string DataText(int line) const;
  std::string TitleText(int line) const;
  std::string TotalText(double total) const;
  int DataFont() const;
  int TitleFont() const;
  int TotalFont() const;

  TReport* oReport = nullptr;
  std::vector<xb::Value> aData;
  std::vector<xb::Value> aTitle;
  std::vector<std::string> aPicture;
  xb::Value bDataFont, bTitleFont, bTotalFont, bTotalExpr, bColor;
  std::string cTotalPict;
  int nWidth = 0;
  int nDataHeight = 0;
  int nTitleHeight = 0;
  double nTotal = 0;
  int nCol = 0;
  int nSize = 0;
  int nPad = 1;
  int nPen = 1;
  int nOrder = 0;
  int nCalCol = 0;
  int nCurLine = 1;
  bool lTotal = false;
  bool lShadow = false;
  bool lGrid = false;
  bool lTotalExpr = false;
  bool lUnderline = false;
  bool lDobleUnd = false;
  bool lTextUnd = false;
  bool lSeparator = true;
  xb::Value Cargo;
};

}  // namespace output
