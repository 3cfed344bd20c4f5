// Fuzz target of the macro compiler: any text, compiled, checked, typed and evaluated,
// must end in a value or an error object, never in a crash, a leak or a hang.
// Built with clang/libFuzzer by `make fuzz`; built with g++ as macro_fuzz_replay, it runs
// the committed seed corpus in the native tests.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "runtime/runtime.h"
#include "runtime/xbeval/result_format.h"

namespace {

// Two small work areas, so alias and field paths are reachable.
class FuzzAreas : public xb::WorkAreaHost {
 public:
  FuzzAreas() {
    areas_[1] = {"ONE", {{"CNAME", xb::Value::String("abc")}, {"NVAL", xb::Value::Integer(3)}}};
    areas_[2] = {"TWO", {{"DDAY", xb::Value::FromDate(xb::Date::FromYmd(2024, 2, 29))}}};
  }
  int CurrentArea() override { return current_; }
  int SelectArea(int a) override {
    int old = current_;
    current_ = a;
    return old;
  }
  int AreaOfAlias(std::string_view alias) override {
    for (auto& [n, a] : areas_)
      if (a.alias == alias) return n;
    return 0;
  }
  int FieldPos(int area, std::string_view name) override {
    auto it = areas_.find(area);
    if (it == areas_.end()) return 0;
    int pos = 1;
    for (auto& [k, v] : it->second.fields) {
      if (k == name) return pos;
      ++pos;
    }
    return 0;
  }
  std::uint64_t AreaStamp(int area) override { return static_cast<std::uint64_t>(area); }
  xb::Value GetField(int area, int pos) override { return Field(area, pos); }
  void PutField(int area, int pos, const xb::Value& v) override { Field(area, pos) = v; }

 private:
  struct Area {
    std::string alias;
    std::map<std::string, xb::Value> fields;
  };
  xb::Value& Field(int area, int pos) {
    auto it = areas_[area].fields.begin();
    std::advance(it, pos - 1);
    return it->second;
  }
  std::map<int, Area> areas_;
  int current_ = 1;
};

void Setup() {
  xb::InitRuntime();
  static FuzzAreas areas;
  xb::SetWorkAreaHost(&areas);
  xb::SetMaxStringLength(1 << 20);
  // An object to send messages to.
  static xb::Class& cls = xb::Class::Define("TFUZZ").Var("CARGO").Var("AITEMS", xb::Value(xb::Array::New(2)));
  cls.Method("TWICE", [](xb::Object&, xb::Args& a) { return xb::OpPlus(a.Arg(1), a.Arg(1)); });
  xb::RegisterFunction("FUZZOBJ", [](xb::Args&) { return xb::Value(cls.New()); });
}

// Runs fn as xbeval runs a line: errors break out; nothing may escape but these.
template <class F>
void Protected(F fn) {
  try {
    xb::ErrorBlockScope scope(xb::Value(xb::Block::Native([](xb::Args& a) -> xb::Value { xb::Break(a.Arg(1)); })));
    xb::BeginSequence(fn);
  } catch (const xb::UnhandledError&) {
  } catch (const xb::BreakSignal&) {  // a BREAK from the error block of another scope
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = (Setup(), true);
  (void)ready;
  if (size > 4096) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  xb::SetCallBudget(20000);
  (void)xb::CheckSyntax(text);
  (void)xb::CalledFunctions(text);
  try {
    (void)xb::TypeOf(text);
  } catch (const xb::UnhandledError&) {  // the call budget ran out
  }
  xb::SetCallBudget(20000);
  (void)xb::xbeval::EvaluateLine(text);
  xb::SetCallBudget(20000);
  (void)xb::xbeval::EvaluateLine("Eval(" + std::string(text) + ")");
  xb::SetCallBudget(20000);
  Protected([&] {
    xb::Block b = xb::MacroBlock(text);
    (void)b.Eval({xb::Value::Integer(1), xb::Value::String("x")});
    xb::Value ref = xb::Value::NewRef(xb::Value::Integer(2));
    (void)b.Eval({ref, ref});
  });
  xb::SetCallBudget(0);
  xb::ReleaseAllMemvars();
  xb::ResetSets();
  xb::CollectGarbage();  // text may build cycles ({a}[1] := a); they must not outlive it
  return 0;
}
