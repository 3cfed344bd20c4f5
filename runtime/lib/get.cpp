#include "runtime/lib/get.h"

#include <algorithm>
#include <cmath>

#include "runtime/function_table.h"
#include "runtime/lib/numbers.h"

namespace xb {
namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlankOrLiteral(char c) { return c == ' '; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Calls a method of a Get through the runtime's class and answers the receiver.
template <void (Get::*F)()>
Value Command(Object& self, Args&) {
  (static_cast<Get&>(self).*F)();
  return self.AsValue();
}

}  // namespace

// ---- construction ----------------------------------------------------------------------------

Get::Get(Value get_set, std::string_view picture, std::string name)
    : Object(Cls()), block(std::move(get_set)), name(std::move(name)), picture_text_(picture) {}

Get::Get(const Class& cls) : Object(cls) {}

void Get::Traverse(GcVisitor& visitor) {
  Object::Traverse(visitor);
  if (GcObject* held = original_.GcTarget()) visitor.Visit(held);
}

void Get::ClearValues() {
  Object::ClearValues();
  original_ = Value();
}

// ---- the value -------------------------------------------------------------------------------

Value Get::VarGet() const {
  if (!block.IsBlock()) return Value();
  return block.AsBlock().Eval({}).Deref();
}

void Get::VarPut(const Value& value) {
  if (block.IsBlock()) block.AsBlock().Eval({value});
}

Value Get::UnTransform() const {
  if (!mask_) return VarGet();
  return mask_->Parse(buffer_);
}

void Get::Assign() {
  if (has_focus_) VarPut(UnTransform());
}

void Get::UpdateBuffer() {
  if (!has_focus_) return;
  buffer_ = mask_->Format(VarGet());
  pos_ = std::clamp(pos_, 1, static_cast<int>(buffer_.size()) + 1);  // a number's "DB" may go
}

// ---- focus -----------------------------------------------------------------------------------

void Get::SetFocus() {
  original_ = VarGet();
  mask_.emplace(original_, Picture(picture_text_));
  type_ = mask_->type();
  has_focus_ = true;
  clear_ = mask_->picture().functions().clearOnKey || type_ == 'N';
  Reset();
}

void Get::KillFocus() {
  const Value value = VarGet();
  mask_.emplace(value, Picture(picture_text_));
  buffer_ = mask_->Format(value);
  has_focus_ = false;
  clear_ = false;
  type_out_ = false;
  pos_ = 0;
  display_pos_ = 1;
}

void Get::Reset() {
  if (!has_focus_) return;
  buffer_ = mask_->Format(VarGet());
  changed_ = rejected_ = type_out_ = false;
  pos_ = FirstEditable();
  if (pos_ == 0) {  // nothing takes a key
    pos_ = 1;
    type_out_ = true;
  }
  display_pos_ = 1;
}

void Get::Undo() {
  if (!has_focus_) return;
  VarPut(original_);
  Reset();
}

// ---- positions -------------------------------------------------------------------------------

// The picture's template and the buffer may differ in length (a logical's TRANSFORM is one
// character, whatever its template): only positions of the buffer take keys.
bool Get::Editable(int pos) const {
  return mask_ && pos >= 1 && pos <= static_cast<int>(buffer_.size()) &&
         mask_->IsEditable(static_cast<std::size_t>(pos) - 1);
}

int Get::FirstEditable() const {
  const std::size_t i = mask_ ? mask_->FirstEditable() : npos;
  return i == npos || i >= buffer_.size() ? 0 : static_cast<int>(i) + 1;
}

int Get::LastEditable() const {
  const std::size_t i = mask_ ? mask_->LastEditable() : npos;
  if (i == npos) return 0;
  for (int p = std::min(static_cast<int>(i) + 1, static_cast<int>(buffer_.size())); p >= 1; --p)
    if (Editable(p)) return p;
  return 0;
}

std::size_t Get::NextEditable(int pos) const {
  const std::size_t next = mask_->NextEditable(static_cast<std::size_t>(pos) - 1);
  return next < buffer_.size() ? next : npos;
}

std::pair<std::size_t, std::size_t> Get::RunOf(std::size_t i) const {
  std::size_t first = i, last = i;
  while (first > 0 && mask_->IsEditable(first - 1)) --first;
  while (last + 1 < mask_->size() && last + 1 < buffer_.size() && mask_->IsEditable(last + 1)) ++last;
  return {first, last};
}

void Get::SetPos(int pos) {
  if (!has_focus_) return;
  pos_ = std::clamp(pos, 1, static_cast<int>(buffer_.size()) + 1);
  type_out_ = false;
}

void Get::SetBuffer(std::string_view text) {
  if (!has_focus_) return;
  std::string b(text.substr(0, buffer_.size()));
  b.resize(buffer_.size(), ' ');
  if (b != buffer_) changed_ = true;
  buffer_ = std::move(b);
}

// ---- typing ----------------------------------------------------------------------------------

void Get::Insert(std::string_view chars) {
  for (char c : chars) Type1(c, true);
}

void Get::Overstrike(std::string_view chars) {
  for (char c : chars) Type1(c, false);
}

void Get::ClearBuffer() {
  for (std::size_t i = 0; i < buffer_.size() && i < mask_->size(); ++i)
    if (mask_->IsEditable(i)) buffer_[i] = ' ';
}

void Get::Type1(char c, bool insert) {
  if (!has_focus_) return;
  rejected_ = false;
  // A number's point: the decimals are next.
  if (type_ == 'N' && (c == '.' || c == ',') && DecPos() > 0) {
    ToDecPos();
    return;
  }
  const int first = FirstEditable();
  if (clear_ && type_ == 'N' && first > 0) pos_ = first;
  int p = pos_;
  while (p <= LastEditable() && !Editable(p)) ++p;
  if (first == 0 || p > LastEditable()) {
    type_out_ = true;  // past the last position: nothing to type into
    return;
  }
  const std::optional<char> accepted = mask_->Accept(static_cast<std::size_t>(p) - 1, c);
  if (!accepted) {
    rejected_ = true;
    return;
  }
  if (clear_ && p == first) ClearBuffer();
  clear_ = false;
  const std::size_t at = static_cast<std::size_t>(p) - 1;
  if (insert) {
    const std::size_t last = RunOf(at).second;
    for (std::size_t i = last; i > at; --i) buffer_[i] = buffer_[i - 1];
  }
  buffer_[at] = *accepted;
  changed_ = true;
  pos_ = p;
  AfterType();
}

// After a typed character: the next position that takes one, or past the end.
void Get::AfterType() {
  const std::size_t next = NextEditable(pos_);
  if (next == npos) {
    pos_ = LastEditable() + 1;
    type_out_ = true;
  } else {
    pos_ = static_cast<int>(next) + 1;
    type_out_ = false;
  }
  const int width = DisplayWidth();
  if (width > 0) {
    if (pos_ >= display_pos_ + width) display_pos_ = pos_ - width + 1;
    if (pos_ < display_pos_) display_pos_ = pos_;
  }
}

void Get::Delete() {
  if (!has_focus_ || !Editable(pos_)) return;
  const std::size_t at = static_cast<std::size_t>(pos_) - 1;
  const std::size_t last = RunOf(at).second;
  for (std::size_t i = at; i < last; ++i) buffer_[i] = buffer_[i + 1];
  buffer_[last] = ' ';
  changed_ = true;
  clear_ = false;
}

void Get::BackSpace() {
  if (!has_focus_) return;
  const int before = pos_;
  Left();
  type_out_ = false;
  if (pos_ < before) Delete();
}

void Get::DelEnd() {
  if (!has_focus_) return;
  for (int p = pos_; p <= static_cast<int>(buffer_.size()); ++p)
    if (Editable(p)) buffer_[static_cast<std::size_t>(p) - 1] = ' ';
  changed_ = true;
  clear_ = false;
}

void Get::DelLeft() { BackSpace(); }

void Get::DelRight() {
  if (!has_focus_ || !Editable(pos_)) return;
  const std::size_t next = NextEditable(pos_);
  if (next == npos || next > RunOf(static_cast<std::size_t>(pos_) - 1).second) return;
  const int keep = pos_;
  pos_ = static_cast<int>(next) + 1;
  Delete();
  pos_ = keep;
}

// Deletes `count` characters at pos, within its run of positions; pos stays.
void Get::DeleteRun(int count) {
  if (!Editable(pos_)) return;
  const int last = static_cast<int>(RunOf(static_cast<std::size_t>(pos_) - 1).second) + 1;
  count = std::min(count, last - pos_ + 1);
  for (int i = 0; i < count; ++i) Delete();
}

void Get::DelWordLeft() {
  if (!has_focus_) return;
  const int end = pos_;
  WordLeft();
  type_out_ = false;
  if (pos_ < end) DeleteRun(end - pos_);
}

void Get::DelWordRight() {
  if (!has_focus_ || !Editable(pos_)) return;
  // The word at pos and the blanks after it, up to the next word.
  const int size = static_cast<int>(buffer_.size());
  auto blank = [&](int q) { return IsBlankOrLiteral(buffer_[static_cast<std::size_t>(q) - 1]) || !Editable(q); };
  int p = pos_;
  while (p <= size && !blank(p)) ++p;
  while (p <= size && blank(p) && Editable(p)) ++p;
  DeleteRun(p - pos_);
}

// ---- movement --------------------------------------------------------------------------------

void Get::Left() {
  if (!has_focus_) return;
  clear_ = false;
  const std::size_t prev = mask_->PreviousEditable(static_cast<std::size_t>(pos_) - 1);
  if (prev == npos) {
    type_out_ = true;
    return;
  }
  type_out_ = false;
  pos_ = static_cast<int>(prev) + 1;
  if (pos_ < display_pos_) display_pos_ = pos_;
}

void Get::Right() {
  if (!has_focus_) return;
  clear_ = false;
  const std::size_t next = NextEditable(pos_);
  if (next == npos) {
    type_out_ = true;
    return;
  }
  type_out_ = false;
  pos_ = static_cast<int>(next) + 1;
  const int width = DisplayWidth();
  if (width > 0 && pos_ >= display_pos_ + width) display_pos_ = pos_ - width + 1;
}

void Get::WordLeft() {
  if (!has_focus_) return;
  clear_ = false;
  type_out_ = false;
  int p = std::min(pos_, static_cast<int>(buffer_.size())) - 1;
  auto blank = [&](int q) { return IsBlankOrLiteral(buffer_[static_cast<std::size_t>(q) - 1]) || !Editable(q); };
  while (p >= 1 && blank(p)) --p;
  while (p >= 1 && !blank(p)) --p;
  const int target = p + 1;
  pos_ = Editable(target) ? target : std::max(FirstEditable(), 1);
  if (pos_ < display_pos_) display_pos_ = pos_;
}

void Get::WordRight() {
  if (!has_focus_) return;
  clear_ = false;
  const int size = static_cast<int>(buffer_.size());
  auto blank = [&](int q) { return IsBlankOrLiteral(buffer_[static_cast<std::size_t>(q) - 1]) || !Editable(q); };
  int p = std::max(pos_, 1);
  while (p <= size && !blank(p)) ++p;
  while (p <= size && blank(p)) ++p;
  if (p > LastEditable()) {
    type_out_ = true;
    return;
  }
  type_out_ = false;
  pos_ = p;
  const int width = DisplayWidth();
  if (width > 0 && pos_ >= display_pos_ + width) display_pos_ = pos_ - width + 1;
}

void Get::Home() {
  if (!has_focus_) return;
  clear_ = false;
  type_out_ = false;
  pos_ = std::max(FirstEditable(), 1);
  display_pos_ = 1;
}

void Get::End() {
  if (!has_focus_) return;
  clear_ = false;
  type_out_ = false;
  const int last = LastEditable();
  if (last == 0) return;
  // After the last character typed; pressed again, the last position.
  std::size_t end = buffer_.find_last_not_of(' ');
  int target = end == npos ? FirstEditable() : static_cast<int>(end) + 2;
  target = std::min(target, last);
  while (target < last && !Editable(target)) ++target;
  pos_ = pos_ == target ? last : target;
  const int width = DisplayWidth();
  if (width > 0 && pos_ >= display_pos_ + width) display_pos_ = pos_ - width + 1;
}

void Get::ToDecPos() {
  if (!has_focus_ || type_ != 'N' || DecPos() == 0) return;
  const bool negative = Minus();
  if (clear_) DelEnd();
  clear_ = false;
  const Value value = mask_->Parse(buffer_);
  buffer_ = mask_->Format(value);
  if (negative && value.AsDouble() == 0) {
    // "-," typed: keep the sign before the units digit until a digit comes.
    const std::size_t point = static_cast<std::size_t>(DecPos()) - 1;
    std::size_t units = point;
    while (units > 0 && !IsNumberDigitSlot(mask_->templ()[units - 1])) --units;
    if (units >= 2 && buffer_[units - 2] == ' ') buffer_[units - 2] = '-';
  }
  changed_ = true;
  pos_ = DecPos() + 1;
  if (!Editable(pos_)) Right();
}

// ---- stepping --------------------------------------------------------------------------------

Date StepDate(Date date, char part, int n) {
  if (date.IsEmpty()) return date;
  if (part == 'D' || part == 'd') return Date{date.julian + n};
  int y = 0, m = 0, d = 0;
  date.ToYmd(y, m, d);
  if (part == 'M' || part == 'm') {
    const int months = y * 12 + (m - 1) + n;
    y = months / 12;
    m = months % 12 + 1;
  } else if (part == 'Y' || part == 'y') {
    y += n;
  } else {
    return date;
  }
  if (y < 1 || y > 9999) return date;
  return Date::FromYmd(y, m, std::min(d, DaysInMonth(y, m)));
}

std::optional<Value> Get::Stepped(int n) const {
  if (!mask_) return std::nullopt;
  if (type_ == 'N') {
    const Value value = mask_->Parse(buffer_);
    const int point = DecPos();
    if (point == 0) return Value::Integer(value.AsInt() + n);
    double step = n;
    if (pos_ >= point) step = n / std::pow(10.0, std::max(1, pos_ - point));
    const int decimals = static_cast<int>(mask_->templ().size()) - point;
    return Value::Double(value.AsDouble() + step, decimals);
  }
  if (type_ == 'D') {
    const Date date = mask_->Parse(buffer_).AsDate();
    if (date.IsEmpty()) return std::nullopt;
    const std::string& format = mask_->dateFormat();
    if (format.empty()) return std::nullopt;
    auto letter = [](char c) { return c == 'd' || c == 'D' || c == 'm' || c == 'M' || c == 'y' || c == 'Y'; };
    std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(std::max(pos_, 1)) - 1, format.size() - 1);
    while (i > 0 && !letter(format[i])) --i;
    return Value::FromDate(StepDate(date, format[i], n));
  }
  return std::nullopt;
}

