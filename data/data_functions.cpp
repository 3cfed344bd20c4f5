#include "data/data_functions.h"

#include "data/currency_functions.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/sde_index.h"
#include "data/table_access.h"

namespace data {

void RegisterDataFunctions() {
  RegisterProgramSettings();
  RegisterTableAccess();
  RegisterRecordHelpers();
  RegisterSdeIndex();
  RegisterCurrencyFunctions();
}

}  // namespace data
