#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/lib/environment.h"
#include "runtime/lib/files.h"
#include "runtime/lib/lib_test_support.h"
#include "runtime/lib/paths.h"

namespace xb {
namespace {

using testing::Eval;

namespace fs = std::filesystem;

// Each test works in a new folder of its own, named by xBase code with backslashes.
class FileFunctionsTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    static std::atomic<int> counter{0};
    root_ = fs::temp_directory_path() / ("vdr_lib_files_" + std::to_string(counter++) + "_" +
                                         std::to_string(reinterpret_cast<std::uintptr_t>(this) % 100000));
    fs::remove_all(root_);
    fs::create_directories(root_);
    dir_ = root_.string();
    for (char& c : dir_)
      if (c == '/') c = '\\';
    Eval("d := \"" + dir_ + "\\\"");
  }
  void TearDown() override {
    Eval("DirChange(\"" + dir_ + "\\..\")");
    std::error_code ec;
    fs::remove_all(root_, ec);
    RuntimeTest::TearDown();
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(root_ / name, std::ios::binary) << bytes;
  }

  fs::path root_;
  std::string dir_;
};

TEST_F(FileFunctionsTest, CreateWriteSeekRead) {
  EXPECT_EQ(Eval("h := FCreate(d + 'note.txt'), h >= 5"), ".T.");
  EXPECT_EQ(Eval("FError()"), "0");
  EXPECT_EQ(Eval("FWrite(h, 'hello world')"), "11");
  EXPECT_EQ(Eval("FWrite(h, '!!!', 1)"), "1");
  EXPECT_EQ(Eval("FSeek(h, 0, 2)"), "12");
  EXPECT_EQ(Eval("FSeek(h, 6)"), "6");
  EXPECT_EQ(Eval("FReadStr(h, 5)"), "world");
  EXPECT_EQ(Eval("FSeek(h, -100, 1)"), "11");  // refused: the position stays
  EXPECT_EQ(Eval("FError()"), "131");
  EXPECT_EQ(Eval("FSeek(h, 0)"), "0");
  EXPECT_EQ(Eval("b := Space(5), FRead(h, @b, 5)"), "5");
  EXPECT_EQ(Eval("b"), "hello");
  EXPECT_EQ(Eval("FRead(h, @b, 100)"), "5");   // at most the buffer's length
  EXPECT_EQ(Eval("b"), " worl");
  EXPECT_EQ(Eval("FRead(h, b, 5)"), "0");      // the buffer must be passed by reference
  EXPECT_EQ(Eval("FClose(h)"), ".T.");
  EXPECT_EQ(Eval("FClose(h)"), ".F.");
  EXPECT_EQ(Eval("FError()"), "6");
  EXPECT_EQ(Eval("FWrite(h, 'x')"), "0");
  EXPECT_EQ(Eval("FCreate(1)"), "ERR BASE/2022");
  EXPECT_EQ(Eval("FOpen(1)"), "ERR BASE/2021");
  EXPECT_EQ(fs::file_size(root_ / "note.txt"), 12u);
}

TEST_F(FileFunctionsTest, ReadStrStopsAtNul) {
  Write("bin.dat", std::string("ab\0cd", 5));
  EXPECT_EQ(Eval("h := FOpen(d + 'bin.dat'), FReadStr(h, 10)"), "ab");
  EXPECT_EQ(Eval("FClose(h)"), ".T.");
}

