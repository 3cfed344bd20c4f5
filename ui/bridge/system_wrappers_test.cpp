// System, registry, atom, DDE and text wrappers by name; the processor name and the
// version class as pure functions of what the system reports.
#include "ui/bridge/system_wrappers.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/test_env.h"
#include "ui/bridge/bridge_functions.h"
#include "ui/bridge/gdi_handles.h"

namespace ui {
namespace {

using xb::Value;

Value N(std::int64_t n) { return Value::Integer(n); }
Value H(const void* p) { return Value::Integer(reinterpret_cast<std::intptr_t>(p)); }
Value S(std::string_view s) { return Value::String(s); }

class SystemWrappersTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
  }
  static Value Call(std::string_view name, std::initializer_list<Value> args = {}) {
    return xb::CallFunction(name, args);
  }
};

constexpr std::uint32_t kMmx = 1u << 23, kSse = 1u << 25, kSse2 = 1u << 26;

TEST(CpuName, FromTheRegisters) {
  struct Row {
    std::uint32_t max_leaf, eax1, ebx1, edx1, descriptor;
    const char* expected;
  };
  const Row rows[] = {
      {0, 0, 0, 0, 0, "GetCPU() failed!"},
      {2, 0x0600, 1, 0, 0, "Intel Celeron"},
      {2, 0x0600, 2, 0, 0, "Intel Pentium III"},
      {2, 0x0600, 3, 0, 0, "Intel Pentium III Xeon"},
      {2, 0x0F00, 8, 0, 0, "Intel Pentium IV"},
      {1, 0x0400, 0, 0, 0, "486"},
      {1, 0x0500, 0, kMmx, 0, "Pentium MMX"},
      {1, 0x0500, 0, 0, 0, "Pentium classic"},
      {2, 0x0600, 0, 0, 0, "Pentium Pro"},
      {2, 0x0600, 0, kMmx, 0, "Pentium II"},
      {2, 0x0600, 0, kMmx, 0x40, "(PII core) Celeron"},
      {2, 0x0600, 0, kMmx | kSse, 0, "Pentium III"},
      {2, 0x0600, 0, kMmx | kSse, 0x79, "(PIII core) Celeron"},
      {2, 0x0600, 0, kMmx | kSse | kSse2, 0x41, "Pentium IV"},
      {2, 0x0F00, 0, kMmx | kSse | kSse2, 0, "GetCPU() failed!"},
  };
  for (const Row& r : rows) {
    CpuidLeaves cpu;
    cpu.leaf0[0] = r.max_leaf;
    cpu.leaf1 = {r.eax1, r.ebx1, 0, r.edx1};
    cpu.leaf2 = {0x01u | r.descriptor << 16, 0, 0, 0};  // a descriptor in byte 2
    EXPECT_EQ(CpuName(cpu), r.expected) << r.expected;
  }
  // Byte 0 of leaf 2 is the count, not a descriptor.
  CpuidLeaves count_only;
  count_only.leaf0[0] = 2;
  count_only.leaf1 = {0x0600, 0, 0, kMmx};
  count_only.leaf2 = {0x40, 0, 0, 0};
  EXPECT_EQ(CpuName(count_only), "Pentium II");
  EXPECT_FALSE(CpuName(ReadCpuid()).empty());
}

TEST(VersionClass, PlatformsAndVersions) {
  struct Row {
    DWORD platform, major, minor;
    int expected;
  };
  const Row rows[] = {{1, 4, 0, 1}, {1, 4, 10, 2}, {1, 4, 90, 3}, {1, 4, 3, 0}, {2, 4, 0, 4},
                      {2, 5, 0, 5}, {2, 5, 1, 6}, {2, 10, 0, 6}, {0, 3, 1, 0}};
  for (const Row& r : rows) {
    EXPECT_EQ(VersionClass(r.platform, r.major, r.minor), r.expected) << r.platform << " " << r.major << "." << r.minor;
  }
}

