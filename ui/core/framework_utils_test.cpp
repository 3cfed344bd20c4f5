// The framework's utility functions: file names, files and logs, values and objects, the
// procedure stack, waiting, pixel padding and work areas.
#include "ui/core/framework_utils.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/heap.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/proc_stack.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/dialog_answerer.h"
#include "ui/core/core_test_support.h"
#include "ui/core/file_helpers.h"
#include "ui/core/screen_waits.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

using xb::Value;

// Each test works in a fresh folder of its own, made the current one.
class FrameworkUtilsTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "vdr_utils_" + std::to_string(GetCurrentProcessId());
    test::FreshFolder(folder_);
    GetCurrentDirectoryA(sizeof previous_, previous_);
    SetCurrentDirectoryA(folder_.c_str());
  }
  void TearDown() override {
    SetCurrentDirectoryA(previous_);
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((folder_ + "\\*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = folder_ + "\\" + f.cFileName;
        if ((f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) DeleteFileA(name.c_str());
      } while (FindNextFileA(h, &f));
      FindClose(h);
    }
    RemoveDirectoryA((folder_ + "\\sub\\deep").c_str());
    RemoveDirectoryA((folder_ + "\\sub").c_str());
    RemoveDirectoryA(folder_.c_str());
    FrameworkTest::TearDown();
  }
  static std::string Text(const char* expression) { return std::string(xb::EvalMacro(expression).AsString()); }
  static std::string Contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string folder_;
  char previous_[MAX_PATH] = {};
};