TEST_F(FileFunctionsTest, OpenModesAndSharing) {
  Write("data.txt", "abc");
  EXPECT_EQ(Eval("FOpen(d + 'missing.txt')"), "-1");
  EXPECT_EQ(Eval("FError()"), "2");
  EXPECT_EQ(Eval("FOpen(d + 'nofolder\\x.txt')"), "-1");
  EXPECT_EQ(Eval("FError()"), "3");
  EXPECT_EQ(Eval("r := FOpen(d + 'data.txt'), FWrite(r, 'x')"), "0");  // opened for reading
  EXPECT_EQ(Eval("FError()"), "5");
  EXPECT_EQ(Eval("FClose(r)"), ".T.");
  EXPECT_EQ(Eval("x := FOpen(d + 'data.txt', 2 + 16), x > 0"), ".T.");
  EXPECT_EQ(Eval("FOpen(d + 'data.txt', 64)"), "-1");
  EXPECT_EQ(Eval("FError()"), "32");
  EXPECT_EQ(Eval("FCreate(d + 'data.txt')"), "-1");   // an exclusive open blocks emptying too
  EXPECT_EQ(Eval("FClose(x)"), ".T.");
  EXPECT_EQ(fs::file_size(root_ / "data.txt"), 3u);
  EXPECT_EQ(Eval("s1 := FOpen(d + 'data.txt', 64), s2 := FOpen(d + 'data.txt', 66), s1 > 0 .AND. s2 > 0"), ".T.");
  EXPECT_EQ(Eval("FOpen(d + 'data.txt', 16)"), "-1");
  EXPECT_EQ(Eval("FClose(s1) .AND. FClose(s2)"), ".T.");
}

// Windows finds files without regard to case; natively the same names must work.
TEST_F(FileFunctionsTest, NamesFoundWithoutRegardToCase) {
  fs::create_directories(root_ / "Sub");
  Write("Sub/Mixed.Txt", "hi");
  EXPECT_EQ(Eval("File(d + 'SUB\\MIXED.TXT')"), ".T.");
  EXPECT_EQ(Eval("File(d + 'sub/mixed.txt')"), ".T.");
  EXPECT_EQ(Eval("MemoRead(d + 'sub\\MIXED.txt')"), "hi");
  EXPECT_EQ(Eval("h := FCreate(d + 'SUB\\mixed.TXT'), FWrite(h, 'new'), FClose(h)"), ".T.");
  EXPECT_EQ(Eval("MemoRead(d + 'Sub\\Mixed.Txt')"), "new");
  EXPECT_EQ(Eval("Len(Directory(d + 'sub\\*.*'))"), "1");
  EXPECT_EQ(Eval("Directory(d + 'sub\\*.*')[1][1]"), "Mixed.Txt");
}

TEST_F(FileFunctionsTest, EraseAndRename) {
  Write("a.txt", "a");
  Write("b.txt", "b");
  EXPECT_EQ(Eval("FRename(d + 'a.txt', d + 'b.txt')"), "-1");
  EXPECT_EQ(Eval("FError()"), "183");
  EXPECT_EQ(Eval("FRename(d + 'a.txt', d + 'c.txt')"), "0");
  EXPECT_EQ(Eval("File(d + 'c.txt') .AND. !File(d + 'a.txt')"), ".T.");
  EXPECT_EQ(Eval("FRename(d + 'c.txt', d + 'C.TXT')"), "0");
  EXPECT_EQ(Eval("Directory(d + 'c.*')[1][1]"), "C.TXT");
  EXPECT_EQ(Eval("FErase(d + 'b.txt')"), "0");
  EXPECT_EQ(Eval("FErase(d + 'b.txt')"), "-1");
  EXPECT_EQ(Eval("FError()"), "2");
  EXPECT_EQ(Eval("FErase(1)"), "-1");
  EXPECT_EQ(Eval("FRename(d + 'zz.txt', d + 'yy.txt')"), "-1");
  EXPECT_EQ(Eval("FError()"), "2");
}

TEST_F(FileFunctionsTest, FileSearchesDefaultAndPath) {
  fs::create_directories(root_ / "def");
  fs::create_directories(root_ / "p1");
  Write("def/indef.txt", "x");
  Write("p1/inpath.txt", "x");
  EXPECT_EQ(Eval("File(d + '*.txt')"), ".F.");
  EXPECT_EQ(Eval("File(d + 'def\\*.TXT')"), ".T.");
  EXPECT_EQ(Eval("File(d + 'def\\ind?f.txt')"), ".T.");
  EXPECT_EQ(Eval("File(d + 'def')"), ".F.");  // a folder is not a file
  EXPECT_EQ(Eval("File('indef.txt')"), ".F.");
  Eval("Set(7, d + 'def')");
  EXPECT_EQ(Eval("File('indef.txt')"), ".T.");
  EXPECT_EQ(Eval("File('inpath.txt')"), ".F.");
  Eval("Set(6, d + 'nothere;' + d + 'p1')");
  EXPECT_EQ(Eval("File('inpath.txt')"), ".T.");
  EXPECT_EQ(Eval("File('')"), ".F.");
  EXPECT_EQ(Eval("File(1)"), ".F.");
}

