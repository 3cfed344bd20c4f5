// The file and font dialogs as the user sees them, the plain boxes' texts, and placeable
// metafiles read from sound, truncated and lying files.
#include "ui/bridge/common_dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/test_env.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/window_text.h"
#include "ui/bridge/bridge_functions.h"
#include "ui/bridge/metafiles.h"
#include "ui/bridge/wmf_format.h"

namespace ui {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using xb::Value;

Value X(std::string_view text) { return xb::EvalMacro(text); }
void Set(std::string_view name, Value v) { xb::SetMemvar(xb::Intern(name), std::move(v)); }

class CommonDialogsTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
  }
};

TEST_F(CommonDialogsTest, TheFileDialogShowsTheMaskAsFiltersAndTheTitle) {
  struct Seen {
    std::string title, file, type;
  };
  struct Row {
    const char* call;
    Seen expected;
  };
  const std::string long_title(200, 'T');
  Set("cLong", Value::String(long_title));
  const Row rows[] = {
      {"CGETFILE('Tablas (*.dbf)|*.dbf|Todos (*.*)|*.*', 'Abrir tabla')", {"Abrir tabla", "", "Tablas (*.dbf)"}},
      {"CGETFILE('Tablas (*.dbf)|*.dbf|Todos (*.*)|*.*', 'Abrir tabla', 2)", {"Abrir tabla", "", "Todos (*.*)"}},
      {"CGETFILE('informe.txt')", {"Select the file", "informe.txt", ""}},
      {"CGETFILE('Todos|*.*', cLong)", {long_title.substr(0, 127), "", "Todos"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.call);
    Seen seen;
    DialogAnswerer answer([&](const SeenDialog& d) {
      seen.title = d.title;
      seen.file = ItemText(d.hwnd, 1148);  // the file name field
      seen.type = ItemText(d.hwnd, 1136);  // the file type list
      return IDCANCEL;
    });
    EXPECT_EQ(X(r.call).AsString(), "");
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(seen.title, r.expected.title);
    EXPECT_EQ(seen.file, r.expected.file);
    if (!r.expected.type.empty()) {
      EXPECT_EQ(seen.type, r.expected.type);
    }
  }
  EXPECT_EQ(X("CGETFILE()").AsString(), "");  // no dialog at all
}

TEST_F(CommonDialogsTest, AConfirmedFileDialogAnswersThePath) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string file = std::string(temp) + "vdr_elegido.txt";
  std::ofstream(file) << "x";
  Set("cFile", Value::String(file));
  DialogAnswerer answer(DialogAnswerer::PressId(IDOK));
  EXPECT_EQ(X("CGETFILE(cFile, 'Elegir')").AsString(), file);
  DeleteFileA(file.c_str());
}

TEST_F(CommonDialogsTest, ACancelledFontDialogAnswersTheFontGiven) {
  Set("nRGB", Value::Integer(RGB(10, 20, 30)));
  DialogAnswerer answer(DialogAnswerer::PressId(IDCANCEL));
  const Value font = X("CHOOSEFONTH({-15, 0, 0, 0, 700, .T., .F., .F., 0, 0, 0, 0, 0, 'Courier New'}, @nRGB, 0, 0, .T.)");
  ASSERT_TRUE(font.IsArray());
  ASSERT_EQ(font.AsArray().size(), 14u);
  EXPECT_EQ(font.AsArray().Get(0).AsInt(), -15);
  EXPECT_EQ(font.AsArray().Get(4).AsInt(), 700);
  EXPECT_TRUE(font.AsArray().Get(5).AsLogical());
  EXPECT_EQ(font.AsArray().Get(13).AsString(), "Courier New");
  EXPECT_EQ(X("nRGB").AsInt(), RGB(10, 20, 30));
  EXPECT_FALSE(answer.seen().empty());
}

TEST_F(CommonDialogsTest, TheColourDialogOpensFullOnTheColourGivenUnlessFlagsSayOtherwise) {
  struct Row {
    const char* call;
    int button;
    bool full;  // the custom-colour part open
    COLORREF result;
  };
  Set("nRGB", Value::Integer(RGB(10, 20, 30)));
  const Row rows[] = {
      {"CHOOSECOLOR(nRGB)", IDOK, true, RGB(10, 20, 30)},
      {"CHOOSECOLOR(nRGB)", IDCANCEL, true, RGB(10, 20, 30)},
      {"CHOOSECOLOR(nRGB, 1)", IDOK, false, RGB(10, 20, 30)},
      {"CHOOSECOLOR(nRGB, 0)", IDCANCEL, false, RGB(10, 20, 30)},
  };
  int narrowest_full = INT_MAX, widest_plain = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.call);
    int width = 0;
    DialogAnswerer answer([&](const SeenDialog& d) {
      RECT box = {};
      GetWindowRect(d.hwnd, &box);
      width = box.right - box.left;
      return r.button;
    });
    EXPECT_EQ(X(r.call).AsInt(), static_cast<std::int64_t>(r.result));
    ASSERT_EQ(answer.seen().size(), 1u);
    if (r.full) {
      narrowest_full = std::min(narrowest_full, width);
    } else {
      widest_plain = std::max(widest_plain, width);
    }
  }
  EXPECT_GT(widest_plain, 0);
  EXPECT_GT(narrowest_full, widest_plain + 100);
}

