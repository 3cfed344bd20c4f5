// What a message method answers: nothing (the previous or default procedure runs), a number
// (the message's result) or a logical. Numbers and logicals stay apart because dialog
// procedures answer a logical as TRUE/FALSE while window procedures count it as 0.
#pragma once

#include <windows.h>

namespace ui {

class Answer {
 public:
  enum class Kind { kNothing, kNumber, kLogical };

  constexpr Answer() = default;
  static constexpr Answer Number(LRESULT value) { return Answer(Kind::kNumber, value); }
  static constexpr Answer Logical(bool value) { return Answer(Kind::kLogical, value ? 1 : 0); }

  constexpr Kind kind() const { return kind_; }
  constexpr bool handled() const { return kind_ != Kind::kNothing; }
  constexpr bool is_number() const { return kind_ == Kind::kNumber; }
  constexpr bool is_logical() const { return kind_ == Kind::kLogical; }
  constexpr LRESULT number() const { return kind_ == Kind::kNumber ? value_ : 0; }
  constexpr bool logical() const { return kind_ == Kind::kLogical && value_ != 0; }

  // A window procedure returns the number; a logical answer counts as 0.
  constexpr LRESULT WindowResult() const { return number(); }
  // A dialog procedure returns the number, or the logical as TRUE/FALSE; nothing is FALSE.
  constexpr INT_PTR DialogResult() const {
    return kind_ == Kind::kNumber ? static_cast<INT_PTR>(value_) : (logical() ? TRUE : FALSE);
  }

  friend constexpr bool operator==(const Answer&, const Answer&) = default;

 private:
  constexpr Answer(Kind kind, LRESULT value) : kind_(kind), value_(value) {}
  Kind kind_ = Kind::kNothing;
  LRESULT value_ = 0;
};

}  // namespace ui