TEST_F(FileFunctionsTest, MemoReadAndWrite) {
  EXPECT_EQ(Eval("MemoWrit(d + 'm.txt', 'línea 1' + Chr(13) + Chr(10))"), ".T.");
  EXPECT_EQ(fs::file_size(root_ / "m.txt"), 10u);  // CHR(26) ends the file
  EXPECT_EQ(Eval("MemoRead(d + 'm.txt') == 'línea 1' + Chr(13) + Chr(10)"), ".T.");
  EXPECT_EQ(Eval("MemoWrit(d + 'n.txt', 'abc', .F.)"), ".T.");
  EXPECT_EQ(fs::file_size(root_ / "n.txt"), 3u);
  EXPECT_EQ(Eval("MemoRead(d + 'none.txt')"), "");
  EXPECT_EQ(Eval("MemoWrit(d + 'nofolder\\x.txt', 'abc')"), ".F.");
  EXPECT_EQ(Eval("MemoRead(1)"), "");
}

TEST_F(FileFunctionsTest, DirectoryAttributesAndWildcards) {
  fs::create_directories(root_ / "DBF");
  fs::create_directories(root_ / "DBF01");
  fs::create_directories(root_ / "DBF.OLD");
  Write("dbfx", "12345");
  Write("a.txt", "abc");
  Write(".hidden", "h");
  // "DBF*." finds the names without an extension: the folders with "D", and files.
  EXPECT_EQ(Eval("x := Directory(d + 'DBF*.', 'D'), Len(x)"), "3");
  EXPECT_EQ(Eval("x[1][1] + ' ' + x[2][1] + ' ' + x[3][1]"), "DBF DBF01 dbfx");
  EXPECT_EQ(Eval("x[1][5] + ' ' + x[2][5] + ' ' + x[3][5]"), "D D A");
  EXPECT_EQ(Eval("x[3][2]"), "5");
  EXPECT_EQ(Eval("Len(Directory(d + 'DBF*.'))"), "1");
  EXPECT_EQ(Eval("Len(Directory(d + 'DBF*', 'D'))"), "4");
  EXPECT_EQ(Eval("x := Directory(d + '*.*'), Len(x)"), "2");  // no folders, no hidden files
  EXPECT_EQ(Eval("x[1][1] + ' ' + x[2][1]"), "a.txt dbfx");
  EXPECT_EQ(Eval("ValType(x[1][3]) + ValType(x[1][4]) + Str(Len(x[1][4]))"), "DC         8");
  EXPECT_EQ(Eval("Abs(x[1][3] - Date()) <= 1"), ".T.");
  EXPECT_EQ(Eval("AScan(Directory(d + '*.*', 'H'), {|e| e[1] == '.hidden'}) > 0"), ".T.");
  EXPECT_EQ(Eval("x := Directory(d, 'D'), x[1][1] + ' ' + x[2][1]"), ". ..");
  EXPECT_EQ(Eval("Len(Directory(d + 'nofolder\\*.*'))"), "0");
  EXPECT_EQ(Eval("Len(Directory(d + '*.TXT'))"), "1");
}

TEST(WildcardTest, DosRules) {
  struct WildCase {
    const char* name;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"DBF01", "DBF*.", true},  {"DBF.OLD", "DBF*.", false}, {"dbf", "DBF*.", true},
      {"ABC", "*.*", true},      {"a.b.c", "*.c", true},      {"abc", "a*.*", true},
      {"abc.txt", "a*.*", true}, {"file.txt", "file?.txt", true}, {"file1.txt", "file?.txt", true},
      {"file12.txt", "file?.txt", false}, {"x", "?", true},    {"ab", "?", false},
      {"Peña.dbf", "PEÑA.DBF", true}, {"abc", "ab", false},     {"abc", "*b*", true},
  };
  for (const WildCase& c : cases) EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

