#include "services/panel_link.h"

#include <windows.h>

#include <cstring>
#include <map>

#include "data/program_settings.h"
#include "runtime/lib/environment.h"
#include "runtime/memvar.h"
#include "runtime/symbol.h"
#include "services/close_request.h"
#include "services/exec_spool.h"
#include "services/mail_spool.h"
#include "services/panel_records.h"
#include "services/panel_test_support.h"
#include "services/services_test_support.h"
#include "services/table_helpers.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "ui/core/tstruct.h"

namespace svc {
namespace {

using testing::Low32;
using testing::PanelLine;
using testing::PanelProcess;
using xb::Value;

// A record as the panel must read it, written field by field.
struct Bytes {
  explicit Bytes(std::size_t size) : data(size, '\0') {}
  Bytes& Int(std::size_t at, std::uint32_t v) {
    std::memcpy(&data[at], &v, 4);
    return *this;
  }
  Bytes& Text(std::size_t at, const std::string& text) {
    data.replace(at, text.size(), text);
    return *this;
  }
  std::string data;
};

class PanelLinkTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    main_ = Make();
    data::SetMainWindow(Value(xb::ObjectRef(main_)));
  }
  void TearDown() override {
    data::SetMainWindow(Value());
    main_ = {};
    ServicesTest::TearDown();
  }

  static void SetHandle(const char* name, HWND window) {
    xb::SetMemvar(xb::Intern(name), Value::Integer(reinterpret_cast<std::intptr_t>(window)));
  }
  // The lines of `code` once `count` of them have arrived.
  static std::vector<PanelLine> Await(const PanelProcess& panel, int code, std::size_t count = 1) {
    vdr::test::PumpUntil([&] { return panel.Lines(code).size() >= count; }, 5000);
    return panel.Lines(code);
  }

  xb::Ref<ui::TWindow> main_;
};

TEST_F(PanelLinkTest, EverySenderDeliversItsRecordByteForByte) {
  PanelProcess panel;
  const HWND program = main_->hWnd;
  SetHandle("HPANEL", QzccHwnd());
  SetHandle("HPROG", program);
  ASSERT_EQ(QzccHwnd(), PanelProcess::Window());
  const std::string long_text(600, 'x');
  xb::SetMemvar(xb::Intern("CLARGO"), Value::String(long_text));
  struct Case {
    const char* call;
    int code;
    std::string expected;
  };
  const Case cases[] = {
      {"SENDEMAIL( 7, 'a@b.es;c@d.es', 'e@f.es', 'g@h.es', 'Factura', 'Adjunto la factura.', "
       "'<DIR C:\\F\\>1.pdf</DIR>', .T., hProg, hPanel )",
       1001,
       Bytes(3596).Int(0, 7).Text(4, "a@b.es;c@d.es").Text(260, "e@f.es").Text(516, "g@h.es").Text(772, "Factura")
           .Text(1028, "Adjunto la factura.").Text(1540, "<DIR C:\\F\\>1.pdf</DIR>").Int(3588, 1)
           .Int(3592, Low32(program)).data},
      // Every text longer than its field is cut to the field's size - 1 and terminated.
      {"SENDEMAIL( 4294967295, cLargo, cLargo, cLargo, cLargo, cLargo, Replicate( 'y', 3000 ), .F., hProg, hPanel )",
       1001,
       Bytes(3596).Int(0, 0xFFFFFFFFu).Text(4, long_text.substr(0, 255)).Text(260, long_text.substr(0, 255))
           .Text(516, long_text.substr(0, 255)).Text(772, long_text.substr(0, 255)).Text(1028, long_text.substr(0, 511))
           .Text(1540, std::string(2047, 'y')).Int(3592, Low32(program)).data},
      {"WEBEXPLORE( 'http://www.ejemplo.es/ayuda', .T., hPanel, hProg )", 1002,
       Bytes(516).Text(0, "http://www.ejemplo.es/ayuda").Int(512, 1).data},
      {"WEBEXPLORE( cLargo, .F., hPanel, hProg )", 1002, Bytes(516).Text(0, long_text.substr(0, 511)).data},
      {"QZCCWEBBROWSE()", 1002, Bytes(516).Text(0, std::string(kDefaultWebAddress)).data},  // the maker's site
      {"QZCCWEBBROWSE( 'http://www.ejemplo.es/', .T. )", 1002, Bytes(516).Text(0, "http://www.ejemplo.es/").Int(512, 1).data},
      {"EXECINSTANCE( 12, 'C:\\BIN\\Copia.exe', QZCC_ESCAPE( 'a b1' ), 'C:\\BIN', .T., .F., 1003, hPanel, hProg )",
       1003,
       Bytes(1036).Int(0, 12).Text(4, "C:\\BIN\\Copia.exe").Text(260, "a%20b%31").Text(772, "C:\\BIN").Int(1028, 1)
           .data},
      {"EXECINSTANCE( 13, cLargo, cLargo, cLargo, .F., .T., 1003, hPanel, hProg )", 1003,
       Bytes(1036).Int(0, 13).Text(4, long_text.substr(0, 255)).Text(260, long_text.substr(0, 511))
           .Text(772, long_text.substr(0, 255)).Int(1032, 1).data},
      {"SENDHWND( 4321, hProg, hPanel, hProg )", 1011, Bytes(8).Int(0, 4321).Int(4, Low32(program)).data},
      {"NOTIFYAPPCLOSED( 4321, hPanel, hProg )", 1013, Bytes(4).Int(0, 4321).data},
  };
  std::map<int, std::size_t> seen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    X(c.call);
    const auto lines = Await(panel, c.code, ++seen[c.code]);
    ASSERT_EQ(lines.size(), seen[c.code]);
    EXPECT_EQ(lines.back().from, Low32(program));
    EXPECT_EQ(lines.back().bytes.size(), c.expected.size());
    EXPECT_TRUE(lines.back().bytes == c.expected);
  }

  // The document request carries the tick count of the call.
  const DWORD before = GetTickCount();
  X("REGEXEC( 'C:\\VDR\\Documen.wri', hPanel, hProg )");
  const auto documents = Await(panel, 1004);
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_EQ(documents[0].bytes.substr(4), Bytes(512).Text(0, "C:\\VDR\\Documen.wri").data);
  EXPECT_LE(documents[0].Number("tick") - before, 1000u);
}

