// The resource module and the library cache.
#include "ui/bridge/resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ui {
namespace {

class ResourcesTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeResources(); }
};

TEST_F(ResourcesTest, TheSameLibraryNamedTwiceIsLoadedOnce) {
  HMODULE first = SetResources("VDRE.DLL");
  ASSERT_NE(first, nullptr) << "VDRE.DLL beside the test program";
  EXPECT_EQ(SetResources("vdre.dll"), first);  // names differ only in case
  EXPECT_EQ(SetResources("VDRE.DLL"), first);
  EXPECT_EQ(LibraryCacheCapacity(), 16);
  EXPECT_EQ(GetResources(), first);
  EXPECT_EQ(CurrentResources(), first);
  EXPECT_NE(FindResourceA(GetResources(), "FININ2", RT_DIALOG), nullptr);
  EXPECT_NE(FindResourceA(GetResources(), "BMPVERDE", RT_BITMAP), nullptr);
  // One load, one reference: freeing the cache unloads it.
  FreeResources();
  EXPECT_EQ(GetModuleHandleA("VDRE.DLL"), nullptr);
  EXPECT_EQ(CurrentResources(), nullptr);
  EXPECT_EQ(LibraryCacheCapacity(), 0);
}

TEST_F(ResourcesTest, ZeroMakesTheProgramsOwnResourcesEffective) {
  ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  EXPECT_EQ(SetResources(HMODULE{nullptr}), nullptr);
  EXPECT_EQ(GetResources(), GetModuleHandleA(nullptr));
  EXPECT_EQ(GetInstance(), GetModuleHandleA(nullptr));
}

TEST_F(ResourcesTest, ALibraryThatCannotBeLoadedKeepsItsEntryAndGivesNoModule) {
  EXPECT_EQ(SetResources("NOEXISTE_VDR.DLL"), nullptr);
  EXPECT_EQ(GetResources(), GetModuleHandleA(nullptr));
  EXPECT_EQ(LoadCachedLibrary("noexiste_vdr.dll"), nullptr);
  EXPECT_EQ(LibraryCacheCapacity(), 16);
  // Freeing "no module" frees nothing, not the failed entry's neighbour.
  HMODULE vdre = LoadCachedLibrary("VDRE.DLL");
  FreeCachedLibrary(HMODULE{nullptr});
  EXPECT_NE(GetModuleHandleA("VDRE.DLL"), nullptr);
  EXPECT_EQ(LoadCachedLibrary("VDRE.DLL"), vdre);
}

TEST_F(ResourcesTest, TheSeventeenthLibraryGrowsTheCacheAndKeepsItsHandle) {
  const std::vector<std::string> names = {
      "user32.dll",   "gdi32.dll",    "kernel32.dll", "comctl32.dll", "comdlg32.dll",
      "shell32.dll",  "advapi32.dll", "ole32.dll",    "oleaut32.dll", "winmm.dll",
      "version.dll",  "msvcrt.dll",   "ws2_32.dll",   "shlwapi.dll",  "imm32.dll",
      "rpcrt4.dll",   "VDRE.DLL"};
  std::vector<HMODULE> handles;
  for (const std::string& name : names) {
    handles.push_back(LoadCachedLibrary(name));
    ASSERT_NE(handles.back(), nullptr) << name;
    EXPECT_EQ(LibraryCacheCapacity(), handles.size() <= 16 ? 16 : 32) << name;
  }
  EXPECT_EQ(handles[16], GetModuleHandleA("VDRE.DLL"));
  // Each name still finds its own handle.
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(LoadCachedLibrary(names[i]), handles[i]);
  FreeCachedLibrary(handles[16]);
  EXPECT_EQ(GetModuleHandleA("VDRE.DLL"), nullptr);
}

TEST_F(ResourcesTest, FreeingLeavesLibrariesOutsideTheCacheAlone) {
  HMODULE outside = LoadLibraryA("VDRE.DLL");  // LOADLIBRARY: not through the cache
  ASSERT_NE(outside, nullptr);
  FreeCachedLibrary(outside);
  FreeCachedLibrary(std::string("VDRE.DLL"));
  EXPECT_EQ(GetModuleHandleA("VDRE.DLL"), outside);
  FreeLibrary(outside);
}

TEST_F(ResourcesTest, FreeingTheCurrentLibraryByNameFallsBackToTheProgram) {
  HMODULE vdre = SetResources("VDRE.DLL");
  ASSERT_NE(vdre, nullptr);
  FreeCachedLibrary(std::string("vdre.DLL"));
  EXPECT_EQ(CurrentResources(), nullptr);
  EXPECT_EQ(GetResources(), GetModuleHandleA(nullptr));
}

TEST(ResourceNames, OnlyANumberOfSixteenBitsIsANumber) {
  struct Case {
    const char* name;
    std::optional<WORD> number;
  };
  const Case cases[] = {
      {"24004", 24004}, {"1", 1}, {"007", 7}, {"65535", 65535}, {"65536", std::nullopt}, {"0", std::nullopt},
      {"123456789012345678901234567890", std::nullopt}, {"", std::nullopt}, {"12a", std::nullopt},
      {"PBMPMAR1", std::nullopt}, {"-5", std::nullopt}, {" 12", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ResourceNumber(c.name), c.number) << c.name;
}

TEST(SystemQuestions, FreeResourcesGaugeAndMemory) {
  EXPECT_EQ(GetFreeSystemResources(0), 90);
  EXPECT_GT(NextMem(), 16ull * 1024 * 1024);
}

}  // namespace
}  // namespace ui