TEST_F(FileFunctionsTest, FoldersAndCurrentDirectory) {
  EXPECT_EQ(Eval("MakeDir(d + 'sub')"), "0");
  EXPECT_EQ(Eval("MakeDir(d + 'sub')"), "183");
  EXPECT_EQ(Eval("FError()"), "183");
  EXPECT_EQ(Eval("MakeDir(d + 'no\\sub')"), "3");
  Write("sub/f.txt", "x");
  EXPECT_EQ(Eval("DirChange(d + 'SUB')"), "0");
  EXPECT_EQ(Eval("File('f.txt')"), ".T.");
  EXPECT_EQ(Eval("Upper(Right(CurDir(), 4))"), "\\SUB");
  EXPECT_EQ(Eval("Left(CurDir(), 1) != '\\'"), ".T.");
  EXPECT_EQ(Eval("Len(DiskName())"), "1");
  EXPECT_EQ(Eval("DirChange('..')"), "0");
  EXPECT_EQ(Eval("DirRemove(d + 'sub')"), "145");  // not empty
  EXPECT_EQ(Eval("FErase(d + 'sub\\f.txt') + DirRemove(d + 'sub')"), "0");
  EXPECT_EQ(Eval("DirRemove(d + 'sub')"), "2");
  EXPECT_EQ(Eval("DirChange(d + 'sub')"), "2");
}

TEST_F(FileFunctionsTest, CopyFileRaisesOpenAndCreateErrors) {
  Write("src.txt", std::string(100000, 'x') + "end");
  EXPECT_EQ(Eval("__CopyFile(d + 'src.txt', d + 'dst.txt')"), ".T.");
  EXPECT_EQ(fs::file_size(root_ / "dst.txt"), 100003u);
  EXPECT_EQ(Eval("__CopyFile(d + 'nosuch.txt', d + 'dst.txt')"), "ERR BASE/2012");
  EXPECT_EQ(Eval("__CopyFile(d + 'src.txt', d + 'nofolder\\dst.txt')"), "ERR BASE/2012");
  EXPECT_EQ(Eval("__CopyFile(1, 2)"), "ERR BASE/2010");
  {
    // An error block that takes the default: the copy answers .F.
    testing::RecordingErrorBlock block(Value::Logical(false));
    Value r = CallFunction("__COPYFILE", {Value::String(dir_ + "\\nosuch.txt"), Value::String(dir_ + "\\dst.txt")});
    EXPECT_TRUE(r.IsLogical() && !r.AsLogical());
    ASSERT_EQ(block.count, 1);
    EXPECT_EQ(block.error()->genCode, EG_OPEN);
    EXPECT_EQ(block.error()->osCode, 2);
    EXPECT_NE(block.error()->filename.find("nosuch.txt"), std::string::npos);
  }
  // SET DEFAULT applies to names without a folder.
  Eval("Set(7, d)");
  EXPECT_EQ(Eval("__CopyFile('src.txt', 'copy2.txt')"), ".T.");
  EXPECT_TRUE(fs::exists(root_ / "copy2.txt"));
}

class EnvironmentFunctionsTest : public testing::RuntimeTest {};

TEST_F(EnvironmentFunctionsTest, EnvironmentExitCodeAndQuit) {
  EXPECT_NE(Eval("GetEnv('PATH')"), "");
  EXPECT_EQ(Eval("GetEnv('VDR_SURELY_NOT_SET')"), "");
  EXPECT_EQ(Eval("GetEnv('VDR_SURELY_NOT_SET', 'def')"), "def");
  EXPECT_EQ(Eval("SetHandleCount(255)"), "255");
  EXPECT_EQ(Eval("SetHandleCount()"), "255");
  EXPECT_EQ(Eval("Tone(100, 0)"), "NIL");
  EXPECT_EQ(Eval("ErrorLevel(3)"), "0");
  int quitWith = -1;
  QuitHandler old = SetQuitHandler([&](int level) { quitWith = level; });
  Eval("__Quit()");
  EXPECT_EQ(quitWith, 3);
  SetQuitHandler(std::move(old));
  EXPECT_EQ(Eval("ErrorLevel(0)"), "3");
}

}  // namespace
}  // namespace xb
