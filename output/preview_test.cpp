// The preview window over a job's metafile pages: navigation, the two-page view, zoom with
// its factor, scrolling and the keys of a zoomed page, double clicks, printing all, the
// current page or a range, and closing; with screenshots of what the user sees.
#include "output/preview.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "output/output.h"
#include "output/output_test_support.h"
#include "output/preview_library.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/core_test_support.h"

namespace output {
namespace {

// The message boxes' own buttons: their first.
vdr::test::DialogAnswerer::Chooser FirstButton() {
  return [](const vdr::test::SeenDialog& d) { return d.buttons.empty() ? 0 : d.buttons.front().id; };
}

using vdr::test::DialogAnswerer;
using vdr::test::PrinterOutput;

bool Exists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

using test::WhilePreviewOpen;

void Screenshot(const Preview& preview, const std::string& name) {
  HWND hwnd = preview.window()->hWnd;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  vdr::test::PumpPending();
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
}

int Pos(const xb::ObjectRef& bar) { return dynamic_cast<ui::TScrollBar&>(*bar).GetPos(); }
int Max(const xb::ObjectRef& bar) { return dynamic_cast<ui::TScrollBar&>(*bar).GetRange().second; }

class PreviewTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ui::InitControls();
    InitOutput();
    ui::PrinterInit();
  }
  void TearDown() override {
    ui::PrinterInit();
    FrameworkTest::TearDown();
  }
  // A preview job of `pages` pages, each with its number in large letters.
  static xb::Ref<TPrinter> Job(int pages, const std::string& name = "Vista de prueba") {
    xb::Ref<TPrinter> p = TPrinter::New({.document = name, .preview = true});
    auto font = ui::TFont::New({.face = "Arial", .height = -40, .device = p->hDC});
    for (int i = 1; i <= pages; ++i) {
      p->StartPage();
      p->Say(200, 200, "Página " + std::to_string(i), font.get(), 0, std::nullopt, kTransparent, Pad::kLeft);
      p->Box(100, 100, p->nVertRes() - 100, p->nHorzRes() - 100, nullptr);
      for (int line = 0; line < 30; ++line) {
        p->Say(600 + line * 90, 200, "Línea " + std::to_string(line + 1) + " de la página " + std::to_string(i),
               nullptr, 0, std::nullopt, kTransparent, Pad::kLeft);
      }
      p->EndPage();
    }
    return p;
  }
};

TEST_F(PreviewTest, MovesThroughThePagesOneOrTwoAtATime) {
  xb::Ref<TPrinter> job = Job(3);
  const std::vector<std::string> pages = job->aMeta;
  WhilePreviewOpen steps({
      [&](Preview& p) {
        EXPECT_EQ(p.current_page(), 1);
        EXPECT_EQ(p.page1().cCaption, pages[0]);
        EXPECT_EQ(p.PageLabel(), "Página 1 / 3");
        EXPECT_TRUE(IsZoomed(p.window()->hWnd));
        EXPECT_TRUE(IsWindowVisible(p.page1().hWnd));
        EXPECT_FALSE(IsWindowVisible(p.page2().hWnd));
        Screenshot(p, "preview_one_page");
      },
      [&](Preview& p) {
        p.NextPage();
        EXPECT_EQ(p.current_page(), 2);
        EXPECT_EQ(p.page1().cCaption, pages[1]);
        p.PrevPage();
        p.PrevPage();  // before the first: nothing
        EXPECT_EQ(p.current_page(), 1);
        p.BottomPage();
        p.NextPage();  // past the last: nothing
        EXPECT_EQ(p.current_page(), 3);
        EXPECT_EQ(p.page1().cCaption, pages[2]);
        p.CheckKey(VK_HOME);
        EXPECT_EQ(p.current_page(), 1);
        p.CheckKey(VK_NEXT);
        EXPECT_EQ(p.current_page(), 2);
        p.CheckKey(VK_END);
        EXPECT_EQ(p.current_page(), 3);
        p.CheckKey(VK_PRIOR);
        EXPECT_EQ(p.current_page(), 2);
      },
      [&](Preview& p) {
        p.TwoPages(true);
        EXPECT_TRUE(p.two_pages());
        EXPECT_TRUE(IsWindowVisible(p.page2().hWnd));
        EXPECT_EQ(p.page2().cCaption, pages[2]);
        p.BottomPage();
        EXPECT_EQ(p.page2().cCaption, "");  // nothing after the last page
        p.SetOrg2(10, 10);                  // and a double click on it does nothing
        EXPECT_FALSE(p.zoomed());
        EXPECT_EQ(p.current_page(), 3);
        p.TopPage();
        EXPECT_EQ(p.page2().cCaption, pages[1]);
        EXPECT_TRUE(IsWindowVisible(p.page1().hWnd));
        EXPECT_TRUE(IsWindowVisible(p.page2().hWnd));
        Screenshot(p, "preview_two_pages");
      },
      [&](Preview& p) {
        // A double click on the right page zooms into it.
        p.SetOrg2(5, 5);
        EXPECT_EQ(p.current_page(), 2);
        EXPECT_EQ(p.page1().cCaption, pages[1]);
        EXPECT_TRUE(p.zoomed());
        EXPECT_FALSE(p.two_pages());
        EXPECT_EQ(p.PageLabel(), "Página 2 / 3");
        p.Zoom(true);
      },
  });
  RPreview(job);
  EXPECT_TRUE(steps.done());
  EXPECT_EQ(Preview::Open(), nullptr);
  for (const std::string& f : pages) EXPECT_FALSE(Exists(f)) << f;  // closing ended the job
}