TEST_F(PanelLinkTest, EscapingAndUnescaping) {
  const std::pair<const char*, const char*> escaped[] = {
      {"abcXYZ", "abcXYZ"}, {"a b", "a%20b"}, {"1", "%31"}, {"%+", "%25%2B"}, {"ñ", "%F1"}, {"", ""},
  };
  for (const auto& [text, expected] : escaped) {
    EXPECT_EQ(panel::Escape(text), expected) << text;
    EXPECT_EQ(panel::Unescape(expected), text) << expected;
  }
  const std::pair<const char*, const char*> unescaped[] = {
      {"a+b", "a b"}, {"%2B", "+"}, {"%2b%41", "+A"}, {"100%", "100%"}, {"%G1", "%G1"}, {"%4", "%4"},
  };
  for (const auto& [text, expected] : unescaped) EXPECT_EQ(panel::Unescape(text), expected) << text;
  EXPECT_EQ(X("QZCC_UNESCAPE( QZCC_ESCAPE( 'C:\\Mis datos\\2024 ñ' ) )").AsString(), "C:\\Mis datos\\2024 ñ");
}

TEST_F(PanelLinkTest, RepliesOfEveryShape) {
  const std::string reply = Bytes(8).Int(0, 0x80000001u).Int(4, static_cast<std::uint32_t>(-5)).data;
  struct Case {
    std::string record;
    std::uint32_t id;
    std::int32_t result;
  };
  // Only 8 bytes make a reply; an identifier whose int32 is negative reads back unsigned.
  const Case cases[] = {{reply, 0x80000001u, -5}, {reply.substr(0, 4), 0, 0}, {"", 0, 0}, {reply + "1234", 0, 0}};
  for (const Case& c : cases) {
    std::string record = c.record;
    COPYDATASTRUCT data{1001, static_cast<DWORD>(record.size()), record.empty() ? nullptr : record.data()};
    const panel::Reply read = mReadInfo(reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(read.id, c.id) << c.record.size();
    EXPECT_EQ(read.result, c.result) << c.record.size();
  }
  // A struct image of the native COPYDATASTRUCT reads a real one.
  std::string record = Bytes(8).Int(0, 5).Int(4, 6).data;
  COPYDATASTRUCT data{1003, 8, record.data()};
  xb::SetMemvar(xb::Intern("NLPARAM"), Value::Integer(reinterpret_cast<std::intptr_t>(&data)));
  EXPECT_EQ(X("QZGETMSG( nLParam )").AsInt(), 1003);
  EXPECT_EQ(X("MREADINFO( nLParam )[ 2 ]").AsInt(), 6);
  X("oCds := QZCC_COPYDATASTRUCT()");
  EXPECT_EQ(X("oCds:SizeOf()").AsInt(), static_cast<std::int64_t>(sizeof(COPYDATASTRUCT)));
  X("oCds:dwData := 1003");
  X("oCds:cbData := 8");
  X("oCds:lpData := 1234567890123");
  EXPECT_EQ(X("oCds:lpData").AsInt(), 1234567890123LL);
  auto* cds = dynamic_cast<ui::TStruct*>(X("oCds").AsObject().get());
  ASSERT_NE(cds, nullptr);
  const std::string image = cds->cBuffer;
  ASSERT_EQ(image.size(), sizeof(COPYDATASTRUCT));
  COPYDATASTRUCT read{};
  std::memcpy(&read, image.data(), sizeof read);
  EXPECT_EQ(read.dwData, 1003u);
  EXPECT_EQ(read.cbData, 8u);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(read.lpData), 1234567890123LL);
}

