// Shared by the CDX and NTX fuzz targets: opens a bag from bytes and walks it every way the
// work area can. Built as a libFuzzer target with `make fuzz`, and as a plain program that
// replays the committed seeds (and deterministic mutations of them) in the native test run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/rdd/bag_file_memory.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd::fuzz {

// Keys are evaluated from the expression's text, so every key type is reached.
class FuzzExpression : public KeyExpression {
 public:
  explicit FuzzExpression(std::string text) : text_(std::move(text)) {}
  BagStatus Evaluate(KeyValue& out) override {
    const char first = text_.empty() ? 'C' : text_[0];
    if (first == 'N') out = KeyValue::Number(double(text_.size()) - 5.5, 10, 2);
    else if (first == 'D') out = KeyValue::Date(2455000 + std::int32_t(text_.size()));
    else if (first == 'L') out = KeyValue::Logical(text_.size() % 2 == 0);
    else out = KeyValue::Text(text_ + std::string(12, 'x'));
    return BagStatus::Ok();
  }
 private:
  std::string text_;
};

class FuzzCompiler : public ExpressionCompiler {
 public:
  BagStatus Compile(std::string_view text, std::unique_ptr<KeyExpression>& out) override {
    out = std::make_unique<FuzzExpression>(std::string(text));
    return BagStatus::Ok();
  }
};

inline void Exercise(OrderBag& bag) {
  for (int t = 0; t < bag.TagCount() && t < 8; ++t) {
    Tag& tag = *bag.TagAt(t);
    TagPosition pos;
    bool end = false;
    if (tag.GoTop(pos).ok()) {
      for (int i = 0; i < 2000 && !pos.eof(); ++i)
        if (!tag.Skip(pos.recno, 1, pos, end).ok()) break;
    }
    if (tag.GoBottom(pos).ok()) {
      for (int i = 0; i < 200 && !pos.eof(); ++i)
        if (!tag.Skip(pos.recno, -1, pos, end).ok()) break;
    }
    std::uint32_t count = 0;
    tag.KeyCount(count, [](std::uint32_t r) { return r % 3 != 0; });
    tag.KeyNo(5, count);
    KeyValue key;
    if (tag.CurrentKeyValue(key).ok()) {
      tag.Seek(key, SeekMode::kSoft, false, pos);
      tag.Seek(key, SeekMode::kExact, true, pos);
    }
    tag.Skip(123, 3, pos, end);
  }
  // Key maintenance on a damaged file must fail cleanly too.
  RecordKeys before;
  if (bag.CurrentKeys(before).ok()) bag.UpdateKeys(7, &before), bag.UpdateKeys(9, nullptr);
}

inline void OneInput(bool cdx, const std::uint8_t* data, std::size_t size) {
  FuzzCompiler compiler;
  BagOptions options;
  options.codepage = &CodePageEsWin();
  std::unique_ptr<OrderBag> bag;
  auto file = std::make_unique<MemoryBagFile>(std::string(reinterpret_cast<const char*>(data), size));
  const BagStatus st = cdx ? OpenCdx(std::move(file), compiler, options, bag) : OpenNtx(std::move(file), compiler, options, bag);
  if (st.ok()) Exercise(*bag);
}

}  // namespace xb::rdd::fuzz
