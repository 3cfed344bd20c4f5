#include "ui/bridge/dll_calls.h"

#include <array>
#include <bit>
#include <cstring>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "runtime/args.h"
#include "runtime/function_table.h"

namespace ui {
namespace {

static_assert(sizeof(void*) == 8, "the descriptor call is written for the x86_64 convention");

constexpr std::size_t kHeaderSize = 7;
constexpr std::size_t kMinRefBuffer = 4096;

// Entries GETPROCADDRESS resolved, in order; a descriptor holds an index into it.
class EntryTable {
 public:
  std::uint32_t Add(FARPROC entry) {
    if (entry == nullptr) return 0;
    auto found = index_.find(entry);
    if (found != index_.end()) return found->second;
    entries_.push_back(entry);
    const auto n = static_cast<std::uint32_t>(entries_.size());
    index_.emplace(entry, n);
    return n;
  }
  FARPROC At(std::uint32_t n) const { return n >= 1 && n <= entries_.size() ? entries_[n - 1] : nullptr; }

 private:
  std::vector<FARPROC> entries_;
  std::unordered_map<FARPROC, std::uint32_t> index_;
};

EntryTable& Entries() {
  static EntryTable table;
  return table;
}

struct Slot {
  std::uint64_t bits = 0;
  bool is_double = false;
};
using Slots = std::array<Slot, kMaxCallParams>;

template <typename T>
T As(const Slot& s) {
  if constexpr (std::is_same_v<T, double>) return std::bit_cast<double>(s.bits);
  else return s.bits;
}

// The first four parameters travel in RCX/RDX/R8/R9 or XMM0-3 by their type; the others on
// the stack, where a double's bits in an 8-byte slot are what the callee reads. Every call
// passes 17 slots: the caller owns the stack, so unused ones are harmless.
template <int Mask>
std::uint64_t InvokeAs(FARPROC entry, const Slots& s) {
  using A1 = std::conditional_t<(Mask & 1) != 0, double, std::uint64_t>;
  using A2 = std::conditional_t<(Mask & 2) != 0, double, std::uint64_t>;
  using A3 = std::conditional_t<(Mask & 4) != 0, double, std::uint64_t>;
  using A4 = std::conditional_t<(Mask & 8) != 0, double, std::uint64_t>;
  using U = std::uint64_t;
  using Fn = U (*)(A1, A2, A3, A4, U, U, U, U, U, U, U, U, U, U, U, U, U);
  const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(entry));
  return fn(As<A1>(s[0]), As<A2>(s[1]), As<A3>(s[2]), As<A4>(s[3]), s[4].bits, s[5].bits, s[6].bits,
            s[7].bits, s[8].bits, s[9].bits, s[10].bits, s[11].bits, s[12].bits, s[13].bits, s[14].bits,
            s[15].bits, s[16].bits);
}

template <int... M>
constexpr auto MakeInvokers(std::integer_sequence<int, M...>) {
  return std::array<std::uint64_t (*)(FARPROC, const Slots&), sizeof...(M)>{&InvokeAs<M>...};
}

std::uint64_t Invoke(FARPROC entry, const Slots& s) {
  static constexpr auto kInvokers = MakeInvokers(std::make_integer_sequence<int, 16>{});
  int mask = 0;
  for (int i = 0; i < 4; ++i) mask |= s[static_cast<std::size_t>(i)].is_double ? 1 << i : 0;
  return kInvokers[static_cast<std::size_t>(mask)](entry, s);
}

std::uint64_t IntegerOf(const xb::Value& v) {
  if (v.IsLogical()) return v.AsLogical() ? 1 : 0;
  return static_cast<std::uint64_t>(v.AsInt());
}

// A by-reference argument's storage, kept until its value is stored back.
struct RefCell {
  int arg = 0;  // position in the arguments (1-based)
  int type = 0;
  std::uint64_t cell = 0;
  std::vector<char> buffer;
  std::size_t length = 0;  // the variable's length, for texts
};

xb::Value StoredBack(const RefCell& r) {
  switch (r.type) {
    case 7: return xb::Value::Integer(static_cast<std::int32_t>(static_cast<std::uint32_t>(r.cell)));
    case 12: return xb::Value::Integer(static_cast<std::uint32_t>(r.cell));
    case 10: return xb::Value::Integer(static_cast<std::int64_t>(r.cell));
    default: return xb::Value::String(std::string_view(r.buffer.data(), r.length));
  }
}

xb::Value Result(int type, std::uint64_t raw) {
  switch (type) {
    case 1:
    case 2: return xb::Value::Integer(static_cast<std::int16_t>(static_cast<std::uint16_t>(raw)));
    case 3:
    case 4:
    case 7: return xb::Value::Integer(static_cast<std::int32_t>(static_cast<std::uint32_t>(raw)));
    case 12: return xb::Value::Integer(static_cast<std::uint32_t>(raw));
    case 10: return xb::Value::Integer(static_cast<std::int64_t>(raw));
    case 5: return xb::Value::Logical(static_cast<std::uint32_t>(raw) != 0);
    case 8:
    case 9: {
      const auto* text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(raw));
      return xb::Value::String(text != nullptr ? std::string_view(text) : std::string_view());
    }
    case 11: {
      const auto* number = reinterpret_cast<const double*>(static_cast<std::uintptr_t>(raw));
      if (number == nullptr) return xb::Value();
      return xb::Value::Number(*number);
    }
    default: return xb::Value();
  }
}

}  // namespace

