#include "ui/controls/tccolumn_format.h"

namespace ui {
namespace {

void PutWord(std::string& out, std::size_t n) {
  out.push_back(static_cast<char>(n & 0xFF));
  out.push_back(static_cast<char>((n >> 8) & 0xFF));
}

std::size_t WordAt(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]) | static_cast<std::size_t>(static_cast<unsigned char>(text[at + 1])) << 8;
}

// Reads forward; every read checks what is left.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool Word(std::size_t& n) {
    if (Left() < 2) return false;
    n = WordAt(text_, at_);
    at_ += 2;
    return true;
  }
  bool Bytes(std::size_t n, std::string_view& out) {
    if (Left() < n) return false;
    out = text_.substr(at_, n);
    at_ += n;
    return true;
  }
  std::size_t Left() const { return text_.size() - at_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

bool IsScalarType(char type) { return type == 'C' || type == 'N' || type == 'L' || type == 'D'; }

}  // namespace

std::optional<std::string> EncodeColumnRecord(std::string_view class_name, const std::vector<ColumnItem>& items) {
  if (class_name.size() > kMaxColumnText || items.size() > kMaxColumnText) return std::nullopt;
  std::string body;
  PutWord(body, class_name.size());
  body.append(class_name);
  PutWord(body, items.size());
  for (const ColumnItem& item : items) {
    if (item.name.size() > kMaxColumnText) return std::nullopt;
    PutWord(body, item.name.size());
    body.append(item.name);
    if (item.type == 'A' || item.type == 'O') {
      body.append(item.text);
      continue;
    }
    if (item.text.size() > kMaxColumnText) return std::nullopt;
    body.push_back(item.type);
    PutWord(body, item.text.size());
    body.append(item.text);
  }
  if (body.size() + 3 > kMaxColumnText) return std::nullopt;
  std::string record = "O";
  PutWord(record, body.size() + 3);
  return record + body;
}

std::optional<std::vector<ColumnItem>> DecodeColumnBody(std::string_view body) {
  Reader r(body);
  std::size_t count = 0;
  if (!r.Word(count)) return std::nullopt;
  std::vector<ColumnItem> items;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t length = 0;
    std::string_view name, letter, text;
    if (!r.Word(length) || length == 0 || !r.Bytes(length, name) || !r.Bytes(1, letter)) return std::nullopt;
    ColumnItem item{std::string(name), letter[0], {}};
    if (item.type == 'A' || item.type == 'O') {
      // A nested record: its own length counts its letter and length bytes.
      std::size_t total = 0;
      if (!r.Word(total) || total < 3 || !r.Bytes(total - 3, text)) return std::nullopt;
      item.text = std::string(letter);
      item.text.push_back(static_cast<char>(total & 0xFF));
      item.text.push_back(static_cast<char>((total >> 8) & 0xFF));
      item.text.append(text);
    } else if (IsScalarType(item.type)) {
      if (!r.Word(length) || !r.Bytes(length, text)) return std::nullopt;
      item.text = std::string(text);
    } else {
      return std::nullopt;
    }
    items.push_back(std::move(item));
  }
  if (r.Left() != 0) return std::nullopt;
  return items;
}

std::optional<std::string_view> ColumnRecordBody(std::string_view record, std::string_view class_name) {
  if (record.size() < 5 || record[0] != 'O') return std::nullopt;
  if (WordAt(record, 1) != record.size()) return std::nullopt;
  const std::size_t name_length = WordAt(record, 3);
  if (record.size() - 5 < name_length || record.substr(5, name_length) != class_name) return std::nullopt;
  return record.substr(5 + name_length);
}

}  // namespace ui
