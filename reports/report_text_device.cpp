#include "reports/report_text_device.h"

#include <cmath>

namespace reports {

TQZRFile::TQZRFile(const std::string& file) : aRows(kRows) {
  if (!file.empty()) file_ = std::fopen(file.c_str(), "wb");
}

TQZRFile::~TQZRFile() { End(); }

void TQZRFile::StartPage() {
  aRows.assign(static_cast<std::size_t>(nHeight), std::string());
  ++nPage;
}

void TQZRFile::EndPage() {
  if (file_ == nullptr) return;
  std::string page;
  bool wide = false;
  for (const std::string& row : aRows) wide = wide || static_cast<int>(row.size()) > nWidth;
  if (lPrint && wide) page += cPrnComp;
  for (const std::string& row : aRows) {
    page += row;
    page += "\r\n";
  }
  if (lPrint) page += '\f';
  std::fwrite(page.data(), 1, page.size(), file_);
}

void TQZRFile::End() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void TQZRFile::Say(int row, int col, std::string_view text, int, int width, int pad) {
  if (row < 0 || row >= static_cast<int>(aRows.size())) return;
  if (col < 1) col = 1;
  std::string cell(text);
  if (width > 0) {
    const int len = static_cast<int>(cell.size());
    if (pad == 3) {
      // Centred: the text alone, half its length left of the cell's middle.
      col = std::max(1, col + width / 2 - len / 2);
    } else if (len >= width) {
      cell.resize(static_cast<std::size_t>(width));
    } else if (pad == 2) {
      cell.insert(0, static_cast<std::size_t>(width - len), ' ');
    } else {
      cell.append(static_cast<std::size_t>(width - len), ' ');
    }
  }
  std::string& line = aRows[static_cast<std::size_t>(row)];
  const std::size_t at = static_cast<std::size_t>(col - 1);
  if (line.size() < at) line.append(at - line.size(), ' ');
  line.replace(at, std::min(cell.size(), line.size() - at), cell);
}

int TQZRFile::MmToRow(double mm) { return static_cast<int>(std::round(mm / 4.233)); }

int TQZRFile::MmToCol(double mm) { return static_cast<int>(std::round(mm / 2.54)); }

void TQZRFile::SetHeight(int height) {
  nHeight = std::max(1, height);
  StartPage();
}

void TQZRFile::SetSize(int width, int height) {
  nWidth = std::max(1, width);
  nHeight = std::max(1, height);
  aRows.resize(static_cast<std::size_t>(nHeight));
}

}  // namespace reports
