#include "reports/report_functions.h"

#include "reports/access_rules.h"
#include "reports/dictionary_files.h"
#include "reports/dictionary_rows.h"
#include "reports/dictionary_tables.h"
#include "reports/expression_rows.h"
#include "reports/expressions.h"
#include "reports/list_helpers.h"
#include "reports/report_columns.h"
#include "reports/report_definitions.h"
#include "reports/report_engine_objects.h"
#include "reports/report_lists.h"
#include "reports/report_run.h"
#include "reports/report_masks.h"
#include "reports/table_search.h"
#include "reports/tdictqz.h"
#include "reports/tinforme_object.h"
#include "reports/value_helpers.h"
#include "reports/work_tables.h"

namespace reports {

void RegisterReportFunctions() {
  RegisterReportLists();
  RegisterListHelpers();
  RegisterValueHelpers();
  RegisterReportMasks();
  RegisterWorkTables();
  RegisterExpressions();
  RegisterTableSearch();
  RegisterDictionaryTables();
  RegisterDictionaryFiles();
  RegisterAccessRules();
  RegisterDictionaryRows();
  RegisterTDictQZ();
  RegisterTInforme();
  RegisterReportDefinitions();
  RegisterReportRun();
  RegisterExpressionRows();
  RegisterReportColumns();
  RegisterReportEngine();
}

}  // namespace reports
