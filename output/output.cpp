#include "output/output.h"

#include "output/browse_report.h"
#include "output/emf_functions.h"
#include "output/html_export.h"
#include "output/preview.h"
#include "output/destination_config.h"
#include "output/document_headers.h"
#include "output/listing_driver.h"
#include "output/listing_file.h"
#include "output/listing_window.h"
#include "output/printer_helpers.h"
#include "output/printer_table.h"
#include "output/qz_printer.h"
#include "output/tfont2.h"
#include "output/tprinter2.h"
#include "output/tprinter.h"
#include "output/treport.h"

namespace output {

void InitOutput() {
  RegisterPrinterClass();
  RegisterPreviewFunctions();
  RegisterQzPrinter();
  RegisterPrinterHelpers();
  RegisterPrinterTable();
  RegisterTPrinter2();
  RegisterListingFile();
  RegisterListingDriver();
  RegisterDocumentHeaders();
  RegisterDestinationConfig();
  RegisterListingWindow();
  RegisterTFont2();
  RegisterEmfFunctions();
  RegisterReportFunctions();
  RegisterHtmlExport();
  InstallBrowseReporter();
}

}  // namespace output