TEST_F(PanelLinkTest, TheMailSpoolSendsAndItsReplyRunsTheCallback) {
  PanelProcess panel("--mail 3 --delay 300");
  X("aGot := {}");
  const DWORD start = GetTickCount();
  const auto id = X("OMAILSPOOL():NewMsg( { 'uno@a.es, dos@b.es' }, {}, 'tres@c.es', 'Pedido', 'Texto', "
                    "{ 'C:\\A\\uno.txt', 'D:\\B\\dos.txt', 'C:\\A\\tres.txt' }, "
                    "{ |nId, nRes| AAdd( aGot, { nId, nRes } ) }, .F., .T. )")
                      .AsInt();
  // The reply came while the notice was up.
  EXPECT_GE(GetTickCount() - start, 2900u);
  EXPECT_EQ(X("Len( aGot )").AsInt(), 1);
  EXPECT_EQ(X("aGot[ 1, 1 ]").AsInt(), id);
  EXPECT_EQ(X("aGot[ 1, 2 ]").AsInt(), 3);
  EXPECT_TRUE(X("OMAILSPOOL():GetMsgFromId( " + std::to_string(id) + " )").IsNil());
  const auto mails = panel.Lines(1001);
  ASSERT_EQ(mails.size(), 1u);
  const PanelLine& m = mails[0];
  EXPECT_EQ(m.Number("id"), static_cast<std::uint32_t>(id));
  // The lists are padded to 256 and travel as 255 characters.
  EXPECT_EQ(m.fields.at("to"), ("uno@a.es;dos@b.es" + std::string(255, ' ')).substr(0, 255));
  EXPECT_EQ(m.fields.at("cc"), "");
  EXPECT_EQ(m.fields.at("bcc"), ("tres@c.es" + std::string(255, ' ')).substr(0, 255));
  EXPECT_EQ(m.fields.at("files"), "<DIR C:\\A\\>uno.txt;tres.txt</DIR><DIR D:\\B\\>dos.txt</DIR>");
  EXPECT_EQ(m.Number("dialog"), 0u);
  EXPECT_EQ(m.Number("window"), Low32(main_->hWnd));
  EXPECT_EQ(m.from, Low32(main_->hWnd));
  // Nothing queued: nothing sent, no notice.
  EXPECT_FALSE(X("OMAILSPOOL():SendMsg()").AsLogical());
  EXPECT_TRUE(log().messages.empty());
}