std::string MakeCallDescriptor(FARPROC entry, bool callee_cleans, int result_type, std::span<const int> param_types) {
  const std::size_t n = std::min<std::size_t>(param_types.size(), kMaxCallParams);
  std::string d(kHeaderSize + n, '\0');
  const std::uint32_t index = Entries().Add(entry);
  for (int i = 0; i < 4; ++i) d[static_cast<std::size_t>(i)] = static_cast<char>((index >> (8 * i)) & 0xFF);
  d[4] = static_cast<char>(callee_cleans ? 1 : 0);
  d[5] = static_cast<char>(result_type & 0xFF);
  d[6] = static_cast<char>(n);
  for (std::size_t i = 0; i < n; ++i) d[kHeaderSize + i] = static_cast<char>(param_types[i] & 0xFF);
  return d;
}

xb::Value CallByDescriptor(std::string_view d, std::span<const xb::Value> raw) {
  if (d.size() < kHeaderSize) return xb::Value();
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(d[i]); };
  const std::uint32_t index = byte(0) | byte(1) << 8 | byte(2) << 16 | static_cast<std::uint32_t>(byte(3)) << 24;
  const std::size_t n = byte(6);
  if (n > kMaxCallParams || d.size() < kHeaderSize + n) return xb::Value();
  const FARPROC entry = Entries().At(index);
  if (entry == nullptr) return xb::Value();

  const xb::Args args(raw);
  Slots slots{};
  std::vector<std::string> texts;  // NUL-ended copies, alive for the call
  texts.reserve(n);
  std::vector<RefCell> refs;
  refs.reserve(n);
  std::size_t used = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const int type = byte(kHeaderSize + i);
    const int at = static_cast<int>(i) + 1;
    const xb::Value& v = args.Arg(at);
    Slot& slot = slots[used];
    switch (type) {
      case 1:
      case 2:
        slot.bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int16_t>(IntegerOf(v))));
        break;
      case 3:
      case 4:
      case 6:
        slot.bits = IntegerOf(v);
        break;
      case 5:
        slot.bits = (v.IsLogical() ? v.AsLogical() : v.AsInt() != 0) ? 1 : 0;
        break;
      case 7:
      case 10:
      case 12:
        if (args.IsByRef(at)) {
          RefCell& r = refs.emplace_back();
          r.arg = at;
          r.type = type;
          r.cell = IntegerOf(v);
          slot.bits = reinterpret_cast<std::uintptr_t>(&r.cell);
        } else {
          slot.bits = IntegerOf(v);
        }
        break;
      case 8:
      case 9:
        if (v.IsString() && args.IsByRef(at)) {
          RefCell& r = refs.emplace_back();
          r.arg = at;
          r.type = type;
          r.length = v.AsString().size();
          r.buffer.assign(std::max(r.length + 1, kMinRefBuffer), '\0');
          std::memcpy(r.buffer.data(), v.AsString().data(), r.length);
          slot.bits = reinterpret_cast<std::uintptr_t>(r.buffer.data());
        } else if (v.IsString()) {
          slot.bits = reinterpret_cast<std::uintptr_t>(texts.emplace_back(v.AsString()).c_str());
        } else {
          slot.bits = IntegerOf(v);  // a number is an address (0: a null pointer)
        }
        break;
      case 11:
        slot.bits = std::bit_cast<std::uint64_t>(v.AsDouble());
        slot.is_double = true;
        break;
      default:
        continue;  // passes nothing; the next parameter takes this slot
    }
    ++used;
  }

  const std::uint64_t raw_result = Invoke(entry, slots);
  for (const RefCell& r : refs) args.SetRef(r.arg, StoredBack(r));
  return Result(byte(5), raw_result);
}

void RegisterDllCalls() {
  xb::RegisterFunction("GETPROCADDRESS", [](xb::Args& a) {
    const auto module = reinterpret_cast<HMODULE>(static_cast<std::intptr_t>(a.Int(1)));
    FARPROC entry = nullptr;
    if (module != nullptr) {
      if (a.Arg(2).IsNumber()) {
        entry = GetProcAddress(module, MAKEINTRESOURCEA(static_cast<WORD>(a.Int(2))));
      } else if (a.Arg(2).IsString()) {
        const std::string name(a.Str(2));
        entry = GetProcAddress(module, name.c_str());
      }
    }
    std::vector<int> types;
    for (int n = 5; n <= a.Count(); ++n) types.push_back(static_cast<int>(a.Int(n)));
    return xb::Value::String(MakeCallDescriptor(entry, a.Log(3), static_cast<int>(a.Int(4)), types));
  });
  xb::RegisterFunction("CALLDLL", [](xb::Args& a) {
    if (!a.Arg(1).IsString()) return xb::Value();
    const std::span<const xb::Value> raw = a.Raw();
    return CallByDescriptor(a.Str(1), raw.subspan(1));
  });
}

}  // namespace ui
