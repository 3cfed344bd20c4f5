// The fixed lists of the report generator: the dialogs show the first list of each pair and
// store the position, or the code of the second. Their texts are stored in report
// definitions and compared with them, so they stay to the character, trailing blanks
// included.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"

namespace reports {

// One function the expression builder offers.
struct ReportFunction {
  std::string_view name;         // "abs()"
  std::string_view description;
  std::string_view arguments;
  std::string_view type;         // of its result: "N", "C", "F" (date) or "L"
};
const std::vector<ReportFunction>& ReportFunctions();

// TI_AITEMS: the kinds of header item; the full list adds the drawings and pictures.
std::vector<std::string> HeaderItems(bool short_list);

// Registers TI_AAJUSTES, TI_ACAJUSTES, TI_ATIPOS, TI_ACTIPOS, TI_ALOGICO, TI_AOPERA,
// TI_ANCOLORES, TI_ABITMAPS, TI_ACBITMAPS, TI_AITEMS and TI_AFUNCIONES.
void RegisterReportLists();

}  // namespace reports