TEST(FileNames, DrivesUncAndDots) {
  struct Row {
    const char* name;
    const char* disc;
    const char* path;
    const char* file;
    const char* no_ext;
    const char* ext;
    const char* subdir;
  };
  const Row rows[] = {
      {"c:\\datos\\dbf01\\clientes.dbf", "C:", "C:\\DATOS\\DBF01\\", "CLIENTES.DBF", "CLIENTES", "DBF", "C:\\DATOS\\DBF01"},
      {"d:listado.txt", "D:", "D:\\", "LISTADO.TXT", "LISTADO", "TXT", "D:"},
      {"clientes.dbf", "", "\\", "CLIENTES.DBF", "CLIENTES", "DBF", ""},
      {"\\\\servidor\\vdr\\tmp.a.b.c", "", "\\\\SERVIDOR\\VDR\\", "TMP.A.B.C", "TMP", "C", "\\\\SERVIDOR\\VDR"},
      {"c:\\datos\\", "C:", "C:\\DATOS\\", "", "", "", "C:\\DATOS"},
      {"c:\\sin_ext", "C:", "C:\\", "SIN_EXT", "SIN_EXT", "", "C:"},
      {"", "", "\\", "", "", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(CFileDisc(r.name), r.disc);
    EXPECT_EQ(CFilePath(r.name), r.path);
    EXPECT_EQ(CFileName(r.name), r.file);
    EXPECT_EQ(CFileNoExt(r.name), r.no_ext);
    EXPECT_EQ(CFileExt(r.name), r.ext);
    EXPECT_EQ(CFileSubDir(r.name), r.subdir);
  }
  EXPECT_EQ(CFileMask("c:\\datos\\*.dbf"), "*.DBF");
  EXPECT_EQ(CFileMask("c:\\da?os\\uno.dbf"), "");
  EXPECT_EQ(CFileMask("fich?.t*"), "FICH?.T*");
}

TEST_F(FrameworkUtilsTest, FilesFoldersAndTheirInformation) {
  EXPECT_TRUE(LIsDir(folder_));
  char before[MAX_PATH];
  GetCurrentDirectoryA(sizeof before, before);
  EXPECT_FALSE(xb::EvalMacro("LISDIR( 'no_existe' )").AsLogical());
  std::ofstream("nuevo1.txt") << "x";
  EXPECT_FALSE(xb::EvalMacro("LISDIR( 'nuevo1.txt' )").AsLogical());
  char after[MAX_PATH];
  GetCurrentDirectoryA(sizeof after, after);
  EXPECT_STREQ(before, after);

  EXPECT_EQ(Text("CNEWFILENAME( 'nuevo', 'txt' )"), "nuevo2.txt");
  EXPECT_EQ(Text("CNEWFILENAME( 'otro', 'log' )"), "otro1.log");
  const std::string temp = CTempFile();
  ASSERT_EQ(temp.size(), 6u);
  std::ofstream(temp) << "ocupado";
  const std::string next = CTempFile();
  EXPECT_NE(next, temp);
  EXPECT_GE(std::stol(next), std::stol(temp));

  std::ofstream("tamano.bin", std::ios::binary) << std::string(1234, 'a');
  EXPECT_EQ(xb::EvalMacro("FSIZE( 'tamano.bin' )").AsInt(), 1234);
  EXPECT_EQ(xb::EvalMacro("FSIZE( 'falta.bin' )").AsInt(), 0);
  EXPECT_FALSE(xb::EvalMacro("FDATE( 'tamano.bin' )").AsDate().IsEmpty());
  EXPECT_TRUE(xb::EvalMacro("FDATE( 'falta.bin' )").AsDate().IsEmpty());
  EXPECT_EQ(Text("FTIME( 'tamano.bin' )").size(), 8u);
  EXPECT_EQ(Text("FTIME( 'falta.bin' )"), "");

  CreateDirectoryA("sub", nullptr);
  CreateDirectoryA("sub\\deep", nullptr);
  std::ofstream("sub\\deep\\buscado.dat") << "1";
  std::ofstream("sub\\BUSCADO.DAT") << "2";
  const Value found = xb::CallFunction("AFINDFILE", {Value::String("buscado.dat"), Value::String(folder_)});
  ASSERT_EQ(found.AsArray().size(), 2u);
}

TEST_F(FrameworkUtilsTest, LogsAndTheProcedureStack) {
  xb::EvalMacro("LOGFILE( 'prueba.log', { 'uno', 2, .T. } )");
  const std::string line = Contents("prueba.log");
  ASSERT_GE(line.size(), 20u);
  const std::string today(xb::EvalMacro("DTOC( DATE() )").AsString());
  EXPECT_EQ(line.substr(0, today.size() + 1), today + " ");
  EXPECT_EQ(line[today.size() + 3], ':');  // the time
  EXPECT_NE(line.find(": uno\t2\t.t.\t\r\n"), std::string::npos);

  // PARAMCOUNT and GETPARAM read a calling level's arguments as PROCNAME names the level;
  // locals are not kept.
  int found_level = -1;
  Value count, second, beyond, locals, local;
  xb::Block probe = xb::Block::Native([&](xb::Args&) {
    for (int level = 0; level < 6 && found_level < 0; ++level) {
      const std::string n = std::to_string(level);
      const Value row = xb::EvalMacro("{ PROCNAME( " + n + " ), PARAMCOUNT( " + n + " ), GETPARAM( " + n + ", 2 ), GETPARAM( " +
                                      n + ", 3 ), LOCALCOUNT( " + n + " ), GETLOCAL( " + n + ", 1 ) }");
      if (row.AsArray()[0].AsString() != "PROCESO") continue;
      found_level = level;
      count = row.AsArray()[1];
      second = row.AsArray()[2];
      beyond = row.AsArray()[3];
      locals = row.AsArray()[4];
      local = row.AsArray()[5];
    }
    xb::EvalMacro("LOGSTACK()");
    return Value();
  });
  {
    const Value args[] = {Value::String("a"), Value::Integer(7)};
    xb::ProcScope scope("PROCESO", args);
    probe.Eval({});
  }
  ASSERT_GE(found_level, 0);
  EXPECT_EQ(count.AsInt(), 2);
  EXPECT_EQ(second.AsInt(), 7);
  EXPECT_TRUE(beyond.IsNil());
  EXPECT_EQ(locals.AsInt(), 0);
  EXPECT_TRUE(local.IsNil());
  const std::string stack = Contents("stack.txt");
  EXPECT_EQ(stack.substr(0, 40), "\r\nLogStack() called\r\n=================\r\n");
  EXPECT_NE(stack.find("PROCESO(a, 7)"), std::string::npos);
}

TEST_F(FrameworkUtilsTest, ValuesAndObjects) {
  EXPECT_EQ(Text("CVALTOCHAR( .T. )"), ".t.");
  EXPECT_EQ(Text("UVALBLANK( 'abc' )"), "   ");
  EXPECT_EQ(xb::EvalMacro("UVALBLANK( 12.5 )").AsInt(), 0);
  EXPECT_FALSE(xb::EvalMacro("UVALBLANK( .T. )").AsLogical());
  EXPECT_TRUE(xb::EvalMacro("UVALBLANK( Date() )").AsDate().IsEmpty());
  EXPECT_TRUE(xb::EvalMacro("UVALBLANK( {} )").IsNil());

  auto w = Make();
  xb::SetMemvar(xb::Intern("OW"), Value(w));
  EXPECT_EQ(xb::EvalMacro("CHILDLEVEL( oW, 'twindow' )").AsInt(), 1);
  EXPECT_EQ(xb::EvalMacro("CHILDLEVEL( oW, 'TDIALOG' )").AsInt(), 0);
  EXPECT_EQ(xb::EvalMacro("CHILDLEVEL( TFont(), oW )").AsInt(), 0);
  EXPECT_EQ(Text("OSEND( oW, 'GetText()' )"), "Prueba");
  xb::EvalMacro("OSEND( oW, 'SetText', 'Cambiado' )");
  EXPECT_EQ(w->GetText(), "Cambiado");
  xb::EvalMacro("ASEND( { oW }, 'SetText()', 'Otra vez' )");
  EXPECT_EQ(w->GetText(), "Otra vez");
  const Value data = xb::EvalMacro("AODATA( TRect() )");
  ASSERT_TRUE(data.IsArray());
  std::vector<std::string> names;
  for (const Value& v : data.AsArray()) names.emplace_back(v.AsString());
  EXPECT_EQ(names, (std::vector<std::string>{"NBOTTOM", "NLEFT", "NRIGHT", "NTOP"}));
  // A window's copy: its data, not its window.
  w->Cargo = Value::String("carga");
  w->bValid = Value(xb::Block::Native([](xb::Args&) { return Value::Logical(false); }));
  const Value copy = xb::EvalMacro("OCLONE( oW )");
  auto* cw = dynamic_cast<TWindow*>(copy.AsObject().get());
  ASSERT_NE(cw, nullptr);
  EXPECT_NE(cw, w.get());
  EXPECT_EQ(cw->ClassName(), "TWINDOW");
  EXPECT_EQ(cw->cCaption, "Otra vez");
  EXPECT_EQ(cw->Cargo.AsString(), "carga");
  EXPECT_EQ(cw->nTop, w->nTop);
  EXPECT_EQ(cw->nRight, w->nRight);
  EXPECT_FALSE(cw->lValid());  // the same valid block
  EXPECT_EQ(cw->hWnd, nullptr);
  EXPECT_EQ(cw->Slot(), 0);
  EXPECT_EQ(OWndFromHwnd(w->hWnd).get(), w.get());  // the window stays the original's
  // A font's copy has its attributes, not its GDI font: dropping it frees nothing.
  const Value font = xb::EvalMacro("TFont():New( 'Arial', 0, -15 )");
  auto* original = dynamic_cast<TFont*>(font.AsObject().get());
  ASSERT_NE(original, nullptr);
  {
    const Value font_copy = xb::CallFunction("OCLONE", {font});
    auto* f = dynamic_cast<TFont*>(font_copy.AsObject().get());
    ASSERT_NE(f, nullptr);
    EXPECT_NE(f, original);
    EXPECT_EQ(f->cFaceName, "Arial");
    EXPECT_EQ(f->nInpHeight, -15);
    EXPECT_EQ(f->hFont, nullptr);
  }
  xb::CollectGarbage();
  EXPECT_EQ(GetObjectType(original->hFont), static_cast<DWORD>(OBJ_FONT));
  original->End();
  EXPECT_TRUE(xb::EvalMacro("OCLONE( 12 )").IsNil());

  const Value error = xb::EvalMacro("_GENERROR( 1004, 'TWINDOW', 'NADA' )");
  auto* e = dynamic_cast<xb::Error*>(error.AsObject().get());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->subsystem, "BASE");
  EXPECT_EQ(e->description, "Message not found");
  EXPECT_EQ(e->operation, "TWINDOW:NADA");
  xb::testing::RecordingErrorBlock errors(Value::Integer(5));
  EXPECT_EQ(xb::CallFunction("_CLSSETERROR", {error}).AsInt(), 5);
  EXPECT_EQ(errors.count, 1);
  EXPECT_GT(xb::EvalMacro("MEMUSED()").AsInt(), 0);
  EXPECT_GE(xb::EvalMacro("MEMMAX()").AsInt(), xb::EvalMacro("MEMUSED()").AsInt() / 2);
  EXPECT_EQ(xb::EvalMacro("NSTACKSIZE()").AsInt(), 0);
  EXPECT_EQ(Text("VBXCLASSNAME()"), "");
}

