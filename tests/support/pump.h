// Message pumping for window tests.
#pragma once

#include <functional>

namespace vdr::test {

// Dispatches pending messages of this thread until `done` holds or `timeout_ms` passes.
// Returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, unsigned timeout_ms = 5000);

// Dispatches whatever is pending now, without waiting.
void PumpPending();

}  // namespace vdr::test