// The list helpers and the spool's own methods, called by name as compiled text calls them.
TEST_F(PanelLinkTest, TheListHelpersAndTheMailSpoolByName) {
  const std::pair<const char*, std::string> cases[] = {
      {"ARRAY2STRING( {} )", ""},
      {"ARRAY2STRING( { ' a@b.es ', 'c@d.es' }, 20 )", "a@b.es;c@d.es       "},
      {"ARRAY2STRING( { 'a@b.es, c@d.es' }, 15 )", "a@b.es;c@d.es  "},
      {"ARRAY2STRING( { 'a@b.es', 'c@d.es' }, 8, ',' )", "a@b.es,c"},
      {"ARRAY2STRING( { 'uno' } )", "uno" + std::string(509, ' ')},
      {"ARRAY2XML( { 'C:\\A\\1.txt', 'D:\\2.txt', 'C:\\A\\3.txt' } )",
       "<DIR C:\\A\\>1.txt;3.txt</DIR><DIR D:\\>2.txt</DIR>"},
      {"ARRAY2XML( {} )", ""},
  };
  for (const auto& [call, expected] : cases) EXPECT_EQ(X(call).AsString(), expected) << call;
  const std::pair<const char*, std::vector<std::string>> tokens[] = {
      {"STRING2ARRAY( ';a;;b;' )", {"a", "b"}},
      {"STRING2ARRAY( 'a, b', ',' )", {"a", " b"}},
      {"STRING2ARRAY( '' )", {}},
  };
  for (const auto& [call, expected] : tokens) {
    const Value got = X(call);
    ASSERT_TRUE(got.IsArray()) << call;
    std::vector<std::string> texts;
    for (const Value& v : got.AsArray()) texts.emplace_back(v.AsString());
    EXPECT_EQ(texts, expected) << call;
  }
  // A reply handed over as texts reaches the callback as numbers, once.
  X("aGot := {}");
  const auto id = X("OMAILSPOOL():NewMsg( 'a@b.es',,,,,, { |nId, nRes| AAdd( aGot, { nId, nRes } ) } )").AsInt();
  const std::string msg = "OMAILSPOOL():GetMsgFromId( " + std::to_string(id) + " )";
  EXPECT_EQ(X(msg + ":cSubject").AsString(), "Asunto");
  EXPECT_EQ(X(msg + ":cMsgText").AsString(), " ");
  EXPECT_TRUE(X(msg + ":lShowDialog").AsLogical());
  EXPECT_FALSE(X(msg + ":lAutoSend").AsLogical());
  EXPECT_TRUE(X("OMAILSPOOL():GetMsgFromId( 'x' )").IsNil());
  X("OMAILSPOOL():HandleEvent( '" + std::to_string(id) + "', '7' )");
  X("OMAILSPOOL():HandleEvent( " + std::to_string(id) + ", 8 )");
  ASSERT_EQ(X("Len( aGot )").AsInt(), 1);
  EXPECT_EQ(X("aGot[ 1, 1 ]").AsInt(), id);
  EXPECT_EQ(X("aGot[ 1, 2 ]").AsInt(), 7);
  EXPECT_TRUE(X(msg).IsNil());
  EXPECT_FALSE(X("OMAILSPOOL():DelMsg( " + std::to_string(id) + " )").AsLogical());
  X("OMAILSPOOL():NewMsg( 'a@b.es' )");
  X("OMAILSPOOL():End()");
  EXPECT_EQ(X("Len( OMAILSPOOL():aMsgs )").AsInt(), 0);
  EXPECT_TRUE(log().messages.empty());
}

