// How a record browse moves through a table: the records of one work area in its
// controlling order, those SET DELETED hides left out, optionally only those whose key lies
// between a lower and an upper value (a scope).
//
// Counts are logical: they count what the browse can show (the order's visible keys, or the
// visible records in natural order), so the browse's row count and scroll thumb match its
// rows. They are kept until the scope changes, the table is opened, closed or grows, the
// controlling order changes, or Invalidate() says the data changed (a refresh after another
// program's changes, an edit, an append).
//
// A scope is a predicate over the compiled key expression: key >= lower .AND. key <= upper
// with xBase comparison (SET EXACT off: a character bound compares as many characters as it
// has), evaluated on the record; values are never pasted into source text. The top of a
// scope is a soft seek of the lower value; its bottom is the last key not above the upper
// value: the last key that matches it when one does, else the key before the first key
// above it.
//
// The work area is found by alias at each call, and selected only for the duration of one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/block.h"
#include "runtime/value.h"

namespace ui {

class TableSource {
 public:
  explicit TableSource(std::string alias);

  const std::string& alias() const { return alias_; }
  // True when the alias names an open table.
  bool Used() const;

  // ---- scope ---------------------------------------------------------------------------
  // An empty key expression means the controlling order's own key. NIL bounds: no scope.
  // False (and no scope) when the expression does not compile.
  bool SetScope(const std::string& key_expression, const xb::Value& lower, const xb::Value& upper);
  void ClearScope();
  bool HasScope() const { return scope_.has_value(); }
  // True when the key types of the order, of the key expression and of both bounds agree.
  bool ScopeTypesAgree() const;
  // Counting a scope stops at this many records (0: no limit).
  void SetCountLimit(int limit) {
    if (limit != limit_) cache_.reset();
    limit_ = limit;
  }

  // ---- movement --------------------------------------------------------------------------
  void GoTop();
  void GoBottom();
  // Moves up to n records (negative: back) within what the browse shows; returns how many
  // it moved. Running off an end leaves the table on the last record reached.
  int Skip(int n);
  // Makes a record current (0: the end of the file).
  void GoTo(std::uint32_t record);
  // The record number of the current record; 0 at the end of the file.
  std::uint32_t RecNo() const;
  bool Eof() const;
  bool Bof() const;
  // True when the current record is one the browse shows (visible, within the scope).
  bool Shows();

  // ---- counting --------------------------------------------------------------------------
  // The number of records the browse shows.
  int Count();
  // The current record's place among them, 1-based; 0 when it is not one of them.
  int Position();
  // Goes to the n-th record the browse shows (clamped to 1 .. Count()).
  void GoToPosition(int n);
  // The data may have changed: counts are made again when next asked.
  void Invalidate() { cache_.reset(); }

 private:
  struct Scope {
    std::string key_text;
    xb::Block key;  // the compiled key expression
    xb::Value lower, upper;
  };
  struct Cache {
    std::uint64_t stamp = 0;
    int order = 0;
    std::uint32_t records = 0;
    int count = 0;
    int first_position = 0;  // ORDKEYNO of the scope's first record
  };

  int Area() const;
  bool InScope() const;
  void SeekTop();
  void SeekBottom();
  int RawKeyNo() const;
  std::uint64_t StampNow(int* order, std::uint32_t* records) const;
  const Cache& Counts();

  std::string alias_;
  std::optional<Scope> scope_;
  std::optional<Cache> cache_;
  int limit_ = 0;
};

}  // namespace ui
