// The date search text typed digit by digit: the separators of the date format are stepped
// over both ways, and keys that cannot change it beep.
#include "ui/controls/date_seek.h"

#include <gtest/gtest.h>

#include "runtime/sets.h"
#include "runtime/test_env.h"

namespace ui {
namespace {

class DateSeekTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    xb::SetValue(xb::SET_DATEFORMAT, xb::Value::String("dd-mm-yyyy"));
  }
};

TEST_F(DateSeekTest, TheEmptyTextIsTheFormatWithItsDigitsBlanked) {
  EXPECT_EQ(EmptyDateText(), "  -  -    ");
  EXPECT_EQ(EmptyDateText("mm/dd/yy"), "  /  /  ");
  EXPECT_EQ(EmptyDateText("YYYY.MM.DD"), "    .  .  ");
}

TEST_F(DateSeekTest, KeysFillAndEmptyTheBlanks) {
  struct Case {
    const char* before;
    int key;
    const char* after;
    bool beep;
  } cases[] = {
      {"  -  -    ", '1', "1 -  -    ", false},
      {"1 -  -    ", '2', "12-  -    ", false},  // the separator is stepped over
      {"12-  -    ", '0', "12-0 -    ", false},
      {"12-05-2024", '9', "12-05-2024", true},   // no blank left
      {"12-0 -    ", 'a', "12-0 -    ", true},   // not a digit
      {"12-0 -    ", 13, "12-0 -    ", true},
      {"12-0 -    ", 8, "12-  -    ", false},
      {"12-  -    ", 8, "1 -  -    ", false},    // blank at 4: two back, over the "-"
      {"12-05-    ", 8, "12-0 -    ", false},    // blank at 7
      {"12-05-2024", 8, "12-05-202 ", false},    // none left: the last one goes
      {"  -  -    ", 8, "  -  -    ", false},    // blank at 1: nothing to take back
      {"12-0", 8, "12-       ", false},          // padded to the format's length
  };
  for (const Case& c : cases) {
    const DateSeekStep step = DateSeek(c.before, c.key);
    EXPECT_EQ(step.text, c.after) << "'" << c.before << "' + " << c.key;
    EXPECT_EQ(step.beep, c.beep) << "'" << c.before << "' + " << c.key;
  }
}

TEST_F(DateSeekTest, TypingAWholeDateCompletesIt) {
  std::string text = EmptyDateText();
  for (char digit : std::string("25122023")) {
    EXPECT_FALSE(DateSeekComplete(text));
    text = DateSeek(text, digit).text;
  }
  EXPECT_EQ(text, "25-12-2023");
  EXPECT_TRUE(DateSeekComplete(text));
}

}  // namespace
}  // namespace ui