// ---- state -----------------------------------------------------------------------------------

bool Get::Minus() const {
  if (type_ != 'N') return false;
  return buffer_.find_first_of("-(") != npos || (buffer_.size() >= 2 && buffer_.ends_with("DB"));
}

bool Get::BadDate() const {
  if (type_ != 'D' || !has_focus_ || !mask_) return false;
  bool digits = false;
  for (std::size_t i = 0; i < buffer_.size(); ++i)
    if (mask_->IsEditable(i) && buffer_[i] != ' ') digits = true;
  return digits && mask_->Parse(buffer_).AsDate().IsEmpty();
}

int Get::DecPos() const {
  if (!mask_ || type_ != 'N' || mask_->DecimalPos() == npos) return 0;
  return static_cast<int>(mask_->DecimalPos()) + 1;
}

void Get::SetPicture(std::string_view picture) {
  picture_text_.assign(picture);
  if (has_focus_) {
    mask_.emplace(VarGet(), Picture(picture_text_));
    buffer_ = mask_->Format(VarGet());
  }
}

int Get::DisplayWidth() const { return Picture(picture_text_).functions().scrollWidth; }

std::string Get::VisibleText() const {
  const int width = DisplayWidth();
  if (width <= 0 || static_cast<int>(buffer_.size()) <= width) return buffer_;
  const std::size_t start = static_cast<std::size_t>(std::max(display_pos_, 1)) - 1;
  return buffer_.substr(std::min(start, buffer_.size()), static_cast<std::size_t>(width));
}

