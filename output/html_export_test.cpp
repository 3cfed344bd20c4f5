// The HTML export: escaping and names, a fixed listing to destinations 32 and 128 placed by
// WEB_DESTINO, the folder check, the browser and mail requests reaching the management
// panel's stand-in, document mode, a framework report drawn through TQZWebPr, and two
// exports at once. The pages of the listing and the report are kept among the screenshots
// (html\...), where html_pages_check parses them and opens them in headless Chromium.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "data/program_settings.h"
#include "output/html_export.h"
#include "output/html_page.h"
#include "output/listing_driver.h"
#include "output/output.h"
#include "output/output_test_support.h"
#include "output/printer_table.h"
#include "output/treport.h"
#include "runtime/block.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "services/mail_spool.h"
#include "services/panel_link.h"
#include "services/panel_test_support.h"
#include "services/services.h"
#include "services/table_helpers.h"
#include "services/user_session.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "tests/support/window_text.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_test_support.h"
#include "ui/core/twindow.h"
#include "data/data_functions.h"

namespace output {
namespace {

using svc::testing::PanelLine;
using svc::testing::PanelProcess;
using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using xb::Args;
using xb::Value;

Value X(const std::string& text) { return xb::EvalMacro(text); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

using test::EraseTree;
using test::ReadFile;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The hostile texts of the listing, one a record (html_pages_check.py has the same table).
const std::vector<std::string> kHostile = {
    "<script>alert(1)</script>", "A&B", "Comillas \"dobles\" y 'simples'", "Año ñ", "</P><P CLASS=x>", "&amp; ya",
};

constexpr const char* kWebDialog = "Destino del Listado/Informe.";

DialogAnswerer::Chooser FirstButton() {
  return [](const SeenDialog& d) { return d.buttons.empty() ? 0 : d.buttons.front().id; };
}

// The progress boxes of the listing, the report and the pages, left alone.
bool Progress(const SeenDialog& d) {
  return d.title == "Listando" || d.title == "Generando páginas..." || d.title == "Vista previa" || d.title.empty();
}

// What the test types into WEB_DESTINO.
struct WebAnswer {
  std::string folder{}, subfolder{}, name{};
  bool dated = false, mail = false, browse = false;
  bool cancel = false;
};

class HtmlExportTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "vdrhtml" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++count_) + "\\";
    EraseTree(folder_);  // left by a killed run of the same process number
    CreateDirectoryA(folder_.c_str(), nullptr);
    test::StartListingRun(folder_, functions_);
    svc::ResetPanelLink();
    nDestinoListado(0);
    main_ = Make<ui::TWindow>();
    data::SetMainWindow(Value(xb::ObjectRef(main_)));
    WritePrinters();
  }
  void TearDown() override {
    data::SetMainWindow(Value());
    main_ = {};
    svc::EndMailSystem();
    svc::ResetPanelLink();
    xb::rdd::ResetTables();
    ui::PrinterInit();
    EraseTree(folder_);
    FrameworkTest::TearDown();
    functions_.Restore();
  }
  xb::FunctionTableSnapshot functions_;

  void WritePrinters() {
    ASSERT_TRUE(CreaImprDbf());
    svc::SelectedAreaScope keep;
    ASSERT_TRUE(svc::OpenTable(GesPrnTable(), "_P", true));
    svc::OpenedArea area(true);
    test::AppendTestPrinter(vdr::test::kTestPrinter, "LPT1:", "1", 1);
  }

  // `n` records, one a page (the group changes at each).
  void WriteRecords(int n) {
    const std::string table = folder_ + "Hostil.dbf";
    ASSERT_TRUE(X("DBCREATE('" + table + "', {{'CODIGO','C',6,0},{'NOMBRE','C',40,0},{'PRECIO','N',10,2}}, 'ADS')")
                    .AsLogical());
    X("DBUSEAREA(.T., 'ADS', '" + table + "', 'HOSTIL', .F., .F.)");
    for (int i = 1; i <= n; ++i) {
      X("DBAPPEND()");
      char code[8];
      std::snprintf(code, sizeof code, "H%05d", i);
      X(std::string("FIELDPUT(1, '") + code + "')");
      xb::CallFunction("FIELDPUT", {Value::Integer(2), Value::String(kHostile[(i - 1) % kHostile.size()])});
      X("FIELDPUT(3, " + std::to_string(i * 12.5) + ")");
    }
    X("DBGOTOP()");
  }

