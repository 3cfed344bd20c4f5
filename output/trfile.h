// TRFile: the report's text device, pages of character cells written to a file. Rows and
// columns count from 0; a page has 64 rows of 80 columns (a wide report's rows grow wider).
// Text outside the rows is dropped and text overwrites the cells it covers. The user's text
// goes from ANSI to the system's OEM code page; rules and grids reach the file as the box
// characters of code page 437 they are given in.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "output/page_device.h"
#include "runtime/object.h"

namespace output {

class TRFile : public xb::Object, public PageDevice {
 public:
  static constexpr int kRows = 64;
  static constexpr int kColumns = 80;
  static constexpr char kCondensed = 15;

  TRFile();
  ~TRFile() override;
  static const xb::Class& Cls();

  // Creates the file; none (hDC 0) when it cannot be made.
  static xb::Ref<TRFile> New(const std::string& file);
  void Init(const std::string& file);

  // Bytes as they are, for the box characters.
  void SayRaw(int row, int col, std::string_view bytes);

  bool IsText() const override { return true; }
  HDC OutputDC() const override { return nullptr; }
  HDC MeasureDC() const override { return nullptr; }
  std::string DocumentName() const override { return cDocument; }
  void StartPage() override;
  // When printing, a row wider than 80 columns puts the condensed-print character first;
  // each row ends with CR LF, the page with a form feed.
  void EndPage() override;
  void End() override;
  void Say(int row, int col, std::string_view text, ui::TFont* font, int width, std::optional<COLORREF> colour,
           int background, Pad pad) override;
  void Line(int, int, int, int, ui::TPen*) override {}
  void Box(int, int, int, int, ui::TPen*) override {}
  void FillRect(const ui::Rect&, HBRUSH) override {}
  void SayBitmap(int, int, const xb::Value&, int, int, DWORD = 0) override {}
  int GetTextWidth(std::string_view text, ui::TFont*) override { return static_cast<int>(text.size()); }
  int GetTextHeight(std::string_view, ui::TFont*) override { return 1; }
  POINT Cmtr2Pix(double row, double col) override;
  POINT Inch2Pix(double row, double col) override;
  int nVertRes() override { return nHeight; }
  int nHorzRes() override { return nWidth; }
  int nLogPixelX() override { return 1; }
  int nLogPixelY() override { return 1; }
  int GetOrientation() override { return 2; }
  void SetLandscape() override {}

  bool IsOpen() const { return file_ != nullptr; }

  std::vector<std::string> aRows;
  std::string cDocument;
  std::string cFile;
  char cPrnComp = kCondensed;
  int nHeight = kRows;
  int nWidth = kColumns;
  bool lPrint = true;

 private:
  void Put(int row, int col, std::string_view bytes);
  std::FILE* file_ = nullptr;
};

// Registers TRFILE by name.
void RegisterTextDevice();

}  // namespace output