TEST_F(PreviewTest, ZoomsByTheFactorAndScrollsAZoomedPage) {
  xb::Ref<TPrinter> job = Job(2);
  const int hres = job->nHorzRes(), vres = job->nVertRes();
  WhilePreviewOpen steps({
      [&](Preview& p) {
        EXPECT_EQ(Max(p.v_bar()), 0);
        p.VScroll(2, false, std::nullopt);  // nothing to scroll while not zoomed
        EXPECT_EQ(p.page1().nYorig, 0);
        p.Zoom(true);
        EXPECT_TRUE(p.zoomed());
        EXPECT_EQ(Max(p.v_bar()), 20);
        EXPECT_EQ(Max(p.h_bar()), 20);
        EXPECT_EQ(p.page1().nWidth, hres / 1);
        EXPECT_EQ(p.page1().nHeight, vres / 2);
        p.CheckKey(VK_DOWN);
        EXPECT_EQ(Pos(p.v_bar()), 2);
        EXPECT_EQ(p.page1().nYorig, vres / 20);
        p.CheckKey(VK_RIGHT);
        EXPECT_EQ(p.page1().nXorig, hres / 20);
        Screenshot(p, "preview_zoomed");
      },
      [&](Preview& p) {
        p.CheckKey(VK_END);  // the page's last fifth across and down
        EXPECT_EQ(p.page1().nXorig, static_cast<int>(0.8 * hres));
        EXPECT_EQ(p.page1().nYorig, static_cast<int>(0.8 * vres));
        EXPECT_EQ(Pos(p.v_bar()), 20);
        p.CheckKey(VK_HOME);
        EXPECT_EQ(p.page1().nXorig, 0);
        EXPECT_EQ(p.page1().nYorig, 0);
        EXPECT_EQ(Pos(p.h_bar()), 1);
        // A factor changed while zoomed rescales the view and the ranges.
        p.SetFactor(3);
        EXPECT_TRUE(p.zoomed());
        EXPECT_EQ(Max(p.v_bar()), 60);
        EXPECT_EQ(p.page1().nWidth, hres / 3);
        EXPECT_EQ(p.page1().nHeight, vres / 6);
        p.VScroll(0, false, 31);  // the thumb let go half-way
        EXPECT_EQ(p.page1().nYorig, (vres / 60) * 30);
        Screenshot(p, "preview_factor3");
      },
      [&](Preview& p) {
        p.Zoom(true);
        EXPECT_FALSE(p.zoomed());
        EXPECT_EQ(p.page1().nWidth, hres);
        EXPECT_EQ(p.page1().nXorig, 0);
        EXPECT_EQ(Max(p.v_bar()), 0);
        // A factor chosen while not zoomed zooms.
        p.SetFactor(2);
        EXPECT_TRUE(p.zoomed());
        EXPECT_EQ(Max(p.h_bar()), 40);
        p.Zoom(true);
        // A double click near the page's corner zooms at the corner.
        p.SetOrg1(2, 3);
        EXPECT_TRUE(p.zoomed());
        EXPECT_EQ(p.page1().nXorig, 0);
        EXPECT_EQ(p.page1().nYorig, 0);
        // Two pages turn the zoom off.
        p.TwoPages(true);
        EXPECT_FALSE(p.zoomed());
        EXPECT_TRUE(p.two_pages());
        p.Zoom(true);  // and the zoom the two pages
        EXPECT_FALSE(p.two_pages());
      },
      [&](Preview& p) {
        // The bar's combo shows the factor and chooses it as the user does.
        auto& combo = dynamic_cast<ui::TComboBox&>(*p.factor_combo());
        EXPECT_EQ(combo.nAt, 2);
        EXPECT_EQ(combo.Count(), 9);
        SendMessageA(combo.hWnd, CB_SETCURSEL, 3, 0);
        SendMessageA(GetParent(combo.hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo.hWnd), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo.hWnd));
        EXPECT_EQ(p.factor(), 4);
        EXPECT_EQ(p.page1().nWidth, hres / 4);
        Screenshot(p, "preview_factor_combo");
      },
  });
  RPreview(job);
  EXPECT_TRUE(steps.done());
}

