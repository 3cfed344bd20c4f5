// TBrwDataQZ:BrwReport, the browser's "Imprimir".
#include <algorithm>

#include "reports/win/tbrwdataqz.h"
#include "reports/win/tdtreport.h"
#include "ui/bridge/text_drawing.h"
#include "ui/core/tfont.h"

namespace reports {

void TBrwDataQZ::BrwReport(const std::string& title, bool preview) {
  if (!browse_ || browse_->hWnd == nullptr) return;
  std::vector<std::vector<std::string>> rows = browse_->ReportRows();
  if (rows.empty()) return;
  const std::vector<std::string> titles = rows.front();
  rows.erase(rows.begin());
  // Widths in characters of the browse's font; a column without a size counts as 80 pixels.
  const int b = std::max(ui::GetTextWidth(nullptr, "B", browse_->oFont ? browse_->oFont->hFont : nullptr), 1);
  const std::vector<int> sizes = browse_->GetColSizes();
  std::vector<int> widths;
  for (std::size_t i = 0; i < titles.size(); ++i) widths.push_back((i < sizes.size() && sizes[i] != 0 ? sizes[i] : 80) / b);
  PrintBrowseRows(title, titles, widths, rows, preview);
}

}  // namespace reports
