#include "runtime/rdd/fuzz/index_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  xb::rdd::fuzz::OneInput(/*cdx=*/false, data, size);
  return 0;
}