TEST_F(SystemWrappersTest, TextHelpers) {
  struct Row {
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"STRTOKEN( 'uno dos tres', 2 )", "dos"},
      {"STRTOKEN( 'uno dos tres', 3, ' ' )", "tres"},
      {"STRTOKEN( 'uno dos tres', 4 )", ""},
      {"STRTOKEN( 'a;;c', 2, ';' )", ""},
      {"STRTOKEN( 'a;;c', 3, ';x' )", "c"},
      {"STRTOKEN( 'a;b;', 3, ';' )", ""},
      {"STRTOKEN( ';a', 1, ';' )", ""},
      {"STRTOKEN( 'abc', 0, ';' )", ""},
      {"STRTOKEN( 'abc', 1, ';' )", "abc"},
      {"STRCAPFIRST( 'hOLA mUNDO' )", "Hola mundo"},
      {"STRCAPFIRST( '' )", ""},
      {"ANSITOOEM( 'año' )", "a\xA4o"},
  };
  for (const Row& r : rows) EXPECT_EQ(xb::EvalMacro(r.text).AsString(), r.expected) << r.text;
  EXPECT_FALSE(Call("ISANSI", {S("abc\xDF")}).AsLogical());  // 223 is not above 223
  EXPECT_TRUE(Call("ISANSI", {S("abc\xE0")}).AsLogical());
  EXPECT_TRUE(xb::EvalMacro("BITAND( 6, 2 )").AsLogical());
  EXPECT_FALSE(xb::EvalMacro("BITAND( 6, 1 )").AsLogical());
  EXPECT_FALSE(xb::EvalMacro("CTL3DLOOK( 0 )").AsLogical());
}

