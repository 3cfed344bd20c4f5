// The preview's window, bar, menu and page controls, and its print dialog.
#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "output/preview.h"
#include "output/preview_library.h"
#include "output/set_get.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tget.h"
#include "ui/controls/tradmenu.h"
#include "ui/controls/tsay.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/menu_builder.h"
#include "ui/core/msg_box.h"
#include "ui/core/screen_waits.h"
#include "ui/core/tbar.h"
#include "ui/core/tcursor.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"
#include "ui/core/tmsgbar.h"
#include "ui/core/window_table.h"

namespace output {
namespace {

using namespace text;

using xb::Value;

constexpr COLORREF kPane = 12632256;
constexpr COLORREF kWhite = RGB(255, 255, 255);

std::unique_ptr<Preview>& Instance() {
  static std::unique_ptr<Preview> instance;
  return instance;
}

Value Action(std::function<void()> action) {
  return Value(xb::Block::Native([action = std::move(action)](xb::Args&) {
    action();
    return Value();
  }));
}

bool LargeFonts() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi == 120;
}

}  // namespace

// What Build makes, by the face's strings: the bar's buttons and the menu's items.
struct PreviewParts {
  static xb::ObjectRef Button(PreviewFace face, ui::TBar& bar, const char* picture, int prompt, int message,
                              std::function<void()> action, bool group = false) {
    ui::TBtnBmp::BarParams p;
    p.pictures.resource1 = picture;
    p.message = PreviewString(message, face);
    p.tooltip = PreviewTip(prompt, face);
    p.action = Action(std::move(action));
    p.group = group;
    return ui::TBtnBmp::NewBar(bar, p);
  }
  static xb::ObjectRef Item(PreviewFace face, int prompt, int message, std::function<void()> action,
                            bool active = true) {
    ui::TMenuItem::Spec s;
    s.prompt = PreviewString(prompt, face);
    s.message = PreviewString(message, face);
    s.action = Action(std::move(action));
    s.active = active;
    return ui::MenuAddItem(s);
  }
  static void Separator() { ui::MenuAddItem({}); }
};

void Preview::BuildMenu() {
  const PreviewFace f = face_;
  auto factor_menu = [this, f] {
    ui::MenuAddItem({.prompt = "&Factor", .message = f.own ? PreviewString(kFactorMsg, f) : std::string()});
    ui::MenuBegin(true);
    for (int i = 0; i < 9; ++i) {
      const std::string n = std::to_string(i + 1);
      factor_items_[i] = ui::MenuAddItem({.prompt = "&" + n, .message = "Factor " + n, .action = Action([this, i] {
                                            SetFactor(i + 1);  // the combo follows
                                          })});
    }
    ui::MenuEnd();
  };
  ui::MenuBegin();
  if (f.own) {
    ui::MenuAddItem({.prompt = PreviewString(kOwnFileMenu, f)});
    ui::MenuBegin(true);
    PreviewParts::Item(f, kPrintPrompt, kPrintMsg, [this] { Print(); });
    PreviewParts::Separator();
    PreviewParts::Item(f, kExitPrompt, kExitMsg, [this] { window_->End(); });
    ui::MenuEnd();
    ui::MenuAddItem({.prompt = PreviewString(kOwnPagesMenu, f)});
    ui::MenuBegin(true);
    PreviewParts::Item(f, kTopPrompt, kTopMsg, [this] { TopPage(); });
    PreviewParts::Item(f, kPrevPrompt, kPrevMsg, [this] { PrevPage(); });
    PreviewParts::Item(f, kNextPrompt, kNextMsg, [this] { NextPage(); });
    PreviewParts::Item(f, kBottomPrompt, kBottomMsg, [this] { BottomPage(); });
    PreviewParts::Separator();
    zoom_item_ = PreviewParts::Item(f, kZoomPrompt, kZoomMsg, [this] { Zoom(true); });
    unzoom_item_ = PreviewParts::Item(f, kUnzoomPrompt, kUnzoomMsg, [this] { Zoom(true); }, false);
    factor_menu();
    PreviewParts::Separator();
    two_item_ = PreviewParts::Item(f, kTwoPrompt, kTwoMsg, [this] { TwoPages(true); });
    one_item_ = PreviewParts::Item(f, kOnePrompt, kOneMsg, [this] { TwoPages(true); }, false);
    ui::MenuEnd();
    return;
  }
  ui::MenuAddItem({.prompt = PreviewString(kPagesMenu, f)});
  ui::MenuBegin(true);
  PreviewParts::Item(f, kTopPrompt, kTopMsg, [this] { TopPage(); });
  PreviewParts::Item(f, kPrevPrompt, kPrevMsg, [this] { PrevPage(); });
  PreviewParts::Item(f, kNextPrompt, kNextMsg, [this] { NextPage(); });
  PreviewParts::Item(f, kBottomPrompt, kBottomMsg, [this] { BottomPage(); });
  PreviewParts::Separator();
  PreviewParts::Item(f, kPrintPrompt, kPrintMsg, [this] { Print(); });
  PreviewParts::Separator();
  PreviewParts::Item(f, kExitPrompt, kExitMsg, [this] { window_->End(); });
  ui::MenuEnd();
  ui::MenuAddItem({.prompt = PreviewString(kViewMenu, f)});
  ui::MenuBegin(true);
  zoom_item_ = PreviewParts::Item(f, kZoomPrompt, kZoomMsg, [this] { Zoom(true); });
  unzoom_item_ = PreviewParts::Item(f, kUnzoomPrompt, kUnzoomMsg, [this] { Zoom(true); }, false);
  two_item_ = PreviewParts::Item(f, kTwoPrompt, kTwoMsg, [this] { TwoPages(true); });
  one_item_ = PreviewParts::Item(f, kOnePrompt, kOneMsg, [this] { TwoPages(true); }, false);
  PreviewParts::Separator();
  factor_menu();
  ui::MenuEnd();
}