  ListingParams Params(const std::string& title) {
    ListingParams p;
    p.title = title;
    p.alias = "HOSTIL";
    p.group = Value(xb::Block::Native([](Args&) { return X("CODIGO"); }));
    p.line = Value(xb::Block::Native([](Args& a) {
      int line = static_cast<int>(a.Int(2));
      auto say = [&](int col, const Value& v, const std::string& picture = {}, bool right = false) {
        test::SayAt(line, col, v, picture, right);
      };
      switch (a.Int(1)) {
        case kPageHeader:
          say(0, Value::String("LISTADO <b>HOSTIL</b> & CIA"));
          ++line;
          LinListado(line, 0, line, 47);
          ++line;
          break;
        case kDetail:
          say(0, X("CODIGO"));
          say(8, X("NOMBRE"));
          say(58, X("PRECIO"), "@E 999,999.99", true);
          if (xb::Ref<TPrinter2> prn = Impresora()) {
            prn->SayBitMap(40, 20, Value::String("LUPA"), 8, 8);
            prn->Box(60, 20, 80, 80, 0, 2, RGB(0, 0, 255), false, true);
            prn->Linea(100, 20, 120, 60, RGB(255, 0, 0), 2, 0, false, true);
          }
          break;
        default:
          break;
      }
      a.SetRef(2, Value::Integer(line));
      return Value();
    }));
    return p;
  }

