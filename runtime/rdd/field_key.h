// Index keys made only of one work area's fields: each field as it stands, or through one
// registered function of that field and constant numbers (UPPER(NOMBRE), DTOS(FECHA),
// STR(IMPORTE, 12, 2)), joined by +. Nearly every index key has that shape; such a key is
// built straight from the record, without the macro evaluator's walk over the expression,
// calling the functions' text forms the way the evaluator calls them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/symbol.h"
#include "runtime/value.h"

namespace xb::rdd {

class WorkArea;

// Whether a key or FOR text takes its value from the current record alone (its fields, its
// number, its deletion mark) through functions of their arguments: nothing that asks the table's
// count, header or position, nor a user function or macro text that might. A pack gives such
// keys right while it shows the records it keeps, before the packed table is in place.
bool KeyOfRecordAlone(std::string_view text);

class FieldKey {
 public:
  enum class Result {
    kText,   // the key's text was appended
    kValue,  // a lone field that is not text: its value is in `other`
    kAsked,  // a part did not give what the plan expects: evaluate the expression instead
  };

  // The plan for `text` over `area`'s fields, or nullptr when the text has another shape.
  static std::unique_ptr<FieldKey> Compile(WorkArea& area, std::string_view text);

  // The key of the area's current record, appended to `out` (left as it was unless kText).
  Result Append(std::string& out, Value& other);

 private:
  // STR of a numeric field to its own decimals and DTOS of a date field give the field's own
  // bytes when they are as such a call writes them: then nothing is decoded.
  enum class Copy { kNone, kStr, kDtos };
  struct Part {
    int field = 0;                    // position in the area (1-based)
    const Symbol* function = nullptr;  // none: the field itself
    std::vector<Value> args;          // the call's arguments; [0] takes the field's value
    Copy copy = Copy::kNone;
    int width = 0;                    // STR's
  };
  // Appends what the part's call gives straight from the field's bytes; false when they are not
  // in the form it writes.
  bool AppendCopy(const Part& part, std::string& out) const;

  FieldKey(WorkArea& area, std::uint64_t stamp) : area_(area), stamp_(stamp) {}

  WorkArea& area_;
  std::uint64_t stamp_;  // the area's table when compiled
  std::vector<Part> parts_;
};

}  // namespace xb::rdd
