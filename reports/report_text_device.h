// TQZRFile: the banded engine's text file, pages of 64 rows of character cells written as
// they are stored (Windows-1252), each row ending CR LF. Rows count from 0, columns from 1.
// Millimetres fall on a grid of 6 rows and 10 columns an inch.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "reports/report_device.h"

namespace reports {

class TQZRFile : public ReportDevice {
 public:
  static constexpr int kRows = 64;
  static constexpr int kColumns = 80;

  // Creates the file; a file that cannot be made leaves the device not ready (handle 0),
  // and writes go nowhere.
  explicit TQZRFile(const std::string& file);
  ~TQZRFile() override;
  TQZRFile(const TQZRFile&) = delete;
  TQZRFile& operator=(const TQZRFile&) = delete;

  bool Ready() const override { return file_ != nullptr; }
  bool IsText() const override { return true; }
  // Every row blank.
  void StartPage() override;
  // Every row followed by CR LF; when printing, CHR(15) first for a row wider than the page
  // and a form feed after.
  void EndPage() override;
  void End() override;
  void Say(int row, int col, std::string_view text, int font, int width, int pad) override;
  int TextWidth(std::string_view text, int) override { return static_cast<int>(text.size()); }
  int TextHeight(int) override { return 1; }
  int Width() override { return nWidth; }
  int Height() override { return nHeight; }
  int LogPixX() override { return 1; }
  int LogPixY() override { return 1; }
  int Orientation() override { return 2; }
  void Widen(int width) override { SetSize(std::max(nWidth, width), nHeight); }
  int MmToRow(double mm) override;
  int MmToCol(double mm) override;

  // The rows of a new height, blank (a page starts).
  void SetHeight(int height);
  // A new size keeping the rows written.
  void SetSize(int width, int height);

  std::vector<std::string> aRows;
  std::string cPrnComp = std::string(1, '\x0F');
  int nHeight = kRows;
  int nWidth = kColumns;
  int nPage = 0;
  bool lPrint = false;

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace reports