  // Answers WEB_DESTINO as `web` says, and every message box with its first button; the
  // listing's and the pages' progress boxes are left alone.
  DialogAnswerer::Chooser Answer(WebAnswer web) {
    return [web](const SeenDialog& d) -> int {
      if (Progress(d)) return 0;
      if (d.title == kWebDialog) {
        if (web.cancel) return 401;
        SetDlgItemTextA(d.hwnd, 100, web.folder.c_str());
        if (!web.subfolder.empty()) SetDlgItemTextA(d.hwnd, 101, web.subfolder.c_str());
        if (!web.name.empty()) SetDlgItemTextA(d.hwnd, 102, web.name.c_str());
        CheckDlgButton(d.hwnd, 300, web.dated ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(d.hwnd, 301, web.mail ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(d.hwnd, 302, web.browse ? BST_CHECKED : BST_UNCHECKED);
        return 400;
      }
      return d.buttons.empty() ? 0 : d.buttons.front().id;
    };
  }

  static std::string Said(const DialogAnswerer& answer) {
    std::string text;
    for (const SeenDialog& d : Boxes(answer)) text += d.title + ": " + d.AllText() + "\n";
    return text;
  }
  static std::vector<SeenDialog> Boxes(const DialogAnswerer& answer) {
    std::vector<SeenDialog> boxes;
    for (const SeenDialog& d : answer.seen())
      if (!Progress(d) && d.title != kWebDialog)
        boxes.push_back(d);
    return boxes;
  }

  // The folder kept among the screenshots for the page checker, emptied first.
  static std::string Kept(const std::string& name) {
    const std::string base = vdr::test::ScreenshotFolder() + "\\html\\";
    CreateDirectoryA(base.c_str(), nullptr);
    EraseTree(base + name + "\\");
    return base;
  }

  std::string WorkDir() const { return folder_ + "~HTML01\\"; }

  std::string folder_;
  xb::Ref<ui::TWindow> main_;
  static inline int count_ = 0;
};

// ---- texts ------------------------------------------------------------------------------------

TEST_F(HtmlExportTest, TextsAreEscapedAndNamesMadeSafe) {
  struct Case {
    const char* text;
    const char* escaped;
    const char* item;
  };
  const Case cases[] = {
      {"<script>", "&lt;script&gt;", "&lt;script&gt;"},
      {"A&B", "A&amp;B", "A&amp;B"},
      {"\"x\" 'y'", "&quot;x&quot; &#39;y&#39;", "&quot;x&quot;&nbsp;&#39;y&#39;"},
      {"Año ñ", "Año ñ", "Año&nbsp;ñ"},
      {"    42,50  ", "    42,50  ", "&nbsp;&nbsp;&nbsp;&nbsp;42,50"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(html::Escape(c.text), c.escaped);
    EXPECT_EQ(html::ItemText(c.text), c.item);
  }
  EXPECT_EQ(html::JsString("a\\b'c\"d</script>"), "a\\\\b\\'c\\\"d<\\/script>");
  EXPECT_EQ(html::SafeName("Ventas\\2026: ¿total*? \"a\" <b>|c/d"), "Ventas_2026_ ¿total__ _a_ _b__c_d");
  EXPECT_EQ(html::PercentEncode("Logo año.bmp"), "Logo%20a%F1o.bmp");
  EXPECT_EQ(html::Mm(12.345), "12.35mm");
  EXPECT_EQ(html::Mm(-0.001), "0.00mm");
  EXPECT_EQ(html::PageName(0, 12), "P0000012.HTM");
  EXPECT_EQ(html::PageName(3, 1), "P0300001.HTM");
  EXPECT_EQ(html::NavigationName(3), "Navega03.htm");
  // A face cannot leave its quotes nor the style block.
  const std::string block = html::FontClassBlock({7, "Evil'</STYLE><script>", 10, true, false, "FNT_7"});
  EXPECT_EQ(block.find("</STYLE>"), std::string::npos);
  EXPECT_EQ(block.find("'</"), std::string::npos);
  EXPECT_NE(block.find(" font-size:        10pt;\r\n"), std::string::npos);
  EXPECT_NE(block.find(" font-weight:bold;"), std::string::npos);
  // Every page declares its bytes first thing in its head.
  const std::string charset = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">";
  for (const std::string& page : {html::Placeholder(), html::BeginHead("<t>", 0, 1, false),
                                  html::NavigationPage("<t>", 0, 3)}) {
    const auto head = page.find("<HEAD>");
    ASSERT_NE(head, std::string::npos);
    EXPECT_EQ(page.find("<META", head), page.find(charset, head));
    EXPECT_LT(page.find(charset, head), page.find("<TITLE>"));
    EXPECT_EQ(page.find("<t>"), std::string::npos);
  }
  const std::string nav = html::NavigationPage("T", 0, 12);
  EXPECT_NE(nav.find("SRC=\"P0000001.HTM\""), std::string::npos);
  EXPECT_NE(nav.find("Página 1 de 12"), std::string::npos);
  EXPECT_NE(nav.find("'.HTM'"), std::string::npos);
}

// ---- the listing --------------------------------------------------------------------------------

TEST_F(HtmlExportTest, ATwelvePageListingBecomesTwelvePagesAndANavigationPage) {
  WriteRecords(12);
  const std::string kept = Kept("listado");
  ListingParams p = Params("Listado: hostil*?");
  {
    DialogAnswerer answer(Answer({.folder = kept, .subfolder = "listado", .name = "indice"}));
    RunListing(p, {.destination = kHtml}, 1);
    EXPECT_TRUE(Boxes(answer).empty()) << Said(answer);
    // The dialog proposed the title with the refused characters as "_".
    ASSERT_FALSE(answer.seen().empty());
  }
  EXPECT_EQ(nDestinoListado(), 0);
  EXPECT_FALSE(Impresora());
  const std::string dest = kept + "listado\\";
  std::vector<std::string> expected = {"IMG_LUPA.bmp", "indice.htm"};
  for (int i = 1; i <= 12; ++i) expected.push_back(html::PageName(0, i));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Names(dest), expected);
  const std::string nav = ReadFile(dest + "indice.htm");
  EXPECT_NE(nav.find("Página 1 de 12"), std::string::npos);
  EXPECT_NE(nav.find("<TITLE>Listado: hostil*?</TITLE>"), std::string::npos);
  const std::string page3 = ReadFile(dest + "P0000003.HTM");
  EXPECT_NE(page3.find("Comillas&nbsp;&quot;dobles&quot;&nbsp;y&nbsp;&#39;simples&#39;"), std::string::npos);
  EXPECT_NE(page3.find("LISTADO&nbsp;&lt;b&gt;HOSTIL&lt;/b&gt;&nbsp;&amp;&nbsp;CIA"), std::string::npos);
  EXPECT_NE(page3.find("background-image:Url('IMG_LUPA.bmp')"), std::string::npos);
  EXPECT_NE(page3.find("<svg"), std::string::npos);
  EXPECT_NE(page3.find(".FNT_NORMAL"), std::string::npos);
  // Nothing of the export is left in the work folder.
  EXPECT_FALSE(Exists(WorkDir()));
}

// While the pages are written, "Generando páginas..." answers what is sent to it (here from
// another thread), not only once they are all written and it is gone.
TEST_F(HtmlExportTest, ThePagesMessageAnswersWhileThePagesAreWritten) {
  WriteRecords(150);
  const std::string kept = Kept("largo");
  std::atomic<bool> stop = false;
  std::atomic<int> answered = 0;
  std::thread asker([&] {
    while (!stop) {
      HWND box = FindWindowA(nullptr, "Generando páginas...");
      DWORD_PTR result = 0;
      if (box != nullptr && SendMessageTimeoutA(box, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0) ++answered;
      Sleep(5);
    }
  });
  {
    DialogAnswerer answer(Answer({.folder = kept, .subfolder = "largo", .name = "indice"}));
    ListingParams p = Params("Largo");
    RunListing(p, {.destination = kHtml}, 1);
  }
  stop = true;
  asker.join();
  EXPECT_TRUE(Exists(kept + "largo\\P0000150.HTM"));
  EXPECT_GE(answered, 2);
}

TEST_F(HtmlExportTest, TheDialogProposesSafeNamesChecksTheFolderAndCancelErasesThePages) {
  WriteRecords(2);
  const std::string base = folder_ + "DESTINO\\";
  CreateDirectoryA(base.c_str(), nullptr);
  CreateDirectoryA((base + "Existe").c_str(), nullptr);
  {
    // An existing folder keeps the dialog open: the test then names a new one and accepts.
    HWND web = nullptr;
    std::string proposed_sub, proposed_name;
    DialogAnswerer answer([&](const SeenDialog& d) -> int {
      if (d.title == kWebDialog) {
        EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\web_destino.bmp"));
        web = d.hwnd;
        proposed_sub = ItemText(d.hwnd, 101);
        proposed_name = ItemText(d.hwnd, 102);
        SetDlgItemTextA(d.hwnd, 100, base.c_str());
        SetDlgItemTextA(d.hwnd, 101, "Existe");
        return 400;
      }
      if (d.title == "Atención" && web != nullptr) {
        // Once the message has closed: a new name, with date and time, accepted again.
        static HWND again;
        again = web;
        SetTimer(nullptr, 0, 400, [](HWND, UINT, UINT_PTR timer, DWORD) {
          KillTimer(nullptr, timer);
          SetDlgItemTextA(again, 101, "Nueva");
          CheckDlgButton(again, 300, BST_CHECKED);
          PostMessageA(again, WM_COMMAND, MAKEWPARAM(400, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(again, 400)));
        });
      }
      if (Progress(d)) return 0;
      return d.buttons.empty() ? 0 : d.buttons.front().id;
    });
    ListingParams p = Params("Ventas\\2026: ¿total*?");
    RunListing(p, {.destination = kHtml}, 1);
    EXPECT_EQ(proposed_sub, "Ventas_2026_ ¿total__");
    EXPECT_EQ(proposed_name, "Ventas_2026_ ¿total__");
    const std::vector<SeenDialog> boxes = Boxes(answer);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].AllText(), "El directorio ya existe, por favor, seleccione otro");
  }
  // The second try took "Nueva" with date and time, every character of them allowed.
  std::vector<std::string> made = Names(base);
  ASSERT_EQ(made.size(), 2u);
  EXPECT_EQ(made[0], "Existe");
  const std::string dated = made[1];
  EXPECT_EQ(dated.rfind("Nueva_", 0), 0u);
  EXPECT_EQ(dated.find_first_of(":/\\*?"), std::string::npos);
  EXPECT_TRUE(Exists(base + dated + "\\Ventas_2026_ ¿total__.htm"));
  EXPECT_TRUE(Exists(base + dated + "\\P0000002.HTM"));
  EXPECT_TRUE(Names(base + "Existe\\").empty());
  // A folder that cannot be made or written.
  {
    DialogAnswerer answer(FirstButton());
    std::ofstream(folder_ + "fichero") << "x";
    EXPECT_FALSE(lDirOk(folder_ + "fichero", "sub"));
    EXPECT_TRUE(lDirOk(base, "Otra"));
    EXPECT_FALSE(lDirOk(base, "Otra"));
    ASSERT_EQ(answer.seen().size(), 2u);
    EXPECT_EQ(answer.seen()[0].AllText(), "Directorio No válido, por favor seleccione otro");
    EXPECT_EQ(answer.seen()[0].title, "Atención");
    EXPECT_EQ(answer.seen()[1].AllText(), "El directorio ya existe, por favor, seleccione otro");
  }
  // Cancelled: nothing is placed and nothing is left behind.
  {
    X("DBGOTOP()");
    DialogAnswerer answer(Answer({.cancel = true}));
    ListingParams p = Params("Cancelado");
    RunListing(p, {.destination = kHtml}, 1);
  }
  EXPECT_EQ(Names(base).size(), 3u);
  EXPECT_FALSE(Exists(WorkDir()));
}

TEST_F(HtmlExportTest, MailAndBrowserRequestsReachThePanel) {
  WriteRecords(3);
  {
    // Destination 128: check box 301 ticked by itself; the mail spool made on first use.
    PanelProcess panel("--mail 1 --delay 200");
    ASSERT_FALSE(svc::MailSpoolIfAny());
    std::string mail_ticked;
    DialogAnswerer answer([&](const SeenDialog& d) -> int {
      if (d.title == kWebDialog) {
        mail_ticked = IsDlgButtonChecked(d.hwnd, 301) == BST_CHECKED ? "si" : "no";
        mail_ticked += IsWindowEnabled(GetDlgItem(d.hwnd, 302)) ? "+navegador" : "";
        SetDlgItemTextA(d.hwnd, 100, folder_.c_str());
        SetDlgItemTextA(d.hwnd, 101, "correo");
        CheckDlgButton(d.hwnd, 301, BST_CHECKED);
        return 400;
      }
      if (Progress(d)) return 0;
      return d.buttons.empty() ? 0 : d.buttons.front().id;
    });
    ListingParams p = Params("Correo <b>");
    RunListing(p, {.destination = kHtmlMail}, 1);
    EXPECT_EQ(mail_ticked, "si");
    vdr::test::PumpUntil([&] { return !panel.Lines(svc::panel::kMailMessage).empty(); }, 5000);
    const auto mails = panel.Lines(svc::panel::kMailMessage);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].fields.at("subject"), "Correo <b>");
    EXPECT_EQ(mails[0].fields.at("to"), "");
    const std::string files = mails[0].fields.at("files");
    EXPECT_EQ(files, "<DIR " + folder_ + "correo\\>Correo _b_.htm;P0000001.HTM;P0000002.HTM;P0000003.HTM;IMG_LUPA.bmp</DIR>");
    EXPECT_EQ(mails[0].Number("dialog"), 1u);
    EXPECT_TRUE(svc::MailSpoolIfAny());
    EXPECT_TRUE(Exists(folder_ + "correo\\P0000003.HTM"));
  }
  svc::ResetPanelLink();
  {
    // The browser: the navigation page's full name.
    PanelProcess panel;
    X("DBGOTOP()");
    DialogAnswerer answer(Answer({.folder = folder_, .subfolder = "web", .name = "inicio", .browse = true}));
    ListingParams p = Params("Web");
    RunListing(p, {.destination = kHtml}, 1);
    vdr::test::PumpUntil([&] { return !panel.Lines(svc::panel::kWebAddress).empty(); }, 5000);
    const auto web = panel.Lines(svc::panel::kWebAddress);
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web[0].fields.at("address"), folder_ + "web\\inicio.htm");
    EXPECT_TRUE(Boxes(answer).empty()) << Said(answer);
  }
  svc::ResetPanelLink();
  {
    // No panel: said, and the pages stay where they were placed.
    ASSERT_EQ(PanelProcess::Window(), nullptr);
    X("DBGOTOP()");
    DialogAnswerer answer(Answer({.folder = folder_, .subfolder = "sinpanel", .browse = true}));
    ListingParams p = Params("Sin panel");
    RunListing(p, {.destination = kHtml}, 1);
    const std::vector<SeenDialog> boxes = Boxes(answer);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, " Atención");
    EXPECT_EQ(boxes[0].AllText(),
              "No se encuentra el Panel de Gestión. Las páginas se han guardado en " + folder_ + "sinpanel\\");
    EXPECT_TRUE(Exists(folder_ + "sinpanel\\P0000003.HTM"));
  }
}

