// Numbers packed into strings, little-endian as files and Windows structures hold them:
// L2BIN/BIN2L (32 bits, signed), I2BIN/BIN2I (16 bits, signed), W2BIN/BIN2W (16 bits,
// unsigned). Reading a short string takes the missing bytes as zeros.
#include <cstdint>
#include <string>

#include "runtime/function_table.h"
#include "runtime/lib/library.h"

namespace xb {

namespace {

template <int Bytes>
Value Pack(Args& a) {
  auto v = static_cast<std::uint64_t>(a.Int(1));
  char buf[Bytes];
  for (int i = 0; i < Bytes; ++i) buf[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return Value::String(std::string_view(buf, Bytes));
}

template <int Bytes, bool Signed>
Value Unpack(Args& a) {
  std::string_view s = a.Str(1);
  std::uint64_t v = 0;
  for (int i = 0; i < Bytes && i < static_cast<int>(s.size()); ++i)
    v |= static_cast<std::uint64_t>(static_cast<unsigned char>(s[static_cast<std::size_t>(i)])) << (8 * i);
  if constexpr (Bytes == 4) return Value::Integer(Signed ? std::int64_t{static_cast<std::int32_t>(v)} : std::int64_t(v));
  else return Value::Integer(Signed ? std::int64_t{static_cast<std::int16_t>(v)} : std::int64_t(v));
}

}  // namespace

void RegisterBinaryStringFunctions() {
  RegisterFunction("L2BIN", Pack<4>);
  RegisterFunction("I2BIN", Pack<2>);
  RegisterFunction("W2BIN", Pack<2>);
  RegisterFunction("BIN2L", Unpack<4, true>);
  RegisterFunction("BIN2I", Unpack<2, true>);
  RegisterFunction("BIN2W", Unpack<2, false>);
}

}  // namespace xb
