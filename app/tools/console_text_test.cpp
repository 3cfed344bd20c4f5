// The tools' console text: the program's Windows-1252 strings as the stream is read.
#include "app/tools/console_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "runtime/codepage.h"

namespace app {
namespace {

std::string Written(const std::string& text, bool formatted) {
  std::FILE* f = std::tmpfile();
  if (!f) return "(no temporary file)";
  if (formatted) Say(f, "%s %d\n", text.c_str(), 7);
  else Put(f, text);
  std::fflush(f);
  std::rewind(f);
  std::string read;
  for (int c; (c = std::fgetc(f)) != EOF;) read += static_cast<char>(c);
  std::fclose(f);
  read.erase(std::remove(read.begin(), read.end(), '\r'), read.end());  // a Windows text stream's line ends
  return read;
}

TEST(ConsoleText, AFileOrPipeGetsTheTextInTheCodePageItIsReadIn) {
  const std::string text = "la m\xE1s r\xE1pida: \xD1" "and\xFA";  // Windows-1252
  const std::string utf8 = "la m\xC3\xA1s r\xC3\xA1pida: \xC3\x91\x61nd\xC3\xBA";
  // Wine's files and pipes go to POSIX programs: UTF-8, as under POSIX.
  const std::string expected = StreamCodePage() == kUtf8 ? utf8 : xb::AnsiToOem(text);
#if !defined(_WIN32)
  EXPECT_EQ(StreamCodePage(), kUtf8);
#endif
  EXPECT_EQ(Written(text, false), expected);
  EXPECT_EQ(Written(text, true), expected + " 7\n");
  EXPECT_EQ(Written("", false), "");
}

}  // namespace
}  // namespace app