TEST_F(PreviewTest, PrintsAllTheCurrentPageOrARange) {
  xb::Ref<TPrinter> job = Job(4, "Cuatro hojas");
  struct Printed {
    int pages = 0;
    std::string text;
  };
  std::vector<Printed> printed;
  auto print = [&](Preview& p, const std::string& name, std::function<void()> how) {
    PrinterOutput out(name);
    how();
    printed.push_back({out.Pages(), out.Text()});
  };
  WhilePreviewOpen steps({
      [&](Preview& p) { print(p, "prv_all", [&] { p.PrintPrv(nullptr, 1, 0, 0); }); },
      [&](Preview& p) {
        p.NextPage();
        p.NextPage();
        print(p, "prv_current", [&] { p.PrintPrv(nullptr, 2, 0, 0); });
      },
      [&](Preview& p) { print(p, "prv_range", [&] { p.PrintPrv(nullptr, 3, 2, 3); }); },
      [&](Preview& p) {
        // Through the print dialog: its first choice prints every page.
        DialogAnswerer answer([](const vdr::test::SeenDialog& d) { return d.ButtonId("Imprimir"); });
        print(p, "prv_dialog", [&] { p.Print(); });
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].title, "Imprimir");
        Screenshot(p, "preview_after_print");
      },
  });
  RPreview(job);
  ASSERT_TRUE(steps.done());
  ASSERT_EQ(printed.size(), 4u);
  EXPECT_EQ(printed[0].pages, 4);
  EXPECT_NE(printed[0].text.find("Página 4"), std::string::npos);
  EXPECT_EQ(printed[1].pages, 1);
  EXPECT_NE(printed[1].text.find("Página 3"), std::string::npos);
  EXPECT_EQ(printed[1].text.find("Página 1"), std::string::npos);
  EXPECT_EQ(printed[2].pages, 2);
  EXPECT_NE(printed[2].text.find("Página 2"), std::string::npos);
  EXPECT_EQ(printed[2].text.find("Página 4"), std::string::npos);
  EXPECT_EQ(printed[3].pages, 4);
}

TEST_F(PreviewTest, AOnePageJobPrintsAtOnceAndRefusesTwoPages) {
  xb::Ref<TPrinter> job = Job(1);
  int pages = 0;
  WhilePreviewOpen steps({
      [&](Preview& p) {
        p.TwoPages(true);
        EXPECT_FALSE(p.two_pages());
        PrinterOutput out("prv_one");
        DialogAnswerer none(DialogAnswerer::PressId(IDCANCEL));
        p.Print();
        EXPECT_TRUE(none.seen().empty());
        pages = out.Pages();
      },
  });
  RPreview(job);
  EXPECT_EQ(pages, 1);
}

