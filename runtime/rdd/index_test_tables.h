// Test support for the index tests: the reference tables read with the least DBF code needed,
// and the reference key expressions written as C++ functions of the current record.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/rdd/order_bag.h"

namespace xb::rdd::testing {

std::string FixturePath(const std::string& relative);
std::string ReadFile(const std::string& path);

// A table held in memory: fields by name, records as raw bytes.
class TestTable : public RecordSource {
 public:
  struct Field { std::string name; char type; int length, decimals, offset; };
  static TestTable Load(const std::string& dbf_path);
  // A table of generated records, for benchmarks and bigger tests: the fixture's layout.
  static TestTable Generate(const TestTable& like, std::uint32_t count, std::uint32_t seed);

  std::uint32_t RecordCount() override { return std::uint32_t(records_.size()); }
  BagStatus GoTo(std::uint32_t recno) override {
    current_ = recno;
    return BagStatus::Ok();
  }
  std::uint32_t current() const { return current_; }

  // Values of the current record (the blank record beyond the last one).
  std::string Text(const std::string& field) const;       // raw field bytes
  double Number(const std::string& field) const;
  std::int32_t Julian(const std::string& field) const;    // 0 for an empty date
  bool Logical(const std::string& field) const;
  bool Deleted(std::uint32_t recno) const { return recno >= 1 && recno <= records_.size() && records_[recno - 1][0] == '*'; }
  const Field& FieldNamed(const std::string& name) const;
  // Changes a field of the current record (raw bytes, padded).
  void Put(const std::string& field, const std::string& raw);
  std::uint32_t Append();   // a blank record; becomes current
  // The table as a DBF file: the loaded file's header with this record count, the records.
  std::string ToDbf() const;
  void SetDeleted(bool deleted) { records_[current_ - 1][0] = deleted ? '*' : ' '; }

 private:
  const std::string& Record() const;
  std::vector<Field> fields_;
  std::string header_;
  std::vector<std::string> records_;
  std::string blank_;
  std::uint32_t current_ = 0;
};

std::int32_t JulianFromDtos(const std::string& yyyymmdd);

// Compiles the expressions the reference indexes use, evaluated on a TestTable.
class TestCompiler : public ExpressionCompiler {
 public:
  explicit TestCompiler(TestTable& table) : table_(table) {}
  BagStatus Compile(std::string_view text, std::unique_ptr<KeyExpression>& out) override;
  // Extra expressions of a test.
  void Define(const std::string& text, std::function<KeyValue(TestTable&)> fn) { extra_[text] = std::move(fn); }

 private:
  TestTable& table_;
  std::map<std::string, std::function<KeyValue(TestTable&)>> extra_;
};

}  // namespace xb::rdd::testing
