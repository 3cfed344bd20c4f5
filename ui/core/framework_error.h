// The framework's own errors: 1 "Non defined Id", 2 "Duplicated Id", 3 "Cannot create
// Dialog Box", 4 "Memory Low", 5 "GPF occurred", 6 "Cannot create window or control".
#pragma once

#include <string_view>

#include "runtime/error.h"

namespace ui {

enum class FrameworkError {
  kNonDefinedId = 1,
  kDuplicatedId = 2,
  kCannotCreateDialog = 3,
  kMemoryLow = 4,
  kGpf = 5,
  kCannotCreateWindow = 6,
};

// The error object of a framework code, with `operation` as its operation text.
xb::ErrorRef MakeFrameworkError(int code, std::string_view operation);

// Evaluates the current error block with the error; returns the block's value. Without an
// error block the error is thrown as xb::UnhandledError.
xb::Value RaiseFrameworkError(int code, std::string_view operation);

}  // namespace ui
