// Test fixture of the runtime's tests: functions registered, settings, variables and the
// error block back to their start state around each test.
#pragma once

#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace xb::testing {

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    InitRuntime();
    ResetSets();
    ReleaseAllMemvars();
    SetErrorBlock(Value());
    SetWorkAreaHost(nullptr);
  }
};

// Installs an error block that records the error and answers `answer`.
class RecordingErrorBlock {
 public:
  explicit RecordingErrorBlock(Value answer = Value())
      : scope_(Value(Block::Native([this, answer](Args& a) {
          last = a.Arg(1).AsObject();
          ++count;
          return answer;
        }))) {}
  Error* error() const { return static_cast<Error*>(last.get()); }
  ObjectRef last;
  int count = 0;

 private:
  ErrorBlockScope scope_;
};

}  // namespace xb::testing