TEST_F(HtmlExportTest, TheDestinationDialogOffersTheHtmlButtonsOfItsMask) {
  WriteRecords(2);
  {
    // 416: HTML by e-mail, which ticks the mail box of WEB_DESTINO; without a panel it says so.
    std::vector<std::pair<bool, bool>> enabled;
    bool mail_ticked = false;
    DialogAnswerer answer([&](const SeenDialog& d) -> int {
      if (d.title == "Destino del listado") {
        enabled.push_back({IsWindowEnabled(GetDlgItem(d.hwnd, 415)) != FALSE,
                           IsWindowEnabled(GetDlgItem(d.hwnd, 416)) != FALSE});
        return 416;
      }
      if (d.title == kWebDialog) {
        mail_ticked = IsDlgButtonChecked(d.hwnd, 301) == BST_CHECKED;
        SetDlgItemTextA(d.hwnd, 100, folder_.c_str());
        return 400;
      }
      if (Progress(d)) return 0;
      return d.buttons.empty() ? 0 : d.buttons.front().id;
    });
    ListingParams p = Params("Por correo");
    SelListar(p);
    ASSERT_EQ(enabled.size(), 1u);
    EXPECT_EQ(enabled[0], std::make_pair(true, true));
    EXPECT_TRUE(mail_ticked);
    std::vector<SeenDialog> boxes = Boxes(answer);
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(),
                               [](const SeenDialog& d) { return d.title == "Destino del listado"; }),
                boxes.end());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].AllText().rfind("No se encuentra el Panel de Gestión.", 0), 0u);
    EXPECT_TRUE(Exists(folder_ + "Por correo\\Por correo.htm"));
  }
  {
    // Without lHtml and lHtmlMail the buttons stay disabled.
    X("DBGOTOP()");
    std::vector<std::pair<bool, bool>> enabled;
    DialogAnswerer answer([&](const SeenDialog& d) -> int {
      if (d.title != "Destino del listado") return 0;
      enabled.push_back({IsWindowEnabled(GetDlgItem(d.hwnd, 415)) != FALSE,
                         IsWindowEnabled(GetDlgItem(d.hwnd, 416)) != FALSE});
      return 400;
    });
    ListingParams p = Params("Sin HTML");
    p.html = p.html_mail = false;
    SelListar(p);
    ASSERT_EQ(enabled.size(), 1u);
    EXPECT_EQ(enabled[0], std::make_pair(false, false));
  }
}