// The additional documentation: the file of the program's folder, asked of the panel.
TEST_F(PanelLinkTest, TheAdditionalDocumentationIsAskedOfThePanel) {
  PanelProcess panel;
  char temp[MAX_PATH + 1] = {};
  ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
  const std::string folder = std::string(temp) + "vdr_docadic_" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  data::cPathExe(folder);
  auto write = [&](const std::string& name) {
    HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  };
  EXPECT_EQ(X("DOCADICNAME()").AsString(), "Documen.wri");
  X("DOCADICIONAL()");
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].text, "No se ha localizado el fichero de documentación adicional ( DOCUMEN.WRI )");
  EXPECT_EQ(log().messages[0].title, "Atención");
  write("Documen.wri");
  X("DOCADICIONAL()");
  write("Leeme.wri");
  EXPECT_EQ(X("DOCADICNAME( 'Leeme.wri' )").AsString(), "Leeme.wri");
  X("DOCADICIONAL()");
  const auto documents = Await(panel, 1004, 2);
  ASSERT_EQ(documents.size(), 2u);
  EXPECT_EQ(documents[0].bytes.substr(4), Bytes(512).Text(0, folder + "Documen.wri").data);
  EXPECT_EQ(documents[1].bytes.substr(4), Bytes(512).Text(0, folder + "Leeme.wri").data);
  EXPECT_EQ(log().messages.size(), 1u);
  DeleteFileA((folder + "Documen.wri").c_str());
  DeleteFileA((folder + "Leeme.wri").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(PanelLinkTest, RepliesOfAWrongSizeFindNoMessage) {
  PanelProcess panel("--mail 3 --size 4 --delay 100");
  X("nCalls := 0");
  const auto id = X("OMAILSPOOL():NewMsg( 'a@b.es',,,,,, { || nCalls++ }, .T., .T. )").AsInt();
  EXPECT_EQ(X("nCalls").AsInt(), 0);
  EXPECT_FALSE(X("OMAILSPOOL():GetMsgFromId( " + std::to_string(id) + " )").IsNil());
  // Later identifiers are still different when queued in the same millisecond.
  const auto a = X("OMAILSPOOL():NewMsg( 'a@b.es' )").AsInt();
  const auto b = X("OMAILSPOOL():NewMsg( 'a@b.es' )").AsInt();
  EXPECT_GT(b, a);
}

TEST_F(PanelLinkTest, AProgramRunWaitsUntilItsResult) {
  PanelProcess panel("--exec 4 --notices --delay 700");
  X("aGot := {}");
  HWND seen_wait = nullptr;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) {
    if (d.AllText().find("Realizando proceso, espere...") != std::string::npos) {
      seen_wait = d.hwnd;
      vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\exec_wait.bmp");
    }
    return 0;
  });
  const auto id = X("OEXECSPOOL():NewExe32( ' C:\\BIN\\Copia.exe ', 'C:\\BIN\\', ' /a 1 ', .T., "
                    "{ |nId, nRes| AAdd( aGot, { nId, nRes } ) }, .T. )")
                      .AsInt();
  EXPECT_NE(seen_wait, nullptr);
  EXPECT_FALSE(IsWindow(seen_wait));
  ASSERT_EQ(X("Len( aGot )").AsInt(), 1);
  EXPECT_EQ(X("aGot[ 1, 1 ]").AsInt(), id);
  EXPECT_EQ(X("aGot[ 1, 2 ]").AsInt(), 4);
  // The instance stays until it is deleted.
  EXPECT_FALSE(X("OEXECSPOOL():GetInstanceFromID( " + std::to_string(id) + " )").IsNil());
  EXPECT_TRUE(X("OEXECSPOOL():DelInstance( " + std::to_string(id) + " )").AsLogical());
  EXPECT_FALSE(X("OEXECSPOOL():DelInstance( 'x' )").AsLogical());
  const auto runs = panel.Lines(1003);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].fields.at("path"), "C:\\BIN\\Copia.exe");
  EXPECT_EQ(runs[0].fields.at("params"), "%2Fa%20%31");
  EXPECT_EQ(runs[0].fields.at("folder"), "C:\\BIN\\");
  EXPECT_EQ(runs[0].Number("wait"), 1u);
  EXPECT_EQ(runs[0].Number("progress"), 1u);
}

TEST_F(PanelLinkTest, APanelThatDiesClosesTheWaitDialog) {
  PanelProcess panel;
  HWND seen_wait = nullptr;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) {
    if (seen_wait == nullptr && d.AllText().find("Realizando proceso") != std::string::npos) {
      seen_wait = d.hwnd;
      panel.Kill();
    }
    return 0;
  });
  X("nCalls := 0");
  const DWORD start = GetTickCount();
  X("OEXECSPOOL():NewExe32( 'C:\\BIN\\Copia.exe',,, .T., { || nCalls++ }, .T. )");
  EXPECT_NE(seen_wait, nullptr);
  EXPECT_FALSE(IsWindow(seen_wait));
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_EQ(X("nCalls").AsInt(), 0);
  EXPECT_EQ(X("Len( OEXECSPOOL():aInstances )").AsInt(), 1);
}

