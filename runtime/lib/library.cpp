#include "runtime/lib/library.h"

namespace xb {

void RegisterStandardLibrary() {
  RegisterStringFunctions();
  RegisterBinaryStringFunctions();
  RegisterMemoLineFunctions();
  RegisterNumberFunctions();
  RegisterDateFunctions();
  RegisterArrayFunctions();
  RegisterFileFunctions();
  RegisterEnvironmentFunctions();
  RegisterCodePageFunctions();
}

}  // namespace xb
