#include "runtime/lib/library.h"

#include "runtime/lib/get.h"

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
  RegisterGetClass();
}

}  // namespace xb