TEST_F(SystemWrappersTest, VersionFoldersAndModules) {
  const Value v = Call("GETVERSION");
  ASSERT_EQ(v.AsArray().size(), 5u);
  const OSVERSIONINFOA os = WindowsVersion();
  EXPECT_EQ(v.AsArray()[0].AsInt(), os.dwMajorVersion);
  EXPECT_EQ(v.AsArray()[3].AsInt(), VER_PLATFORM_WIN32_NT);
  // What the configured Windows reports: an NT system later than NT 4.
  EXPECT_TRUE(Call("ISWINNT").AsLogical());
  EXPECT_FALSE(Call("ISWIN95").AsLogical());
  EXPECT_FALSE(Call("QZ_ISWINNT").AsLogical());
  EXPECT_EQ(Call("GETNUMTASKS").AsInt(), 0);
  EXPECT_FALSE(Call("GETCPU").AsString().empty());

  const std::string windows = std::string(Call("GETWINDIR").AsString());
  EXPECT_EQ(GetFileAttributesA(windows.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  const std::string self = std::string(Call("GETMODULEFILENAME", {N(0)}).AsString());
  EXPECT_NE(self.find("bridge_tests.exe"), std::string::npos);
}

TEST_F(SystemWrappersTest, RegistryReadsWhatWasWritten) {
  HKEY made = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\VdrPruebas\\Clave", &made), ERROR_SUCCESS);
  RegSetValueA(made, nullptr, REG_SZ, "valor de prueba", 15);
  RegCloseKey(made);

  // The predefined key as a positive 32-bit number and as its sign-extended form.
  for (const std::int64_t key : {std::int64_t{0x80000001}, std::int64_t{-2147483647}}) {
    Value handle = Value::NewRef(N(0));
    Value args[] = {N(key), S("Software\\VdrPruebas"), handle};
    EXPECT_EQ(xb::CallFunction(xb::Intern("REGOPENKEY"), args).AsInt(), ERROR_SUCCESS);
    ASSERT_NE(handle.Deref().AsInt(), 0);
    Value text = Value::NewRef(S(""));
    Value query[] = {handle.Deref(), S("Clave"), text};
    EXPECT_EQ(xb::CallFunction(xb::Intern("REGQUERYVALUE"), query).AsInt(), ERROR_SUCCESS);
    EXPECT_EQ(text.Deref().AsString(), "valor de prueba");
    EXPECT_EQ(Call("REGCLOSEKEY", {handle.Deref()}).AsInt(), ERROR_SUCCESS);
  }
  Value missing = Value::NewRef(N(0));
  Value args[] = {N(0x80000001), S("Software\\VdrNoExiste"), missing};
  EXPECT_NE(xb::CallFunction(xb::Intern("REGOPENKEY"), args).AsInt(), ERROR_SUCCESS);
  EXPECT_EQ(missing.Deref().AsInt(), 0);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VdrPruebas\\Clave");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VdrPruebas");
}

TEST_F(SystemWrappersTest, AtomsDdeBlocksAndFiles) {
  const Value atom = Call("GLOBALADDATOM", {S("VdrAtomoPrueba")});
  ASSERT_NE(atom.AsInt(), 0);
  EXPECT_EQ(Call("GLOBALGETATOMNAME", {atom}).AsString(), "VdrAtomoPrueba");
  EXPECT_EQ(Call("GLOBALDELATOM", {atom}).AsInt(), 0);

  const Value block = Call("DDECOMMAND", {S("[Abrir(\"c:\\datos\")]")});
  ASSERT_NE(block.AsInt(), 0);
  EXPECT_EQ(Call("DDEGETCOMMAND", {block}).AsString(), "[Abrir(\"c:\\datos\")]");
  GlobalFree(reinterpret_cast<HGLOBAL>(block.AsInt()));
  EXPECT_EQ(Call("DDEGETCOMMAND", {N(0)}).AsString(), "");

  // A file that is not compressed is copied as it is.
  const std::string from = "lzorigen.txt", to = "lzdestino.txt";
  std::ofstream(from, std::ios::binary) << "contenido sin comprimir";
  EXPECT_EQ(Call("LZCOPYFILE", {S(from), S(to)}).AsInt(), 23);
  std::ifstream copied(to, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "contenido sin comprimir");
  copied.close();
  EXPECT_LT(Call("LZCOPYFILE", {S("no_existe.txt"), S(to)}).AsInt(), 0);
  std::remove(from.c_str());
  std::remove(to.c_str());
}

TEST_F(SystemWrappersTest, MetricsAndMemoryContexts) {
  MemorySurface s(100, 60);
  const Value tm = Call("GETTM", {H(s.dc())});
  ASSERT_EQ(tm.AsArray().size(), 21u);
  EXPECT_GT(tm.AsArray()[0].AsInt(), 0);
  EXPECT_TRUE(tm.AsArray()[8].IsLogical());
  EXPECT_FALSE(tm.AsArray()[20].AsString().empty());
  const Value none = Call("GETTM", {N(0)});
  EXPECT_EQ(none.AsArray()[0].AsInt(), 0);
  const Value dim = Call("GETDIMTEXT", {H(s.dc()), S("Texto")});
  EXPECT_GT(dim.AsArray()[0].AsInt(), 10);
  EXPECT_EQ(dim.AsArray()[1].AsInt(), tm.AsArray()[0].AsInt());

  // An off-screen copy: COMPATDC and COMPATBMP, then STRETCHBLT at the same size.
  const Value dc = Call("COMPATDC", {H(s.dc())});
  const Value bitmap = Call("COMPATBMP", {H(s.dc()), N(20), N(10)});
  ASSERT_NE(dc.AsInt(), 0);
  ASSERT_NE(bitmap.AsInt(), 0);
  HDC memory = reinterpret_cast<HDC>(dc.AsInt());
  HGDIOBJ old = SelectObject(memory, reinterpret_cast<HBITMAP>(bitmap.AsInt()));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, 20, 10};
  FillRect(memory, &all, red);
  SetPixel(memory, 3, 2, RGB(0, 0, 255));
  s.Clear(RGB(255, 255, 255));
  EXPECT_TRUE(Call("STRETCHBLT", {H(s.dc()), N(10), N(5), N(20), N(10), dc, N(0), N(0), N(20), N(10), N(SRCCOPY)})
                  .AsLogical());
  EXPECT_EQ(s.Pixel(10, 5), RGB(255, 0, 0));
  EXPECT_EQ(s.Pixel(13, 7), RGB(0, 0, 255));
  EXPECT_EQ(s.Pixel(29, 14), RGB(255, 0, 0));
  EXPECT_EQ(s.Pixel(30, 15), RGB(255, 255, 255));
  SelectObject(memory, old);
  DeleteObject(red);
  DeleteObject(reinterpret_cast<HBITMAP>(bitmap.AsInt()));
  DeleteDC(memory);
  const Value screen_dc = Call("COMPATDC", {N(0)});  // compatible with the screen
  EXPECT_NE(screen_dc.AsInt(), 0);
  DeleteDC(reinterpret_cast<HDC>(screen_dc.AsInt()));
}

}  // namespace
}  // namespace ui