void Preview::Build() {
  TPrinter& job = *printer_;
  // The menu first: the window is made with it.
  BuildMenu();
  xb::Ref<ui::TMenu> menu = ui::MenuEnd();

  auto window = xb::MakeRef<ui::TWindow>();
  ui::TWindow::NewParams wp;
  wp.caption = job.cDocument;
  wp.menu = menu;
  wp.vscroll = true;
  wp.hscroll = true;
  wp.clr_pane = kPane;
  wp.clr_text = 0;
  if (ui::WindowRef main = ui::OWndFromHwnd(ui::GetWndApp())) wp.icon = main->oIcon;
  window->New(wp);
  window_ = window;
  window_->Cargo = Value(printer_);
  auto font = ui::TFont::New({.face = ui::GetSysFont(), .height = -12});
  font_ = font;
  window_->SetFont(font);
  for (const xb::ObjectRef& object : {window_->oVScroll, window_->oHScroll}) {
    if (auto* bar = dynamic_cast<ui::TScrollBar*>(object.get())) bar->SetRange(0, 0);
  }

  hand_ = ui::TCursor::New("", "HAND");
  lupa_ = ui::TCursor::New("Lupa");
  const int height = face_.own ? 27 : (LargeFonts() ? 30 : 26);
  xb::Ref<ui::TBar> bar = ui::TBar::New(*window_, {.btn_width = 26, .btn_height = height, .cursor = hand_});
  PreviewParts::Button(face_, *bar, "Top", kTopPrompt, kTopMsg, [this] { TopPage(); });
  PreviewParts::Button(face_, *bar, "Previous", kPrevPrompt, kPrevMsg, [this] { PrevPage(); });
  PreviewParts::Button(face_, *bar, "Next", kNextPrompt, kNextMsg, [this] { NextPage(); });
  PreviewParts::Button(face_, *bar, "Bottom", kBottomPrompt, kBottomMsg, [this] { BottomPage(); });
  zoom_button_ = PreviewParts::Button(face_, *bar, "Zoom", kZoomPrompt, kZoomMsg, [this] { Zoom(false); }, true);
  two_button_ = PreviewParts::Button(face_, *bar, "Two_Pages", kTwoPrompt, kTwoMsg, [this] { TwoPages(false); });
  PreviewParts::Button(face_, *bar, "Printer", kPrintPrompt, kPrintMsg, [this] { Print(); }, true);
  PreviewParts::Button(face_, *bar, "Exit", kExitPrompt, kExitMsg, [this] { window_->End(); }, true);

  // After the buttons: the factor's label, and the page label.
  const int x = bar->GetBtnLeft(true) + 8;
  // The program's face places them at fixed columns: label 275, combo 315, page label 370.
  const int label_col = face_.own ? 275 : x, combo_col = face_.own ? 315 : x + 46, page_col = face_.own ? 370 : x + 100;
  auto factor_label = xb::MakeRef<ui::TSay>();
  factor_label->New({.row = face_.own ? 7 : 6, .col = label_col, .get = Value(xb::Block::Native([](xb::Args&) { return Value::String("Factor:"); })), .parent = ui::WindowRef(bar.get()),
                     .pixel = true, .clr_pane = bar->nClrPane, .width = face_.own ? 60 : 44});
  auto factor = std::make_shared<Value>(Value::Integer(factor_));
  xb::Array numbers = xb::Array::New();
  for (int i = 1; i <= 9; ++i) numbers.Append(Value::String(std::to_string(i)));
  auto combo = xb::MakeRef<ui::TComboBox>();
  combo->New({.row = face_.own ? 3 : 2,
              .col = combo_col,
              .set_get = SetGet(factor),
              .items = Value(numbers),
              .width = face_.own ? 35 : 40,
              .height = 200,
              .parent = ui::WindowRef(bar.get()),
              .change = Value(xb::Block::Native([this, factor](xb::Args&) {
                SetFactor(static_cast<int>(factor->AsInt()));
                return Value();
              })),
              .pixel = true});
  factor_combo_ = combo;
  auto label = xb::MakeRef<ui::TSay>();
  label->New({.row = face_.own ? 7 : 6, .col = page_col, .get = Value(xb::Block::Native([this](xb::Args&) { return Value::String(PageLabel()); })), .parent = ui::WindowRef(bar.get()),
              .pixel = true, .clr_pane = bar->nClrPane, .width = face_.own ? 180 : 160});
  label_ = label;

  ui::TMsgBar::New(*window_, {.text = PreviewString(kMsgBarText, face_), .clock = true, .date = true, .keys = true});

  for (int i = 0; i < 2; ++i) {
    xb::Ref<TMetaFile> page = TMetaFile::New({.top = 50,
                                               .left = 20,
                                               .width = 200,
                                               .height = 280,
                                               .file = i == 0 ? job.aMeta.front() : std::string(),
                                               .parent = window_,
                                               .clr_fore = 0,
                                               .clr_back = kWhite,
                                               .page_width = job.nHorzRes(),
                                               .page_height = job.nVertRes()});
    page->oCursor = lupa_;
    (i == 0 ? page1_ : page2_) = page;
  }
  page1_->bLDblClick = Value(xb::Block::Native([this](xb::Args& a) {
    SetOrg1(static_cast<int>(a.Int(2)), static_cast<int>(a.Int(1)));
    return Value();
  }));
  page2_->bLDblClick = Value(xb::Block::Native([this](xb::Args& a) {
    SetOrg2(static_cast<int>(a.Int(2)), static_cast<int>(a.Int(1)));
    return Value();
  }));
  page1_->bKeyDown = Value(xb::Block::Native([this](xb::Args& a) {
    CheckKey(static_cast<int>(a.Int(1)));
    return Value();
  }));
  page1_->nDlgCode = DLGC_WANTALLKEYS;
  page2_->Hide();
  window_->bResized = Action([this] { PaintMeta(); });
  SetFactor(std::nullopt);
}