TEST_F(CommonDialogsTest, ValuesShowAsTheirText) {
  struct Row {
    const char* expression;
    const char* text;
  };
  const Row rows[] = {
      {"NIL", "nil"},
      {"42", "42"},
      {"-7", "-7"},
      {"1.5", "1.500000"},
      {".T.", ".T."},
      {".F.", ".F."},
      {"'Año'", "Año"},
      {"{1, 2}", "Array"},
      {"{|| 1}", "ValtoChar not suported type yet"},
  };
  for (const Row& r : rows) EXPECT_EQ(ValueText(X(r.expression)), r.text) << r.expression;
  EXPECT_EQ(ValueText(Value::FromDate(xb::Date::FromYmd(2026, 3, 9))), xb::DToC(xb::Date::FromYmd(2026, 3, 9)));
}

TEST_F(CommonDialogsTest, PlainBoxesShowTheValueAndTitle) {
  struct Row {
    const char* call;
    const char* title;
    const char* text;
  };
  const Row rows[] = {
      {"NMSGBOX(.T.)", "Alert", ".T."},
      {"NMSGBOX({1})", "Alert", "Array"},
      {"NMSGBOX('Copia terminada', 'Copia')", "Copia", "Copia terminada"},
      {"NMSGBOX(12, 3)", "3", "12"},
      {"NMSGBOX('x', 'y', 'z')", "Alert", "x"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.call);
    DialogAnswerer answer(DialogAnswerer::PressId(IDOK));
    EXPECT_TRUE(X(r.call).IsNil());
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].title, r.title);
    EXPECT_EQ(answer.seen()[0].AllText(), r.text);
  }
  DialogAnswerer about(DialogAnswerer::PressId(IDOK));
  EXPECT_TRUE(X("MSGABOUT('Vexilo', 'Versión 2')").IsNil());
  ASSERT_FALSE(about.seen().empty());
  EXPECT_NE(about.seen()[0].AllText().find("Versión 2"), std::string::npos);
}

// A metafile that draws a line and a text, as bytes.
std::vector<std::uint8_t> SampleMetafile() {
  HDC dc = CreateMetaFileA(nullptr);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 100, 50);
  SetTextAlign(dc, TA_RIGHT);
  TextOutA(dc, 40, 30, "Página", 6);
  HMETAFILE mf = CloseMetaFile(dc);
  std::vector<std::uint8_t> bits(GetMetaFileBitsEx(mf, 0, nullptr));
  GetMetaFileBitsEx(mf, static_cast<UINT>(bits.size()), bits.data());
  DeleteMetaFile(mf);
  return bits;
}