TEST_F(HtmlExportTest, AWorkFolderThatCannotBeMadeEndsTheListingWithItsMessage) {
  WriteRecords(2);
  // The program's folder is a file: its work folder cannot be made.
  std::ofstream(folder_ + "NOCARPETA") << "x";
  data::cPathExe(folder_ + "NOCARPETA\\");
  bool ended = false, listed = false;
  ListingParams p = Params("Sin carpeta");
  p.line = Value(xb::Block::Native([&](Args&) {
    listed = true;
    return Value();
  }));
  p.end = Value(xb::Block::Native([&](Args&) {
    ended = true;
    return Value();
  }));
  DialogAnswerer answer(Answer({}));
  RunListing(p, {.destination = kHtml}, 1);
  const std::vector<SeenDialog> boxes = Boxes(answer);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].AllText(), "No se pudo crear la carpeta de trabajo " + folder_ + "NOCARPETA\\~HTML01\\");
  EXPECT_TRUE(ended);
  EXPECT_FALSE(listed);
  EXPECT_FALSE(Impresora());
  EXPECT_EQ(nDestinoListado(), 0);
}

// ---- documents ------------------------------------------------------------------------------------

TEST_F(HtmlExportTest, DocumentModeSendsEachDocumentToItsRecipientsAndErasesItOnceDone) {
  PanelProcess panel("--mail 1 --delay 8000");
  xb::Ref<TQZWebPr> device = TQZWebPr::New("Facturas", true);
  ASSERT_TRUE(device->WebOk());
  TQZWeb& web = *device->oQZWeb;
  web.BeginDocument("Factura 1", {"uno@a.es", "dos@b.es"}, {"copia@c.es"}, {}, "Su factura", "Factura: Peña/1");
  device->StartPage();
  device->Say(100, 100, "Primera <factura>", nullptr, 0, std::nullopt, 1, Pad::kLeft);
  device->StartPage();
  device->Say(100, 100, "Segunda página", nullptr, 0, std::nullopt, 1, Pad::kLeft);
  web.BeginDocument("Factura 2", {"tres@d.es"}, {}, {"oculto@e.es"}, "Otra", "Factura 2");
  device->StartPage();
  device->Say(100, 100, "A&B", nullptr, 0, std::nullopt, 1, Pad::kLeft);
  ASSERT_EQ(web.aDocuments.size(), 2u);
  const std::string dir1 = web.cHTMLDir + web.aDocuments[0].cTempDir;
  const std::string dir2 = web.cHTMLDir + web.aDocuments[1].cTempDir;
  for (const auto& d : web.aDocuments) {
    EXPECT_EQ(d.cTempDir.size(), 9u);
    EXPECT_EQ(d.cTempDir[0], '~');
    EXPECT_EQ(d.cTempDir.find_first_not_of("0123456789", 1), 8u);
  }
  EXPECT_EQ(web.aDocuments[0].cDocName, "Factura_ Pe_a_1");
  EXPECT_EQ(web.CountPagesForDocument(1), 2);
  EXPECT_EQ(web.CountPagesForDocument(2), 1);
  EXPECT_EQ(web.CountPagesForDocument(3), 0);
  {
    DialogAnswerer answer(FirstButton());
    device->ShowPreview();
    EXPECT_TRUE(Boxes(answer).empty()) << Said(answer);
  }
  vdr::test::PumpUntil([&] { return panel.Lines(svc::panel::kMailMessage).size() >= 2; }, 5000);
  const auto mails = panel.Lines(svc::panel::kMailMessage);
  ASSERT_EQ(mails.size(), 2u);
  auto padded = [](const std::string& s) { return (s + std::string(255, ' ')).substr(0, 255); };
  EXPECT_EQ(mails[0].fields.at("to"), padded("uno@a.es;dos@b.es"));
  EXPECT_EQ(mails[0].fields.at("cc"), padded("copia@c.es"));
  EXPECT_EQ(mails[0].fields.at("subject"), "Factura 1");
  EXPECT_EQ(mails[0].fields.at("text"), "Su factura");
  EXPECT_EQ(mails[0].fields.at("files"), "<DIR " + dir1 + ">Factura_ Pe_a_1.htm;P0100001.HTM;P0100002.HTM</DIR>");
  EXPECT_EQ(mails[0].Number("dialog"), 0u);
  EXPECT_EQ(mails[1].fields.at("to"), padded("tres@d.es"));
  EXPECT_EQ(mails[1].fields.at("bcc"), padded("oculto@e.es"));
  EXPECT_EQ(mails[1].fields.at("files"), "<DIR " + dir2 + ">Factura 2.htm;P0200001.HTM</DIR>");
  // Before the panel reports them done, the documents' files stay (End included).
  EXPECT_TRUE(Exists(dir1 + "P0100002.HTM"));
  EXPECT_TRUE(Exists(dir2 + "Factura 2.htm"));
  EXPECT_NE(ReadFile(dir1 + "P0100001.HTM").find("Primera&nbsp;&lt;factura&gt;"), std::string::npos);
  // Done: erased, with the folders left empty.
  vdr::test::PumpUntil([&] { return !Exists(dir2); }, 15000);
  EXPECT_FALSE(Exists(dir1));
  EXPECT_FALSE(Exists(dir2));
  EXPECT_FALSE(Exists(WorkDir()));
}