void Preview::Print() {
  if (page_count() == 1) {
    PrintPrv(nullptr, 1, 1, 1);
    return;
  }
  PreviewLibrary library(face_);
  auto dialog = xb::MakeRef<ui::TDialog>();
  dialog->New({.resource = Value::String("PRINT"), .resources = library.module(), .parent = window_});
  auto choice = std::make_shared<Value>(Value::Integer(1));
  auto from = std::make_shared<Value>(Value::Integer(1));
  auto to = std::make_shared<Value>(Value::Integer(page_count()));
  ui::TWindow* dialog_window = dialog.get();
  auto print = xb::MakeRef<ui::TButton>();
  print->ReDefine({.id = 101, .action = Action([this, dialog_window, choice, from, to] {
                     PrintPrv(dialog_window, static_cast<int>(choice->AsInt()), static_cast<int>(from->AsInt()),
                              static_cast<int>(to->AsInt()));
                   }),
                   .parent = dialog});
  auto cancel = xb::MakeRef<ui::TButton>();
  cancel->ReDefine({.id = 102, .action = Action([dialog_window] { dialog_window->End(); }), .parent = dialog});
  auto range = xb::MakeRef<ui::TRadMenu>();
  range->ReDefine({.set_get = SetGet(choice), .parent = dialog, .ids = {103, 104, 105}});
  const Value when_range = Value(xb::Block::Native([choice](xb::Args&) { return Value::Logical(choice->AsInt() == 3); }));
  // A first page below 1 or past the last one, and a last page before the first or past the
  // job's end, are refused with a beep.
  const int pages = page_count();
  auto refuse_unless = [](std::function<bool()> fits) {
    return Value(xb::Block::Native([fits](xb::Args& a) {
      if (auto* get = dynamic_cast<ui::TGet*>(a.Obj(1).get())) get->Assign();
      if (fits()) return Value::Logical(true);
      ::MessageBeep(MB_OK);
      return Value::Logical(false);
    }));
  };
  const Value first_fits = refuse_unless([from, to] { return from->AsInt() >= 1 && from->AsInt() <= to->AsInt(); });
  const Value last_fits =
      refuse_unless([from, to, pages] { return to->AsInt() >= from->AsInt() && to->AsInt() <= pages; });
  for (auto [id, cell, valid] : {std::tuple{106, from, first_fits}, std::tuple{107, to, last_fits}}) {
    auto field = xb::MakeRef<ui::TGet>();
    field->ReDefine(id, {.set_get = SetGet(cell), .parent = dialog, .picture = "@K 99999", .valid = valid,
                         .when = when_range});
  }
  dialog->Activate({.centered = true});
}

