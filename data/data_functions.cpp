#include "app/data_functions.h"

#include "app/currency_functions.h"
#include "app/program_settings.h"
#include "app/record_helpers.h"
#include "app/sde_index.h"
#include "app/table_access.h"

namespace app {

void RegisterDataFunctions() {
  RegisterProgramSettings();
  RegisterTableAccess();
  RegisterRecordHelpers();
  RegisterSdeIndex();
  RegisterCurrencyFunctions();
}

}  // namespace app