TEST_F(PreviewTest, APageBecomesAnEnhancedMetafileAndAMissingOneAlertsAtEachPaint) {
  xb::Ref<TPrinter> job = Job(1);
  const std::string page = job->aMeta.front();
  xb::SetMemvar(xb::Intern("cPage"), xb::Value::String(page));
  const std::int64_t emf = xb::EvalMacro("WMF2EMF(cPage)").AsInt();
  ASSERT_NE(emf, 0);
  xb::SetMemvar(xb::Intern("hEmf"), xb::Value::Integer(emf));
  EXPECT_EQ(xb::EvalMacro("GETEMFHEADER(hEmf, 0, 0)").AsInt(), static_cast<std::int64_t>(sizeof(ENHMETAHEADER)));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  RECT area{0, 0, 200, 280};
  xb::SetMemvar(xb::Intern("hDC"), xb::Value::Integer(reinterpret_cast<std::intptr_t>(memory)));
  xb::SetMemvar(xb::Intern("pRect"), xb::Value::Integer(reinterpret_cast<std::intptr_t>(&area)));
  EXPECT_TRUE(xb::EvalMacro("PLAYEMF(hDC, hEmf, pRect)").AsLogical());
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(xb::EvalMacro("DELETEEMF(hEmf)").AsLogical());
  EXPECT_EQ(xb::EvalMacro("WMF2EMF('no_existe.wmf')").AsInt(), 0);

  // The page control over a file that goes away: one alert a paint, and nothing drawn.
  auto window = Make();
  ShowWindow(window->hWnd, SW_SHOW);
  xb::Ref<TMetaFile> control = TMetaFile::New(
      {.top = 10, .left = 10, .width = 100, .height = 140, .file = page, .parent = window,
       .page_width = job->nHorzRes(), .page_height = job->nVertRes()});
  ASSERT_NE(control->hWnd, nullptr);
  control->Display();
  EXPECT_NE(control->hMeta, nullptr);
  control->SetFile(page);  // the loaded page goes: the next paint loads it again
  EXPECT_EQ(control->hMeta, nullptr);
  control->cCaption = page;
  job->End();  // erases the page file
  const int before = TMetaFile::MissingFileAlerts();
  {
    DialogAnswerer answer(FirstButton());
    control->Display();
    control->Display();
    ASSERT_EQ(answer.seen().size(), 2u);
    EXPECT_NE(answer.seen()[0].AllText().find("Could not find the Metafile"), std::string::npos);
  }
  EXPECT_EQ(TMetaFile::MissingFileAlerts(), before + 2);
  EXPECT_EQ(control->hMeta, nullptr);
  control->End();
}

// A job without pages shows nothing, not even a box, and ends: a modal one does not wait and
// leaves the main window as it was.
TEST_F(PreviewTest, AJobWithoutPagesShowsNothingAndEnds) {
  auto main = Make(10, 10, 200, 100);
  ShowWindow(main->hWnd, SW_SHOW);
  ui::SetWndApp(main->hWnd);
  for (const char* preview : {"RPREVIEW", "QZ_RPREVIEW"}) {
    for (bool modal : {false, true}) {
      SCOPED_TRACE(std::string(preview) + (modal ? " modal" : ""));
      xb::Ref<TPrinter> job = TPrinter::New({.document = "Vacío", .preview = true});
      ASSERT_TRUE(job->aMeta.empty());
      ASSERT_NE(job->hDC, nullptr);
      job->lPrvModal = modal;
      DialogAnswerer answer(FirstButton());
      xb::CallFunction(preview, {xb::Value(job)});
      EXPECT_TRUE(answer.seen().empty());
      EXPECT_EQ(Preview::Open(), nullptr);
      EXPECT_EQ(job->hDC, nullptr);
      EXPECT_TRUE(IsWindowVisible(main->hWnd));
      EXPECT_TRUE(IsWindowEnabled(main->hWnd));
    }
  }
}

TEST_F(PreviewTest, OnePreviewAtATimeAndTheLibraryIsNeeded) {
  xb::Ref<TPrinter> job = Job(2);
  xb::Ref<TPrinter> other = Job(1, "Otra");
  const HMODULE before = ui::CurrentResources();
  WhilePreviewOpen steps({
      [&](Preview&) {
        DialogAnswerer answer(FirstButton());
        RPreview(other);
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].AllText(), PreviewString(20));
      },
  });
  RPreview(job);
  EXPECT_EQ(ui::CurrentResources(), before);

  SetPreviewLibraryFile("NoEsta.dll");
  DialogAnswerer answer(FirstButton());
  RPreview(other);
  SetPreviewLibraryFile(kPreviewLibrary);
  ASSERT_EQ(answer.seen().size(), 1u);
  EXPECT_EQ(answer.seen()[0].title, "Vexilo Printing Error");
  EXPECT_NE(answer.seen()[0].AllText().find("NoEsta.dll not found, imposible to continue"), std::string::npos);
  EXPECT_EQ(ui::CurrentResources(), before);
  EXPECT_EQ(Preview::Open(), nullptr);
  other->End();
}

}  // namespace
}  // namespace output
