#include "data/data_functions.h"

#include "data/currency_functions.h"
#include "data/field_checks.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/sde_index.h"
#include "data/table_access.h"
#include "data/table_views.h"
#include "data/temporary_tables.h"
#include "data/text_dates.h"
#include "data/user_logo.h"

namespace data {

void RegisterDataFunctions() {
  RegisterProgramSettings();
  RegisterTableAccess();
  RegisterRecordHelpers();
  RegisterSdeIndex();
  RegisterCurrencyFunctions();
  RegisterTableViews();
  RegisterTemporaryTables();
  RegisterFieldChecks();
  RegisterTextDates();
  RegisterUserLogo();
}

}  // namespace data