TEST_F(FrameworkUtilsTest, WorkAreas) {
  xb::rdd::InitTables();
  xb::EvalMacro("DBCREATE( 'alias.dbf', { { 'NOMBRE', 'C', 10, 0 }, { 'N', 'N', 5, 0 } } )");
  xb::EvalMacro("DBUSEAREA( .T., , 'alias.dbf', 'CLIENTES', .F. )");
  EXPECT_EQ(Text("CGETNEWALIAS( 'CLIENTES' )"), "CLIENTES002");
  EXPECT_EQ(Text("CGETNEWALIAS( 'LIBRE' )"), "LIBRE");
  const Value areas = xb::EvalMacro("AGETWORKAREAS()");
  ASSERT_EQ(areas.AsArray().size(), 1u);
  EXPECT_EQ(areas.AsArray()[0].AsString(), "CLIENTES");
  xb::EvalMacro("DBAPPEND()");
  xb::EvalMacro("FIELDPUT( 1, 'Ana' )");
  xb::EvalMacro("FIELDPUT( 2, 12 )");
  EXPECT_TRUE(xb::EvalMacro("DUPRECORD()").AsLogical());
  EXPECT_EQ(xb::EvalMacro("RECNO()").AsInt(), 2);
  EXPECT_EQ(xb::EvalMacro("FIELDGET( 2 )").AsInt(), 12);
  EXPECT_EQ(Text("RTRIM( FIELDGET( 1 ) )"), "Ana");
  xb::EvalMacro("DBZAP()");
  EXPECT_EQ(xb::EvalMacro("RECCOUNT()").AsInt(), 0);
  xb::EvalMacro("DBCLOSEAREA()");
}