// A document whose folder cannot be made fails at once with a message naming the work
// folder: when the work folder cannot be written, and when the builder has none (no folder is
// then made in the current folder either).
TEST_F(HtmlExportTest, ADocumentFolderThatCannotBeMadeFailsAtOnceNamingTheWorkFolder) {
  std::ofstream(folder_ + "FICHERO") << "x";
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof current, current);
  const std::string here = std::string(current) + "\\";
  auto tilde_folders = [&] {
    std::vector<std::string> found;
    for (const std::string& name : Names(here))
      if (name[0] == '~') found.push_back(name);
    return found;
  };
  const std::vector<std::string> before = tilde_folders();
  struct Case {
    const char* what;
    std::string program_folder;  // the program's folder for the builder
    std::string work_folder;     // put in its place once made ("": kept)
    std::string named;           // the folder the message names
  };
  const std::vector<Case> cases = {
      {"a work folder that cannot be written", folder_, folder_ + "FICHERO\\", folder_ + "FICHERO\\"},
      {"a builder without its work folder", folder_ + "FICHERO\\", "", folder_ + "FICHERO\\~HTML01\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    data::cPathExe(c.program_folder);
    DialogAnswerer answer(FirstButton());
    xb::Ref<TQZWebPr> device = TQZWebPr::New("Facturas", true);
    TQZWeb& web = *device->oQZWeb;
    const std::string made = web.cHTMLDir;
    if (!c.work_folder.empty()) web.cHTMLDir = c.work_folder;
    const std::size_t shown = answer.seen().size();
    EXPECT_FALSE(web.BeginDocument("Factura 1", {"uno@a.es"}, {}, {}, "Su factura", "Factura 1"));
    ASSERT_EQ(answer.seen().size(), shown + 1);
    EXPECT_EQ(answer.seen().back().AllText(), "No se pudo crear la carpeta de trabajo " + c.named);
    EXPECT_TRUE(web.aDocuments.empty());
    EXPECT_FALSE(web.lOk);
    EXPECT_EQ(tilde_folders(), before);
    web.cHTMLDir = made;
    device->End();
  }
}