TEST_F(PanelLinkTest, WithoutAPanelNothingWaitsAndNothingIsReported) {
  ASSERT_EQ(PanelProcess::Window(), nullptr);
  EXPECT_EQ(QzccHwnd(), nullptr);
  X("nCalls := 0");
  HWND seen_wait = nullptr;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) {
    if (d.AllText().find("Realizando proceso") != std::string::npos) seen_wait = d.hwnd;
    return 0;
  });
  const DWORD start = GetTickCount();
  X("OEXECSPOOL():NewExe32( 'C:\\BIN\\Copia.exe',,, .T., { || nCalls++ }, .T. )");
  EXPECT_EQ(seen_wait, nullptr);
  EXPECT_EQ(Qzcc_SendHwnd(), 0);
  EXPECT_EQ(X("QZCCREGTYPE( 'C:\\Documen.wri' )").AsInt(), 0);
  EXPECT_EQ(X("QZCCWEBBROWSE()").AsInt(), 0);
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_TRUE(log().messages.empty());
  // A panel started later is not seen by this run.
  PanelProcess late;
  EXPECT_EQ(QzccHwnd(), nullptr);
  EXPECT_EQ(X("QZCCHWND()").AsInt(), 0);
}

TEST_F(PanelLinkTest, TheProgramWindowIsAnnounced) {
  PanelProcess panel;
  EXPECT_EQ(X("APPHWND()").AsInt(), reinterpret_cast<std::intptr_t>(main_->hWnd));
  InitQzcc();
  EXPECT_FALSE(X("OMAILSPOOL( .F. )").IsNil());
  EXPECT_FALSE(X("OEXECSPOOL( .F. )").IsNil());
  auto other = Make();
  SetAppHwnd(other->hWnd);
  Qzcc_SendHwnd();
  Qzcc_SendHwnd(true);
  const auto lines = Await(panel, 1011, 3);
  ASSERT_EQ(lines.size(), 3u);
  const std::uint32_t windows[] = {Low32(main_->hWnd), Low32(other->hWnd), Low32(main_->hWnd)};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(lines[i].Number("process"), GetCurrentProcessId());
    EXPECT_EQ(lines[i].Number("window"), windows[i]);
  }
  X("QZCC_APPCLOSED()");
  const auto closed = Await(panel, 1013);
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0].Number("process"), GetCurrentProcessId());
}

TEST_F(PanelLinkTest, ReplyRoutingLeavesSpoolsUnmade) {
  // A reply to a window before any spool exists is dropped, and makes none.
  std::string record = Bytes(8).Int(0, 1).Int(4, 2).data;
  for (ULONG_PTR code : {1001u, 1003u, 1005u}) {
    COPYDATASTRUCT data{code, 8, record.data()};
    EXPECT_EQ(SendMessageA(main_->hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 0);
  }
  EXPECT_FALSE(MailSpoolIfAny());
  EXPECT_FALSE(ExecSpoolIfAny());
}

TEST_F(PanelLinkTest, TheCloseRequestCountsDownLogsOutAndQuits) {
  qzw_CreaUsuarios(true, false);
  AddUser("01", "Ana", "x", std::string(255, '2'), "", true);
  cCodUsuario("01");
  SetLogoutDue(true);
  SetCloseCountdownTick(100);
  // The user maintenance holds the user table for itself at the time.
  ASSERT_TRUE(OpenTable(UsuariosTable(), "Mantenim", true));
  int quits = 0;
  xb::QuitHandler previous = xb::SetQuitHandler([&](int) { ++quits; });
  std::vector<std::string> buttons;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) {
    if (d.title == "Atención" && buttons.empty()) {
      vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\close_request.bmp");
      buttons.push_back(d.AllText());
      for (const auto& b : d.buttons) buttons.push_back(b.text);
    }
    return 0;
  });
  {
    PanelProcess panel("--close 200");
    Qzcc_SendHwnd(true);
    vdr::test::PumpUntil([&] { return quits > 0; }, 8000);
  }
  xb::SetQuitHandler(previous);
  SetCloseCountdownTick(999);
  EXPECT_EQ(quits, 1);
  ASSERT_GE(buttons.size(), 2u);
  EXPECT_NE(buttons[0].find("Se ha detectado un Error Grave y la aplicación se cerrará en 10 Seg."), std::string::npos);
  EXPECT_EQ(buttons[1], "Cerrar en ...");
  EXPECT_EQ(areas().AreaOfAlias("Mantenim"), 0);
  EXPECT_FALSE(FieldOf(UsuariosTable(), "CCODIGO", "01", "LACTIVO").AsLogical());
  EXPECT_EQ(areas().AreaOfAlias("QzUsuarios"), 0);
  EXPECT_TRUE(log().messages.empty());
}

}  // namespace
}  // namespace svc