TEST_F(FrameworkUtilsTest, WaitingAndPadding) {
  const DWORD start = GetTickCount();
  xb::EvalMacro("WAITSECONDS( 0.2 )");
  EXPECT_GE(GetTickCount() - start, 190u);
  // A quit message met by a pass ends the wait at once.
  PostQuitMessage(0);
  const DWORD quit_start = GetTickCount();
  EXPECT_FALSE(WaitMilliseconds(5000));
  EXPECT_LT(GetTickCount() - quit_start, 2000u);
  MSG m;
  while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }

  int polls = 0;
  auto w = Make();
  PostMessageA(w->hWnd, WM_NULL, 0, 0);
  EXPECT_TRUE(StopUntil(Value(xb::Block::Native([&](xb::Args&) {
    PostMessageA(w->hWnd, WM_NULL, 0, 0);
    return Value::Logical(++polls == 3);
  }))));
  EXPECT_EQ(polls, 3);

  const std::string padded = XPadR("ab", 60, " ");
  EXPECT_GT(padded.size(), 2u);
  EXPECT_EQ(padded.substr(0, 2), "ab");
  const std::string left = XPadL("ab", 60, ".");
  EXPECT_EQ(left.substr(left.size() - 2), "ab");
  EXPECT_EQ(left.find_first_not_of('.'), left.size() - 2);
  EXPECT_EQ(XPadR("ab", 60, "\x01"), XPadR("ab", 60, "\x01"));  // ends even for a fill of no width
  const std::string centred = XPadC("  ab  ", 60, "-");
  const std::size_t at = centred.find("ab");
  ASSERT_NE(at, std::string::npos);
  EXPECT_LE(at > centred.size() - at - 2 ? at - (centred.size() - at - 2) : (centred.size() - at - 2) - at, 1u);
  EXPECT_EQ(XPadC("abc", 1, "-"), "abc");

  EXPECT_TRUE(xb::EvalMacro("SCRRESOLUTION()").IsArray());
  EXPECT_GE(xb::EvalMacro("COLORSQTY()").AsInt(), 256);
  EXPECT_EQ(Text("CWINVERSION()"), "XP");
  EXPECT_FALSE(xb::EvalMacro("ISWIN2000()").AsLogical());
  EXPECT_EQ(Text("GETSYSFONT()"), "Ms Sans Serif");
  EXPECT_TRUE(xb::EvalMacro("GETTASKS()").IsArray());
}

TEST_F(FrameworkUtilsTest, MessageRunsItsActionAndCloses) {
  int ran = 0;
  HWND shown = nullptr;
  bool visible = false;
  MsgRun("Trabajando", "", Value(xb::Block::Native([&](xb::Args& a) {
           ++ran;
           if (auto* d = dynamic_cast<TWindow*>(a.Obj(1).get())) shown = d->hWnd;
           visible = IsWindowVisible(shown) != FALSE;
           return Value();
         })));
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(visible);
  EXPECT_FALSE(IsWindow(shown));  // closed once the action ended
  const DWORD start = GetTickCount();
  xb::EvalMacro("MSGRUN( 'Un segundo', 'Título' )");  // no action: one second
  EXPECT_GE(GetTickCount() - start, 900u);
}

TEST_F(FrameworkUtilsTest, DiskFreeSpaceComesBackWhole) {
  Value caller = Value::NewRef(Value::Integer(0));
  Value total = Value::NewRef(Value::Integer(0));
  Value free = Value::NewRef(Value::Integer(0));
  const Value args[] = {Value::String(folder_.substr(0, 3)), caller, total, free};
  EXPECT_TRUE(xb::CallFunction(xb::Intern("GETDISKFREESPACEEX"), args).AsLogical());
  EXPECT_GT(total.Deref().AsInt(), 0);
  EXPECT_GE(total.Deref().AsInt(), free.Deref().AsInt());
  EXPECT_GT(free.Deref().AsInt(), 0);
}

}  // namespace
}  // namespace ui