std::vector<std::uint8_t> Placeable(const std::vector<std::uint8_t>& bits) {
  std::vector<std::uint8_t> file(wmf::kPlaceableHeaderSize);
  auto put16 = [&](std::size_t at, int v) {
    file[at] = static_cast<std::uint8_t>(v);
    file[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put16(0, 0xCDD7);
  put16(2, 0x9AC6);
  put16(6, -5);   // left
  put16(8, 10);   // top
  put16(10, 200); // right
  put16(12, 120); // bottom
  put16(14, 1440);
  file.insert(file.end(), bits.begin(), bits.end());
  return file;
}

std::string WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string path = std::string(temp) + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(WmfFormat, RecordsAndTextsOfAMetafile) {
  const std::vector<std::uint8_t> bits = SampleMetafile();
  const auto records = wmf::ReadRecords(bits);
  ASSERT_TRUE(records.has_value());
  EXPECT_EQ(records->back().function, wmf::kEof);
  const std::vector<wmf::Text> texts = wmf::TextsOf(*records);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "Página");
  EXPECT_EQ(texts[0].x, 40);
  EXPECT_EQ(texts[0].y, 30);
  EXPECT_EQ(texts[0].align, TA_RIGHT);

  // A record that claims more than the file holds is refused.
  std::vector<std::uint8_t> cut(bits.begin(), bits.end() - 8);
  EXPECT_FALSE(wmf::ReadRecords(cut).has_value());
  EXPECT_FALSE(wmf::ReadRecords(std::vector<std::uint8_t>(10)).has_value());
}

TEST_F(CommonDialogsTest, PlaceableMetafilesFromSoundAndDamagedFiles) {
  const std::vector<std::uint8_t> bits = SampleMetafile();
  const std::vector<std::uint8_t> good = Placeable(bits);
  Set("cGood", Value::String(WriteTemp("vdr_good.wmf", good)));
  X("a5 := {0, 0, 0, 0, 0}");
  X("a4 := {1, 2, 3, 4}");
  const Value handle = X("GETPMETAFILE(cGood, a5)");
  EXPECT_GT(handle.AsInt(), 0);
  EXPECT_EQ(X("a5[1]").AsInt(), 10);
  EXPECT_EQ(X("a5[2]").AsInt(), -5);
  EXPECT_EQ(X("a5[3]").AsInt(), 120);
  EXPECT_EQ(X("a5[4]").AsInt(), 200);
  EXPECT_EQ(X("a5[5]").AsInt(), 1440);
  // Played on a context it draws.
  HDC dc = CreateMetaFileA(nullptr);
  Set("hDC", Value::Integer(reinterpret_cast<std::intptr_t>(dc)));
  Set("hMF", handle);
  EXPECT_TRUE(X("PLAYMETAFILE(hDC, hMF)").AsLogical());
  EXPECT_TRUE(X("DELETEMETAFILE(hMF)").AsLogical());
  DeleteMetaFile(CloseMetaFile(dc));

  const Value second = X("GETPMETAFILE(cGood, a4)");
  EXPECT_GT(second.AsInt(), 0);
  EXPECT_EQ(X("a4[1] + a4[2] + a4[3] + a4[4]").AsInt(), 10);  // left alone
  DeleteMetaFile(reinterpret_cast<HMETAFILE>(second.AsInt()));

  std::vector<std::uint8_t> truncated(good.begin(), good.begin() + 30);
  std::vector<std::uint8_t> lying = good;
  lying[wmf::kPlaceableHeaderSize + 6] = 0xFF;  // a size field far past the end
  lying[wmf::kPlaceableHeaderSize + 7] = 0x7F;
  std::vector<std::uint8_t> short_size = good;
  short_size[wmf::kPlaceableHeaderSize + 6] = 2;  // less than its own header
  short_size[wmf::kPlaceableHeaderSize + 7] = 0;
  short_size[wmf::kPlaceableHeaderSize + 8] = 0;
  short_size[wmf::kPlaceableHeaderSize + 9] = 0;
  const std::string bad[] = {WriteTemp("vdr_trunc.wmf", truncated), WriteTemp("vdr_lying.wmf", lying),
                             WriteTemp("vdr_short.wmf", short_size), "C:\\no\\existe.wmf"};
  for (const std::string& file : bad) {
    Set("cBad", Value::String(file));
    EXPECT_EQ(X("GETPMETAFILE(cBad, a5)").AsInt(), -1) << file;
    DeleteFileA(file.c_str());
  }
  EXPECT_EQ(X("a5[5]").AsInt(), 1440);  // failures leave the array alone
  DeleteFileA(std::string(X("cGood").AsString()).c_str());
}

TEST_F(CommonDialogsTest, MetafilesMadeOnAContextAndLoadedFromTheirFile) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  Set("cFile", Value::String(std::string(temp) + "vdr_page.wmf"));
  const Value dc = X("CREATEMETAFILE(cFile)");
  ASSERT_NE(dc.AsInt(), 0);
  TextOutA(reinterpret_cast<HDC>(dc.AsInt()), 5, 6, "Hoja", 4);
  Set("hDC", dc);
  const Value mf = X("CLOSEMETAFILE(hDC)");
  EXPECT_NE(mf.AsInt(), 0);
  Set("hMF", mf);
  EXPECT_TRUE(X("DELETEMETAFILE(hMF)").AsLogical());
  const Value loaded = X("GETMETAFILE(cFile)");
  ASSERT_NE(loaded.AsInt(), 0);
  const auto mf_handle = reinterpret_cast<HMETAFILE>(loaded.AsInt());
  std::vector<std::uint8_t> bits(GetMetaFileBitsEx(mf_handle, 0, nullptr));
  GetMetaFileBitsEx(mf_handle, static_cast<UINT>(bits.size()), bits.data());
  DeleteMetaFile(mf_handle);
  const auto texts = wmf::TextsOf(wmf::ReadRecords(bits).value());
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "Hoja");
  DeleteFileA(std::string(X("cFile").AsString()).c_str());
}

}  // namespace
}  // namespace ui
