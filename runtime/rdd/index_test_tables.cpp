#include "runtime/rdd/index_test_tables.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "runtime/codepage.h"

namespace xb::rdd::testing {

std::string FixturePath(const std::string& relative) { return std::string(VDR_FIXTURES_DIR) + "/" + relative; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TestTable TestTable::Load(const std::string& dbf_path) {
  const std::string raw = ReadFile(dbf_path);
  auto u16 = [&](std::size_t o) { return std::uint8_t(raw[o]) | std::uint8_t(raw[o + 1]) << 8; };
  auto u32 = [&](std::size_t o) { return std::uint32_t(u16(o)) | std::uint32_t(u16(o + 2)) << 16; };
  TestTable t;
  const std::uint32_t count = u32(4);
  const int header = u16(8), length = u16(10);
  int offset = 1;
  for (std::size_t p = 32; p + 32 <= raw.size() && raw[p] != 0x0D; p += 32) {
    Field f;
    f.name = std::string(raw.data() + p, 11).c_str();
    f.type = raw[p + 11];
    f.length = std::uint8_t(raw[p + 16]);
    f.decimals = std::uint8_t(raw[p + 17]);
    f.offset = offset;
    offset += f.length;
    t.fields_.push_back(f);
  }
  t.header_ = raw.substr(0, header);
  for (std::uint32_t r = 0; r < count; ++r) t.records_.push_back(raw.substr(header + std::size_t(r) * length, length));
  t.blank_.assign(length, ' ');
  return t;
}

TestTable TestTable::Generate(const TestTable& like, std::uint32_t count, std::uint32_t seed) {
  // Records drawn from the fixture's own records with the code and amount varied, so keys keep
  // their mix of blanks, duplicates and accented letters.
  TestTable t = like;
  t.records_.clear();
  t.records_.reserve(count);
  std::mt19937 rng(seed);
  const Field& code = like.FieldNamed("CODIGO");
  const Field& amount = like.FieldNamed("IMPORTE");
  for (std::uint32_t r = 0; r < count; ++r) {
    std::string rec = like.records_[rng() % like.records_.size()];
    if (rng() % 10) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%c%05u", 'A' + int(rng() % 26), unsigned(rng() % 100000));
      rec.replace(code.offset, code.length, std::string(buf).append(code.length - 6, ' '));
      std::snprintf(buf, sizeof buf, "%12.2f", (double(rng() % 200000000) - 100000000) / 100.0);
      rec.replace(amount.offset, amount.length, buf);
    }
    rec[0] = ' ';
    t.records_.push_back(std::move(rec));
  }
  return t;
}

const std::string& TestTable::Record() const {
  return current_ >= 1 && current_ <= records_.size() ? records_[current_ - 1] : blank_;
}

const TestTable::Field& TestTable::FieldNamed(const std::string& name) const {
  for (const Field& f : fields_)
    if (f.name == name) return f;
  throw std::runtime_error("no field " + name);
}

std::string TestTable::Text(const std::string& field) const {
  const Field& f = FieldNamed(field);
  return Record().substr(f.offset, f.length);
}

double TestTable::Number(const std::string& field) const { return std::atof(Text(field).c_str()); }

std::int32_t JulianFromDtos(const std::string& s) {
  if (s.size() < 8 || s[0] == ' ') return 0;
  const int y = std::atoi(s.substr(0, 4).c_str()), m = std::atoi(s.substr(4, 2).c_str()),
            d = std::atoi(s.substr(6, 2).c_str());
  const int a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

std::int32_t TestTable::Julian(const std::string& field) const { return JulianFromDtos(Text(field)); }
bool TestTable::Logical(const std::string& field) const {
  const char c = Text(field)[0];
  return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

void TestTable::Put(const std::string& field, const std::string& raw) {
  const Field& f = FieldNamed(field);
  std::string v = raw.substr(0, f.length);
  v.resize(f.length, ' ');
  records_[current_ - 1].replace(f.offset, f.length, v);
}

std::string TestTable::ToDbf() const {
  std::string out = header_;
  const auto n = std::uint32_t(records_.size());
  for (int i = 0; i < 4; ++i) out[4 + i] = char(n >> (8 * i));
  out.reserve(out.size() + records_.size() * blank_.size() + 1);
  for (const std::string& r : records_) out += r;
  out += '\x1A';
  return out;
}

std::uint32_t TestTable::Append() {
  records_.push_back(blank_);
  current_ = std::uint32_t(records_.size());
  return current_;
}

namespace {

class FnExpression : public KeyExpression {
 public:
  FnExpression(TestTable& t, std::function<KeyValue(TestTable&)> fn) : t_(t), fn_(std::move(fn)) {}
  BagStatus Evaluate(KeyValue& out) override {
    out = fn_(t_);
    return BagStatus::Ok();
  }
 private:
  TestTable& t_;
  std::function<KeyValue(TestTable&)> fn_;
};

std::string Up(const std::string& s) { return Upper(CodePageEsWin(), s); }

KeyValue Num(TestTable& t, const char* f) {
  const auto& fd = t.FieldNamed(f);
  return KeyValue::Number(t.Number(f), fd.length, fd.decimals);
}

}  // namespace

BagStatus TestCompiler::Compile(std::string_view text, std::unique_ptr<KeyExpression>& out) {
  static const std::map<std::string, std::function<KeyValue(TestTable&)>> known = {
      {"CODIGO", [](TestTable& t) { return KeyValue::Text(t.Text("CODIGO")); }},
      {"UPPER(NOMBRE)+CODIGO", [](TestTable& t) { return KeyValue::Text(Up(t.Text("NOMBRE")) + t.Text("CODIGO")); }},
      {"DTOS(FECHA)+CODIGO", [](TestTable& t) { return KeyValue::Text(t.Text("FECHA") + t.Text("CODIGO")); }},
      {"STR(IMPORTE,12,2)", [](TestTable& t) { return KeyValue::Text(t.Text("IMPORTE")); }},
      {"ACTIVO", [](TestTable& t) { return KeyValue::Logical(t.Logical("ACTIVO")); }},
      {"NNUMPED", [](TestTable& t) { return Num(t, "NNUMPED"); }},
      {"DFECHA", [](TestTable& t) { return KeyValue::Date(t.Julian("DFECHA")); }},
      {"LCERRADA", [](TestTable& t) { return KeyValue::Logical(t.Logical("LCERRADA")); }},
      {"NIMPORTE", [](TestTable& t) { return Num(t, "NIMPORTE"); }},
      {"CSERIE+STR(NNUMPED,7)", [](TestTable& t) { return KeyValue::Text(t.Text("CSERIE") + t.Text("NNUMPED")); }},
      {"UPPER(CREF)", [](TestTable& t) { return KeyValue::Text(Up(t.Text("CREF"))); }},
      {"DTOS(DFECHA)", [](TestTable& t) { return KeyValue::Text(t.Text("DFECHA")); }},
      {"DFECHA>=CTOD(\"01-01-2010\")",
       [](TestTable& t) { return KeyValue::Logical(t.Julian("DFECHA") >= JulianFromDtos("20100101")); }},
  };
  const std::string key(text);
  auto it = extra_.find(key);
  if (it != extra_.end()) {
    out = std::make_unique<FnExpression>(table_, it->second);
    return BagStatus::Ok();
  }
  auto k = known.find(key);
  if (k == known.end()) return BagStatus::Error(BagCode::kExpression, "Expresión desconocida: " + key);
  out = std::make_unique<FnExpression>(table_, k->second);
  return BagStatus::Ok();
}

}  // namespace xb::rdd::testing