// ---- the framework report ---------------------------------------------------------------------------

TEST_F(HtmlExportTest, AReportDrawnThroughTheWebDeviceBecomesItsPages) {
  WriteRecords(40);
  const std::string kept = Kept("informe");
  xb::Ref<TQZWebPr> device = TQZWebPr::New("Informe & <precios>");
  ASSERT_TRUE(device->WebOk());
  TReport::NewParams np;
  np.title = {Value(xb::Block::Native([](Args&) { return Value::String("INFORME <b>DE</b> PRECIOS & CIA"); }))};
  np.device = xb::ObjectRef(device);
  RptBegin(np);
  for (auto [title, field] : {std::pair{"Código", "CODIGO"}, std::pair{"Nombre", "NOMBRE"}}) {
    TRColumn::NewParams c;
    const std::string t = title, f = field;
    c.titles = {Value(xb::Block::Native([t](Args&) { return Value::String(t); }))};
    c.data = {Value(xb::Block::Native([f](Args&) { return X(f); }))};
    RptAddColumn(c);
  }
  xb::Ref<TReport> report = RptEnd();
  ASSERT_TRUE(report);
  {
    DialogAnswerer answer(Answer({.folder = kept, .subfolder = "informe", .name = "indice"}));
    report->Activate({});
    EXPECT_TRUE(Boxes(answer).empty()) << Said(answer);
  }
  const std::string dest = kept + "informe\\";
  ASSERT_TRUE(Exists(dest + "indice.htm"));
  ASSERT_TRUE(Exists(dest + "P0000001.HTM"));
  const std::string page1 = ReadFile(dest + "P0000001.HTM");
  EXPECT_NE(page1.find("INFORME&nbsp;&lt;b&gt;DE&lt;/b&gt;&nbsp;PRECIOS&nbsp;&amp;&nbsp;CIA"), std::string::npos);
  EXPECT_NE(page1.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(page1.find("<TITLE>Informe &amp; &lt;precios&gt;</TITLE>"), std::string::npos);
  EXPECT_NE(page1.find(".FNT_1"), std::string::npos);
  EXPECT_FALSE(Exists(WorkDir()));
}

// ---- two at once ----------------------------------------------------------------------------------

// A font chosen again for the same number frees the one it replaces; the end frees the rest.
TEST_F(HtmlExportTest, TheListingDeviceFreesTheFontsItChose) {
  auto device = xb::MakeRef<TQZWebLS>();
  device->New("Fuentes", false, 1, false);
  ASSERT_TRUE(device->WebOk());
  device->SelectFont("NOHAY", 3);
  const HFONT first = device->oQZWeb->GetFont(9).handle;
  ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  device->SelectFont("NOHAY", 3);
  const HFONT second = device->oQZWeb->GetFont(9).handle;
  ASSERT_NE(second, first);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(GetObjectType(first), 0u);
  device->SelectFont("NOHAY", 4);
  const HFONT other = device->oQZWeb->GetFont(10).handle;
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
  device->WebEnd();
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(GetObjectType(other), 0u);
}

TEST_F(HtmlExportTest, TwoExportsAtOnceDoNotCollideAndEndLeavesNothing) {
  xb::Ref<TQZWebPr> a = TQZWebPr::New("Uno");
  xb::Ref<TQZWebPr> b = TQZWebPr::New("Dos");
  ASSERT_TRUE(a->WebOk());
  ASSERT_TRUE(b->WebOk());
  EXPECT_NE(a->oQZWeb->cHTMLDir, b->oQZWeb->cHTMLDir);
  EXPECT_NE(a->oQZWeb->cHTMLDbf, b->oQZWeb->cHTMLDbf);
  EXPECT_EQ(a->oQZWeb->cHTMLDir.rfind(WorkDir(), 0), 0u);
  a->StartPage();
  a->Say(10, 10, "de uno", nullptr, 0, std::nullopt, 1, Pad::kLeft);
  b->StartPage();
  b->Say(10, 10, "de dos", nullptr, 0, std::nullopt, 1, Pad::kLeft);
  // A table left by a crashed export keeps its name taken.
  const std::string a_table = a->oQZWeb->cHTMLDbf;
  a->End();
  EXPECT_FALSE(Exists(a_table + ".dbf"));
  EXPECT_TRUE(Exists(b->oQZWeb->cHTMLDbf + ".dbf"));
  EXPECT_TRUE(Exists(WorkDir()));
  b->End();
  EXPECT_FALSE(Exists(WorkDir()));
  // The work area selected before stays selected.
  EXPECT_TRUE(X("ALIAS()").AsString().empty());
}

}  // namespace
}  // namespace output