// ---- numbers typed by people ---------------------------------------------------------------

Value ReadTypedNumber(std::string_view text) {
  std::string s(text);
  const std::size_t comma = s.rfind(',');
  const std::size_t dot = s.rfind('.');
  const bool comma_is_point = comma != npos && (dot == npos || comma > dot);
  std::string out;
  for (char c : s) {
    if (comma_is_point) {
      if (c == '.') continue;
      out += c == ',' ? '.' : c;
    } else if (c != ',') {
      out += c;
    }
  }
  const std::size_t first = out.find_first_not_of(' ');
  return Val(first == npos ? std::string_view() : std::string_view(out).substr(first));
}

// ---- the runtime's classes -----------------------------------------------------------------

const Class& Get::Cls() {
  static const Class& cls = []() -> const Class& {
    Class& c = Class::Define("GET");
    auto get = [](Object& o) -> Get& { return static_cast<Get&>(o); };
    c.Data("BLOCK", &Get::block)
        .Data("CARGO", &Get::cargo)
        .Data("ROW", &Get::row)
        .Data("COL", &Get::col)
        .Data("COLORSPEC", &Get::color_spec)
        .Property("BUFFER", [get](Object& o) { return Value::String(get(o).Buffer()); },
                  [get](Object& o, const Value& v) { get(o).SetBuffer(v.AsString()); })
        .Property("POS", [get](Object& o) { return Value::Integer(get(o).Pos()); },
                  [get](Object& o, const Value& v) { get(o).SetPos(static_cast<int>(v.AsInt())); })
        .Property("PICTURE", [get](Object& o) { return Value::String(get(o).PictureText()); },
                  [get](Object& o, const Value& v) { get(o).SetPicture(v.AsString()); })
        .Data("NAME", &Get::name)
        .Property("CHANGED", [get](Object& o) { return Value::Logical(get(o).Changed()); }, nullptr)
        .Property("REJECTED", [get](Object& o) { return Value::Logical(get(o).Rejected()); }, nullptr)
        .Property("TYPEOUT", [get](Object& o) { return Value::Logical(get(o).TypeOut()); }, nullptr)
        .Property("BADDATE", [get](Object& o) { return Value::Logical(get(o).BadDate()); }, nullptr)
        .Property("HASFOCUS", [get](Object& o) { return Value::Logical(get(o).HasFocus()); }, nullptr)
        .Property("CLEAR", [get](Object& o) { return Value::Logical(get(o).Clear()); }, nullptr)
        .Property("MINUS", [get](Object& o) { return Value::Logical(get(o).Minus()); }, nullptr)
        .Property("ORIGINAL", [get](Object& o) { return get(o).Original(); }, nullptr)
        .Property("TYPE", [get](Object& o) { return Value::String(std::string(1, get(o).Type())); }, nullptr)
        .Property("DECPOS", [get](Object& o) { return Value::Integer(get(o).DecPos()); }, nullptr)
        .Method("VARGET", [get](Object& o, Args&) { return get(o).VarGet(); })
        .Method("VARPUT", [get](Object& o, Args& a) {
          get(o).VarPut(a.Arg(1));
          return a.Arg(1);
        })
        .Method("UNTRANSFORM", [get](Object& o, Args&) { return get(o).UnTransform(); })
        .Method("ASSIGN", Command<&Get::Assign>)
        .Method("UPDATEBUFFER", Command<&Get::UpdateBuffer>)
        .Method("SETFOCUS", Command<&Get::SetFocus>)
        .Method("KILLFOCUS", Command<&Get::KillFocus>)
        .Method("RESET", Command<&Get::Reset>)
        .Method("UNDO", Command<&Get::Undo>)
        .Method("INSERT", [get](Object& o, Args& a) {
          get(o).Insert(a.Str(1));
          return o.AsValue();
        })
        .Method("OVERSTRIKE", [get](Object& o, Args& a) {
          get(o).Overstrike(a.Str(1));
          return o.AsValue();
        })
        .Method("DELETE", Command<&Get::Delete>)
        .Method("BACKSPACE", Command<&Get::BackSpace>)
        .Method("DELEND", Command<&Get::DelEnd>)
        .Method("DELLEFT", Command<&Get::DelLeft>)
        .Method("DELRIGHT", Command<&Get::DelRight>)
        .Method("DELWORDLEFT", Command<&Get::DelWordLeft>)
        .Method("DELWORDRIGHT", Command<&Get::DelWordRight>)
        .Method("LEFT", Command<&Get::Left>)
        .Method("RIGHT", Command<&Get::Right>)
        .Method("WORDLEFT", Command<&Get::WordLeft>)
        .Method("WORDRIGHT", Command<&Get::WordRight>)
        .Method("HOME", Command<&Get::Home>)
        .Method("END", Command<&Get::End>)
        .Method("TODECPOS", Command<&Get::ToDecPos>)
        .Method("DISPLAY", [](Object& o, Args&) { return o.AsValue(); });
    return c;
  }();
  return cls;
}

void RegisterGetClass() {
  static const Class& clip = [] () -> const Class& {
    Class& c = Class::Define("TCLIPGET", &Get::Cls());
    // An edit field shows the buffer itself: nothing is written to a console.
    c.Method("DISPLAY", [](Object& o, Args&) { return o.AsValue(); });
    return c;
  }();
  // GETNEW(nRow, nCol, bSetGet, cVarName, cPicture, cColor)
  RegisterFunction("GETNEW", [](Args& a) {
    Ref<Get> g = MakeRef<Get>(clip);
    g->row = static_cast<int>(a.Int(1));
    g->col = static_cast<int>(a.Int(2));
    g->block = a.Arg(3);
    g->name.assign(a.Str(4));
    g->color_spec.assign(a.Str(6));
    g->SetPicture(a.Str(5));
    return Value(g);
  });
}

}  // namespace xb
