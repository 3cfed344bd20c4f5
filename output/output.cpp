#include "output/output.h"

#include "output/browse_report.h"
#include "output/emf_functions.h"
#include "output/preview.h"
#include "output/tprinter.h"
#include "output/treport.h"

namespace output {

void InitOutput() {
  RegisterPrinterClass();
  RegisterPreviewFunctions();
  RegisterEmfFunctions();
  RegisterReportFunctions();
  InstallBrowseReporter();
}

}  // namespace output
