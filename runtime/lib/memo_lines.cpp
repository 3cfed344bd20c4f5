// MEMOLINE MLCOUNT HARDCR.
#include "runtime/lib/memo_lines.h"

#include "runtime/function_table.h"
#include <cstdint>

#include "runtime/lib/library.h"

namespace xb {

namespace {

constexpr unsigned char kSoftCr = 141;

class LineBreaker {
 public:
  explicit LineBreaker(MemoLayout layout) : layout_(layout) {}

  void Add(char c) {
    if (skipping_) return;
    std::size_t width = static_cast<std::size_t>(layout_.lineLength);
    if (cur_.size() >= width) {
      if (!layout_.wrap) {
        skipping_ = true;  // the rest of the line is cut
        return;
      }
      if (c == ' ') {  // a blank at the break is swallowed by it
        Push();
        return;
      }
      if (lastBlank_ != std::string::npos) {
        std::string rest = cur_.substr(lastBlank_ + 1);
        cur_.resize(lastBlank_ + 1);
        Push();
        cur_ = std::move(rest);
      } else {
        Push();
      }
    }
    cur_ += c;
    if (c == ' ') lastBlank_ = cur_.size() - 1;
  }

  void Tab() {
    std::size_t tab = static_cast<std::size_t>(layout_.tabSize);
    std::size_t n = tab - cur_.size() % tab;
    for (std::size_t i = 0; i < n; ++i) Add(' ');
  }

  void HardBreak() {
    Push();
    skipping_ = false;
  }

  std::size_t LineCount() const { return lines_.size(); }

  std::vector<std::string> Finish() {
    if (!cur_.empty()) Push();
    return std::move(lines_);
  }

 private:
  void Push() {
    lines_.push_back(std::move(cur_));
    cur_.clear();
    lastBlank_ = std::string::npos;
  }

  MemoLayout layout_;
  std::vector<std::string> lines_;
  std::string cur_;
  std::size_t lastBlank_ = std::string::npos;
  bool skipping_ = false;
};

MemoLayout LayoutFrom(const Args& a, int lengthArg, int tabArg, int wrapArg) {
  MemoLayout l;
  if (a.Arg(lengthArg).IsNumber()) {
    std::int64_t n = a.Int(lengthArg);
    l.lineLength = n > 0 ? static_cast<int>(n > 65535 ? 65535 : n) : 79;
  }
  if (a.Arg(tabArg).IsNumber()) {
    std::int64_t t = a.Int(tabArg);
    l.tabSize = t > 0 ? static_cast<int>(t > 65535 ? 65535 : t) : 4;
  }
  if (a.Arg(wrapArg).IsLogical()) l.wrap = a.Log(wrapArg);
  return l;
}

Value FnMemoLine(Args& a) {
  std::int64_t n = a.Arg(3).IsNumber() ? a.Int(3) : 1;
  if (n < 1) n = 1;
  return Value::String(MemoLine(a.Str(1), LayoutFrom(a, 2, 4, 5), static_cast<std::size_t>(n)));
}

Value FnMlCount(Args& a) {
  return Value::Integer(static_cast<std::int64_t>(MemoLineCount(a.Str(1), LayoutFrom(a, 2, 3, 4))));
}

Value FnHardCr(Args& a) { return Value::String(HardCr(a.Str(1))); }

// The lines of the text; stops once `limit` lines are complete (MEMOLINE needs no more).
std::vector<std::string> Split(std::string_view t, MemoLayout layout, std::size_t limit) {
  if (layout.lineLength < 1) layout.lineLength = 79;
  if (layout.tabSize >= layout.lineLength) layout.tabSize = layout.lineLength > 1 ? layout.lineLength - 1 : 1;
  if (layout.tabSize < 1) layout.tabSize = 1;
  LineBreaker lines(layout);
  for (std::size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    bool lfNext = i + 1 < t.size() && t[i + 1] == '\n';
    if (c == '\r' && lfNext) {
      lines.HardBreak();
      ++i;
    } else if (c == '\n') {
      lines.HardBreak();
    } else if (static_cast<unsigned char>(c) == kSoftCr && lfNext) {
      ++i;
    } else if (c == '\r') {
      // a lone CR breaks nothing and shows nothing
    } else if (c == '\t') {
      lines.Tab();
    } else {
      lines.Add(c);
    }
    if (lines.LineCount() >= limit) break;
  }
  return lines.Finish();
}

}  // namespace

std::vector<std::string> MemoLines(std::string_view t, MemoLayout layout) { return Split(t, layout, SIZE_MAX); }

std::string MemoLine(std::string_view text, MemoLayout layout, std::size_t n) {
  std::vector<std::string> lines = Split(text, layout, n);
  if (n < 1 || n > lines.size()) return {};
  std::string line = std::move(lines[n - 1]);
  std::size_t width = static_cast<std::size_t>(layout.lineLength < 1 ? 79 : layout.lineLength);
  if (line.size() < width) line.append(width - line.size(), ' ');
  return line;
}

std::size_t MemoLineCount(std::string_view text, MemoLayout layout) { return MemoLines(text, layout).size(); }

std::string HardCr(std::string_view t) {
  std::string out(t);
  for (std::size_t i = 0; i + 1 < out.size(); ++i)
    if (static_cast<unsigned char>(out[i]) == kSoftCr && out[i + 1] == '\n') out[i] = '\r';
  return out;
}

void RegisterMemoLineFunctions() {
  RegisterFunction("MEMOLINE", FnMemoLine);
  RegisterFunction("MLCOUNT", FnMlCount);
  RegisterFunction("HARDCR", FnHardCr);
}

}  // namespace xb
