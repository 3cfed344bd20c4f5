// What a browse's report prints: rows of texts under their titles, with the browse's title,
// a heading line and a footer followed by the page number, to the printer or the preview.
#pragma once

#include <string>
#include <vector>

#include "runtime/object.h"

namespace output {

// A report of the rows; `device` (a page device) instead of the printer when given.
void PrintRows(const std::string& title, const std::string& heading, const std::string& footer,
               const std::vector<std::string>& titles, const std::vector<int>& widths,
               const std::vector<std::vector<std::string>>& rows, bool preview, xb::ObjectRef device = nullptr);

class TReport;
// The same rows on a report the caller made (Init done): their columns, the footer followed
// by the page number, then the run.
void RunRows(TReport& report, const std::string& footer, const std::vector<std::string>& titles,
             const std::vector<int>& widths, const std::vector<std::vector<std::string>>& rows);

// Makes TWBrowse:Report print through PrintRows.
void InstallBrowseReporter();

}  // namespace output
