#include "data/win/directory_functions.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/runtime.h"
#include "runtime/test_env.h"

namespace data {
namespace {

class DirectoryFunctionsTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterDirectoryFunctions();
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    start_ = buffer;
  }
  void TearDown() override {
    SetCurrentDirectoryA(start_.c_str());
    RuntimeTest::TearDown();
  }
  std::string start_;
};

TEST_F(DirectoryFunctionsTest, CurrentDirectoryThroughTheKernelBoundAtEachCall) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "Carpeta de pruebas VDR";
  CreateDirectoryA(folder.c_str(), nullptr);
  EXPECT_TRUE(xb::EvalMacro("SETCURRENTDIRECTORY('" + folder + "')").AsLogical());
  xb::Value buffer = xb::Value::NewRef(xb::Value::String(""));
  xb::Value length = xb::Value::NewRef();
  xb::EvalMacro("{|n, c| n := GETCURRENTDIRECTORY(260, @c)}").AsBlock().Eval({length, buffer});
  char expected[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, expected);
  EXPECT_EQ(buffer.Deref().AsString(), expected);
  EXPECT_EQ(length.Deref().AsInt(), static_cast<std::int64_t>(std::string(expected).size()));
  // Too small a buffer: Windows answers the length it needs and the buffer is left alone.
  std::string small = "sin tocar";
  EXPECT_GT(GetCurrentDir(4, &small), 4u);
  EXPECT_EQ(small, "sin tocar");
  EXPECT_FALSE(SetCurrentDir(folder + "\\no existe"));

  // The short form names the same folder.
  const std::string short_form = GetPathShort(folder);
  ASSERT_FALSE(short_form.empty());
  EXPECT_TRUE(SetCurrentDir(short_form));
  GetCurrentDirectoryA(MAX_PATH, expected);
  EXPECT_EQ(xb::EvalMacro("GETPATHSHORT('" + std::string(expected) + "')").AsString(), short_form);
  EXPECT_EQ(GetPathShort(folder + "\\no existe"), "");
  SetCurrentDirectoryA(start_.c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace data