void RPreview(xb::Ref<TPrinter> printer, PreviewFace face, xb::ObjectRef report) {
  if (!printer) return;
  // A job without pages has nothing to show: it ends as the preview's closing would end it.
  if (printer->aMeta.empty()) {
    printer->End();
    return;
  }
  {
    PreviewLibrary library(face);
    if (!library.loaded()) {
      ui::MsgAlert(Value::String(PreviewLibraryFile() + " not found, imposible to continue"), "Vexilo Printing Error");
      return;
    }
    if (Preview::Open() != nullptr) {
      if (face.own) ui::MsgStop(Value::String(PreviewString(kAlreadyOpen, face)));
      else ui::MsgAlert(Value::String(PreviewString(kAlreadyOpen)));
      return;
    }
  }
  Instance().reset(new Preview());
  Preview& preview = *Instance();
  preview.printer_ = printer;
  preview.face_ = face;
  preview.report_ = report;
  Preview::SetOpen(&preview);
  {
    PreviewLibrary library(face);
    preview.Build();
  }
  HWND main = ui::GetWndApp();
  if (printer->lPrvModal && main != nullptr && ::IsWindow(main) && main != preview.window_->hWnd) {
    preview.hidden_main_ = main;
    ::ShowWindow(main, SW_HIDE);
    ::EnableWindow(main, FALSE);
  }
  if (printer->lPrvModal) preview.ShowReportDialog(false);
  Preview* self = &preview;
  ui::TWindow::ActivateParams ap;
  ap.show = "MAXIMIZED";
  ap.valid = Value(xb::Block::Native([self](xb::Args&) {
    self->Close();
    return Value::Logical(true);
  }));
  ap.v_up = Action([self] { self->VScroll(0, false, dynamic_cast<ui::TScrollBar*>(self->v_bar().get())->GetPos()); });
  ap.v_down = ap.v_up;
  ap.v_page_up = Action([self] { self->VScroll(1, true, std::nullopt); });
  ap.v_page_down = Action([self] { self->VScroll(2, true, std::nullopt); });
  ap.h_up = Action([self] { self->HScroll(0, false, dynamic_cast<ui::TScrollBar*>(self->h_bar().get())->GetPos()); });
  ap.h_down = ap.h_up;
  ap.h_page_up = Action([self] { self->HScroll(1, true, std::nullopt); });
  ap.h_page_down = Action([self] { self->HScroll(2, true, std::nullopt); });
  for (const auto& [object, vertical] : {std::pair{preview.v_bar(), true}, std::pair{preview.h_bar(), false}}) {
    if (auto* bar = dynamic_cast<ui::TScrollBar*>(object.get())) {
      bar->bPos = Value(xb::Block::Native([self, vertical](xb::Args& a) {
        const int position = static_cast<int>(a.Int(1));
        if (vertical) self->VScroll(0, false, position);
        else self->HScroll(0, false, position);
        return Value();
      }));
    }
  }
  ui::WindowRef window = preview.window_;
  window->Activate(ap);
  if (printer->lPrvModal) {
    ui::StopUntil(Value(xb::Block::Native([self](xb::Args&) { return Value::Logical(self->closed_); })));
  }
}

void RegisterPreviewFunctions() {
  RegisterMetaFileClass();
  xb::RegisterFunction("RPREVIEW", [](xb::Args& a) {
    if (auto* printer = dynamic_cast<TPrinter*>(a.Obj(1).get())) RPreview(xb::Ref<TPrinter>(printer));
    return Value();
  });
}

}  // namespace output
