#include "services/password.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/runtime.h"

namespace svc {
namespace {

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

// The bytes other programs of the suite write for these passwords.
TEST(PasswordTest, ScramblesToTheSuitesBytes) {
  struct Case {
    const char* password;
    unsigned char extra;
    const char* hex;
  };
  const Case cases[] = {
      {"ABCDEFGHI", 0, "63798e4b5e7081914900"},
      {"         ", 200, "356c4c2c6343235a3ac8"},
      {"clave", 37, "a69a857bb34e2e654525"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(cEncripta(c.password, c.extra)), c.hex) << c.password;
}

// Every byte of the clock and every kind of character comes back, blanks included: the
// scrambled text may end in a blank or hold any byte, so the field is kept raw.
TEST(PasswordTest, UnscramblesWhatItScrambled) {
  const std::string passwords[] = {"         ", "SECRETO  ", "clave", "ÑANDÚ 1\xff\x01", "123456789"};
  for (const std::string& password : passwords) {
    std::string padded = password;
    padded.resize(kPasswordLength, ' ');
    for (int extra = 0; extra < 256; ++extra) {
      const std::string scrambled = cEncripta(password, static_cast<unsigned char>(extra));
      ASSERT_EQ(scrambled.size(), kScrambledLength);
      ASSERT_EQ(cDesencripta(scrambled), padded) << password << " " << extra;
    }
  }
  EXPECT_EQ(cDesencripta(cEncripta("LARGOLARGOLARGO")), "LARGOLARG");
}

TEST(PasswordTest, PublicFunctions) {
  xb::InitRuntime();
  RegisterPasswordFunctions();
  EXPECT_EQ(std::string(xb::EvalMacro("CDESENCRIPTA(CENCRIPTA('Pepe'))").AsString()), "Pepe     ");
  EXPECT_EQ(xb::EvalMacro("LEN(CENCRIPTA('Pepe'))").AsInt(), 10);
}

}  // namespace
}  // namespace svc
