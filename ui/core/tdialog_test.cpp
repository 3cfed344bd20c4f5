// TDialog and TControl: modal and modeless dialogs from resources and from memory, their
// place in the object table, ending and validation, controls bound by identifier, focus.
#include "ui/core/tdialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/test_env.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/bridge/dialog_boxes.h"
#include "ui/bridge/dialog_templates.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/slot_procs.h"
#include "ui/core/core_test_support.h"
#include "ui/core/plain_control.h"
#include "ui/core/tcontrol.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;
using xb::testing::RecordingErrorBlock;

class TDialogTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  }
  void TearDown() override {
    FreeResources();
    FrameworkTest::TearDown();
  }
  static DialogRef Dialog(Value resource) {
    auto d = xb::MakeRef<TDialog>();
    TDialog::NewParams p;
    p.resource = std::move(resource);
    d->New(p);
    return d;
  }
  static DialogRef Dialog(const char* resource) { return Dialog(Value::String(resource)); }
  // A control of the program over the dialog item `id`.
  static xb::Ref<PlainControl> Bind(const DialogRef& dialog, int id) {
    auto c = xb::MakeRef<PlainControl>();
    c->Redefine(id, dialog);
    return c;
  }
  static void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
};

TEST_F(TDialogTest, ModalDialogIsLinkedWithoutSubclassingAndLeavesTheTable) {
  auto d = Dialog("FININ2");
  HWND seen = nullptr;
  int slot = 0;
  bool found = false, running = false;
  WNDPROC proc = nullptr;
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    seen = d->hWnd;
    slot = d->Slot();
    found = OWndFromHwnd(seen).get() == d.get();
    running = LWRunning();
    proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(seen, GWLP_WNDPROC));
    PostMessageA(seen, WM_COMMAND, IDCANCEL, 0);  // Escape
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(d->nResult.AsInt(), 2);
  EXPECT_GT(slot, 0);
  EXPECT_TRUE(found);
  EXPECT_TRUE(running);
  EXPECT_EQ(SlotOfProcedure(proc), -1);  // the dialog manager's own procedure
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_EQ(d->Slot(), 0);
  EXPECT_EQ(OWndFromHwnd(seen), nullptr);
  EXPECT_EQ(ModalDialogDepth(), 0);
  EXPECT_FALSE(d->lVisible);
}

TEST_F(TDialogTest, ButtonOneThatIsNoControlEndsWithOne) {
  auto d = Dialog("VALIDA");
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    Press(d->hWnd, IDOK);
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(d->nResult.AsInt(), 1);
}

TEST_F(TDialogTest, WhenBlockRefusingNeverCreatesTheDialog) {
  auto d = Dialog("FININ2");
  bool initiated = false;
  TDialog::ActivateParams p;
  p.when = Blk([](Args&) { return Value::Logical(false); });
  p.init = Blk([&](Args&) {
    initiated = true;
    return Value();
  });
  d->Activate(p);
  EXPECT_FALSE(initiated);
  EXPECT_EQ(d->nResult.AsInt(), 2);
  EXPECT_FALSE(d->lVisible);
  EXPECT_EQ(TDialog::ActivationCount(), 0);
}

TEST_F(TDialogTest, ValidBlockDecidesWhetherEndCloses) {
  auto d = Dialog("VALIDA");
  auto cancel = Bind(d, 551);
  std::vector<bool> ends;
  int valid_calls = 0;
  cancel->on_click = [&] { ends.push_back(d->End(7)); };
  TDialog::ActivateParams p;
  p.valid = Blk([&](Args&) { return Value::Logical(++valid_calls > 1); });
  p.init = Blk([&](Args&) {
    Press(d->hWnd, 551);
    Press(d->hWnd, 551);
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(ends, (std::vector<bool>{false, true}));
  EXPECT_EQ(valid_calls, 2);
  EXPECT_EQ(d->nResult.AsInt(), 7);
}

TEST_F(TDialogTest, ControlsAttachByIdentifierAndMissingOnesRaiseError1) {
  RecordingErrorBlock errors;
  auto d = Dialog("VALIDA");
  auto code = Bind(d, 201);
  auto missing = Bind(d, 999);
  EXPECT_EQ(d->nLastID, 999);
  HWND code_window = nullptr;
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    code_window = code->hWnd;
    EXPECT_EQ(OWndFromHwnd(code->hWnd).get(), code.get());
    EXPECT_EQ(SlotOfProcedure(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(code->hWnd, GWLP_WNDPROC))),
              code->Slot());  // subclassed
    EXPECT_EQ(code->oFont.get(), d->oFont.get());  // the dialog's font
    Press(d->hWnd, IDCANCEL);
    return Value();
  });
  d->Activate(p);
  EXPECT_NE(code_window, nullptr);
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->subsystem, "Vexilo");
  EXPECT_EQ(errors.error()->subCode, 1);
  EXPECT_EQ(errors.error()->description, "Non defined Id");
  EXPECT_EQ(errors.error()->operation, "No:    999");
  EXPECT_EQ(missing->hWnd, nullptr);
}

TEST_F(TDialogTest, DuplicateIdentifierRaisesError2) {
  RecordingErrorBlock errors;
  auto d = Dialog("VALIDA");
  Bind(d, 201);
  Bind(d, 201);
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->subCode, 2);
  EXPECT_EQ(errors.error()->description, "Duplicated Id");
  EXPECT_EQ(errors.error()->operation, "No:    201");
  EXPECT_EQ(d->aControls.size(), 1u);
}

TEST_F(TDialogTest, ControlIdentifiersCountFrom101ForEveryClass) {
  const int kept = TControl::nInitID();
  TControl::nInitID() = 100;
  auto d = xb::MakeRef<TDialog>();
  d->New();
  auto a = PlainControl::Place({.windows_class = "STATIC", .caption = "", .parent = d});
  auto b = xb::MakeRef<PlainControl>();
  d->DefControl(b);
  EXPECT_EQ(a->nId, 101);
  EXPECT_EQ(b->nId, 102);
  EXPECT_EQ(TControl::GetNewId(), 103);
  TControl::nInitID() = std::max(kept, 103);
}

TEST_F(TDialogTest, ModelessDialogEndsThroughCloseAndLeavesBothTables) {
  auto d = Dialog("VALIDA");
  Bind(d, 201);
  int valid_calls = 0, paints = 0, inits = 0;
  bool allow = false;
  TDialog::ActivateParams p;
  p.modal = false;
  p.valid = Blk([&](Args&) {
    ++valid_calls;
    return Value::Logical(allow);
  });
  p.painted = Blk([&](Args&) {
    ++paints;
    return Value();
  });
  p.init = Blk([&](Args&) {
    ++inits;
    return Value();
  });
  d->Activate(p);
  HWND hwnd = d->hWnd;
  ASSERT_TRUE(IsWindow(hwnd));
  made_.push_back(hwnd);
  EXPECT_EQ(inits, 1);
  EXPECT_GT(d->Slot(), 0);
  EXPECT_EQ(SlotOfProcedure(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC))), d->Slot());
  EXPECT_GE(ModelessHighestIndex(), 0);
  vdr::test::PumpPending();
  // Each paint reaches the object once, not also through the dialog procedure.
  paints = 0;
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  EXPECT_EQ(paints, 1);

  EXPECT_FALSE(d->End(5));  // refused: the dialog stays
  EXPECT_EQ(valid_calls, 1);
  vdr::test::PumpPending();
  EXPECT_EQ(valid_calls, 1);
  EXPECT_TRUE(IsWindow(hwnd));
  // The close box asks the valid block itself.
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  vdr::test::PumpPending();
  EXPECT_EQ(valid_calls, 2);
  EXPECT_TRUE(IsWindow(hwnd));

  allow = true;
  EXPECT_TRUE(d->End(5));
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(hwnd); }, 2000));
  EXPECT_EQ(valid_calls, 3);  // asked once, by End
  EXPECT_EQ(d->nResult.AsInt(), 5);
  EXPECT_EQ(d->Slot(), 0);
  EXPECT_EQ(OWndFromHwnd(hwnd), nullptr);
  EXPECT_EQ(ModelessHighestIndex(), -1);
  EXPECT_FALSE(DeregDialog(hwnd));
}

// The VBX support library is absent: a dialog that asks for it is told so when it is made
// and again when it starts its controls, and works on without them.
TEST_F(TDialogTest, AVbxDialogSaysItsSupportIsMissingAndWorksOn) {
  std::vector<std::string> told;
  SetUnattended([&](std::string_view title, std::string_view text) {
    told.push_back(std::string(title) + "|" + std::string(text));
  });
  const Value made = xb::EvalMacro("TDialog():New( , , , , 'Con VBX', 'VALIDA', , .T. )");
  auto* d = dynamic_cast<TDialog*>(made.AsObject().get());
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->lVbx);
  ASSERT_EQ(told.size(), 2u);
  auto loading = [](const std::string& line) {
    return line.rfind("Información|Error code: ", 0) == 0 &&
           line.size() > 25 && line.substr(line.size() - 20) == " loading BIVBX30.DLL";
  };
  EXPECT_TRUE(loading(told[0])) << told[0];
  EXPECT_EQ(told[1], "Información|VBX support not available");
  told.clear();
  auto ending = [](TDialog* dialog) {
    TDialog::ActivateParams p;
    p.init = Blk([dialog](Args&) {
      dialog->End(IDOK);
      return Value();
    });
    return p;
  };
  d->Activate(ending(d));
  EXPECT_EQ(d->nResult.AsInt(), IDOK);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_TRUE(loading(told[0])) << told[0];
  EXPECT_EQ(told[1], "Información|Error on VBX's initialization");
  // Without the flag nothing is loaded nor told.
  told.clear();
  auto plain = Dialog("VALIDA");
  plain->Activate(ending(plain.get()));
  EXPECT_TRUE(told.empty());
  SetUnattended({});
}

TEST_F(TDialogTest, TheMiddleButtonInspectsTheDialog) {
  auto d = Dialog("VALIDA");
  vdr::test::DialogAnswerer answerer([](const vdr::test::SeenDialog& seen) {
    return seen.title == "TDIALOG" ? seen.ButtonId("Aceptar") : 0;
  });
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    SendMessageA(d->hWnd, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 5));  // no Ctrl
    d->End(IDOK);
    return Value();
  });
  d->Activate(p);
  const auto inspectors = std::count_if(answerer.seen().begin(), answerer.seen().end(),
                                        [](const vdr::test::SeenDialog& seen) { return seen.title == "TDIALOG"; });
  EXPECT_EQ(inspectors, 1);
}

TEST_F(TDialogTest, DialogBuiltInMemoryIsWidenedWithItsControls) {
  auto d = xb::MakeRef<TDialog>();
  TDialog::NewParams np;
  np.pixel = true;
  np.top = 30;
  np.left = 40;
  np.bottom = 130;
  np.right = 240;
  np.caption = "En memoria";
  d->New(np);
  auto label = PlainControl::Place({.top = 10, .left = 10, .width = 40, .height = 8, .windows_class = "STATIC",
                                    .caption = "Texto", .parent = d});
  RECT child = {};
  std::string title;
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    GetWindowRect(label->hWnd, &child);
    MapWindowPoints(nullptr, d->hWnd, reinterpret_cast<POINT*>(&child), 2);
    title = vdr::test::WindowText(d->hWnd);
    Press(d->hWnd, IDCANCEL);
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(title, "En memoria");
  // Controls' template units are twice the dialog's: 10 -> about 20 pixels, widened.
  EXPECT_NEAR(child.left, 20 * 1.164609, 3);
  EXPECT_NEAR(child.right - child.left, 80 * 1.164609, 4);
  EXPECT_NEAR(child.bottom - child.top, 16, 2);
  EXPECT_EQ(d->nResult.AsInt(), 2);
}

TEST_F(TDialogTest, ProductDialogNamesBecomeTheirNumbersOnlyWhenWhole) {
  // The progress dialog holds meters; their class is the controls' layer's.
  WNDCLASSA meter = {};
  meter.lpfnWndProc = DefWindowProcA;
  meter.hInstance = GetModuleHandleA(nullptr);
  meter.lpszClassName = "TMeter";
  meter.style = CS_GLOBALCLASS;
  RegisterClassA(&meter);
  static std::string product;
  xb::RegisterFunction("__PRODUCT", [](Args&) { return Value::String(product); });
  xb::RegisterFunction("GETDLGNAMES", [](Args&) {
    return Value(xb::Array::Of({Value(xb::Array::Of({Value::String("INDEXBAR"), Value::Integer(10222)}))}));
  });
  product = "VENDARO";
  auto d = Dialog("IndexBar");
  std::string title;
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    title = vdr::test::WindowText(d->hWnd);
    Press(d->hWnd, IDCANCEL);
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(title, "Organización de ficheros");
  EXPECT_EQ(d->cResName.AsInt(), 10222);
  EXPECT_EQ(d->cOResName.AsString(), "IndexBar");

  RecordingErrorBlock errors;
  auto prefix = Dialog("INDEXBA");
  prefix->Activate();
  EXPECT_EQ(prefix->nResult.AsInt(), 65535);
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->subCode, 3);
  EXPECT_EQ(errors.error()->description, "Cannot create Dialog Box");
  EXPECT_EQ(errors.error()->operation, "\r\nResource: INDEXBA");
  product.clear();
}

// A resource template edited before the dialog is made: the controls are the edited ones,
// placed as the resource places them (not widened as a template built in memory is), modal
// or modeless; an empty edit leaves the resource as it is.
TEST_F(TDialogTest, AnEditedResourceTemplateMakesTheDialog) {
  struct Case {
    bool modal;
    bool drop;
    bool edit_found;
  };
  for (const Case c : {Case{true, true, false}, Case{false, true, false}, Case{true, false, true}}) {
    SCOPED_TRACE(std::string(c.modal ? "modal" : "no modal") + (c.drop ? "" : ", vacío"));
    auto d = Dialog("VALIDA");
    int edits = 0;
    d->edit_template = [&](std::string_view t) -> std::string {
      ++edits;
      if (!c.drop) return {};
      auto parts = SplitDialogTemplate(t);
      if (!parts) return {};
      std::erase_if(parts->items, [](const DialogTemplateItem& i) { return i.id == 202; });
      return JoinDialogTemplate(*parts);
    };
    auto code = Bind(d, 201);
    bool edit_found = !c.edit_found;
    RECT placed = {}, expected = {50, 8, 80, 12};
    auto look = [&] {
      edit_found = GetDlgItem(d->hWnd, 202) != nullptr;
      GetWindowRect(code->hWnd, &placed);
      MapWindowPoints(nullptr, d->hWnd, reinterpret_cast<POINT*>(&placed), 2);
      MapDialogRect(d->hWnd, &expected);
    };
    TDialog::ActivateParams p;
    p.modal = c.modal;
    p.init = Blk([&](Args&) {
      look();
      if (c.modal) Press(d->hWnd, IDCANCEL);
      return Value();
    });
    d->Activate(p);
    if (!c.modal) {
      const HWND hwnd = d->hWnd;
      d->End(IDCANCEL);
      EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(hwnd); }, 2000));
    }
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(edit_found, c.edit_found);
    EXPECT_EQ(placed.left, expected.left);
    EXPECT_EQ(placed.top, expected.top);
    EXPECT_EQ(placed.right - placed.left, expected.right);
  }
}

TEST_F(TDialogTest, NestedModalDialogsKeepTheirObjects) {
  auto outer = Dialog("FININ2");
  auto inner = Dialog("VALIDA");
  bool outer_found_after = false;
  TDialog::ActivateParams ip;
  ip.init = Blk([&](Args&) {
    EXPECT_EQ(ModalDialogDepth(), 2);
    Press(inner->hWnd, IDOK);
    return Value();
  });
  TDialog::ActivateParams op;
  op.init = Blk([&](Args&) {
    inner->Activate(ip);
    outer_found_after = OWndFromHwnd(outer->hWnd).get() == outer.get();
    Press(outer->hWnd, IDCANCEL);
    return Value();
  });
  outer->Activate(op);
  EXPECT_EQ(inner->nResult.AsInt(), 1);
  EXPECT_EQ(outer->nResult.AsInt(), 2);
  EXPECT_TRUE(outer_found_after);
  EXPECT_EQ(inner->Slot(), 0);
  EXPECT_EQ(outer->Slot(), 0);
}

TEST_F(TDialogTest, LeavingAnInvalidFieldBringsTheFocusBack) {
  auto d = Dialog("VALIDA");
  auto code = Bind(d, 201);
  auto name = Bind(d, 202);
  bool valid = false;
  int checks = 0, whens = 0;
  code->bValid = Blk([&](Args&) {
    ++checks;
    return Value::Logical(valid);
  });
  name->bWhen = Blk([&](Args&) {
    ++whens;
    return Value::Logical(true);
  });
  HWND stayed = nullptr, moved = nullptr, code_window = nullptr, name_window = nullptr;
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    code_window = code->hWnd;
    name_window = name->hWnd;
    SetFocus(code->hWnd);
    return Value::Logical(false);
  });
  d->bStart = Blk([&](Args&) {
    SetFocus(name->hWnd);
    vdr::test::PumpUntil([&] { return checks > 0 && GetFocus() == code->hWnd; }, 2000);
    stayed = GetFocus();
    valid = true;
    whens = 0;
    SetFocus(name->hWnd);
    vdr::test::PumpUntil([&] { return checks > 1; }, 2000);
    vdr::test::PumpPending();
    moved = GetFocus();
    Press(d->hWnd, IDCANCEL);
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(stayed, code_window);
  EXPECT_EQ(moved, name_window);
  EXPECT_EQ(checks, 2);
  EXPECT_GE(whens, 1);  // a valid exit re-evaluates the other controls' bWhen
}

TEST_F(TDialogTest, HotKeysFindTheirControls) {
  auto d = Dialog("VALIDA");
  int code = 0, upper = 0, help = 0;
  HWND none = nullptr, not_self = nullptr;
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    code = GetDlgCtrlID(d->GetHotPos('c', nullptr));  // "&Código" is a label: the field after it
    upper = GetDlgCtrlID(d->GetHotPos('C', nullptr));
    help = GetDlgCtrlID(d->GetHotPos('y', nullptr));  // "A&yuda"
    none = d->GetHotPos('z', nullptr);
    not_self = d->GetHotPos('y', GetDlgItem(d->hWnd, 540));
    Press(d->hWnd, IDCANCEL);
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(code, 201);
  EXPECT_EQ(upper, 201);
  EXPECT_EQ(help, 540);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(not_self, nullptr);
}

TEST_F(TDialogTest, DialogPaintsItsPaneAndLabelsOnIt) {
  auto d = Dialog("VALIDA");
  COLORREF corner = 0, behind_label = 0;
  d->bStart = Blk([&](Args&) {
    RedrawWindow(d->hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r = {};
    GetClientRect(d->hWnd, &r);
    MemorySurface s(1, 1);
    {
      WindowDC dc(d->hWnd);
      BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), 2, r.bottom - 2, SRCCOPY);
      corner = s.Pixel(0, 0);
      HWND label = GetDlgItem(d->hWnd, 99);
      RECT lr = {};
      GetWindowRect(label, &lr);
      MapWindowPoints(nullptr, d->hWnd, reinterpret_cast<POINT*>(&lr), 2);
      BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), lr.right - 1, lr.bottom - 1, SRCCOPY);
      behind_label = s.Pixel(0, 0);
    }
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(d->hWnd, vdr::test::ScreenshotFolder() + "\\core_dialog_valida.bmp"));
    Press(d->hWnd, IDCANCEL);
    return Value();
  });
  d->Activate();
  EXPECT_EQ(corner, TDialog::kPaneColour);
  EXPECT_EQ(behind_label, TDialog::kPaneColour);  // labels are transparent on the pane
}

TEST_F(TDialogTest, CompiledTextRunsADialogThroughItsMessages) {
  const Value result = xb::EvalMacro(
      "TDIALOG():New( , , , , 'Desde texto', 'VALIDA' ):Activate( , , , .T., , , {|o| o:End( 7 ) } )");
  EXPECT_TRUE(result.IsNil());
  xb::SetMemvar(xb::Intern("ODLG"), xb::EvalMacro("TDIALOG():New( , , , , 'Desde texto', 'VALIDA' )"));
  xb::EvalMacro("ODLG:Activate( , , , .T., , , {|o| o:End( 7 ) } )");
  EXPECT_EQ(xb::EvalMacro("ODLG:nResult").AsInt(), 7);
  EXPECT_EQ(xb::EvalMacro("ODLG:cResName").AsString(), "VALIDA");
  EXPECT_TRUE(xb::EvalMacro("ODLG:lCentered").AsLogical());
  EXPECT_EQ(xb::EvalMacro("ODLG:ClassName()").AsString(), "TDIALOG");
  EXPECT_TRUE(xb::EvalMacro("ODLG:IsDerivedFrom( 'TWINDOW' )").AsLogical());
}

// Escape ends a dialog owned by another without ending the owner (unless the dialog ignores
// Escape); a child dialog hands Escape on to the window it sits in and stays.
TEST_F(TDialogTest, EscapeEndsTheDialogButNotItsOwner) {
  for (const bool ignored : {false, true}) {
    SCOPED_TRACE(ignored ? "lValidEsc" : "Escape ends");
    auto outer = Dialog("FININ2");
    auto inner = Dialog("VALIDA");
    inner->oWnd = outer;
    inner->lValidEsc = ignored;
    int outer_asked = 0;
    bool outer_alive = false;
    TDialog::ActivateParams ip;
    ip.init = Blk([&](Args&) {
      SendMessageA(inner->hWnd, WM_CHAR, VK_ESCAPE, 1);
      if (ignored) Press(inner->hWnd, IDOK);
      return Value();
    });
    TDialog::ActivateParams op;
    op.valid = Blk([&](Args&) {
      ++outer_asked;
      return Value::Logical(true);
    });
    op.init = Blk([&](Args&) {
      inner->Activate(ip);
      outer_alive = IsWindow(outer->hWnd) && outer_asked == 0;
      Press(outer->hWnd, IDCANCEL);
      return Value();
    });
    outer->Activate(op);
    EXPECT_EQ(inner->nResult.AsInt(), ignored ? IDOK : IDCANCEL);
    EXPECT_TRUE(outer_alive);
    EXPECT_EQ(outer->nResult.AsInt(), IDCANCEL);
  }

  auto host = Make(40, 40, 400, 300);
  std::vector<std::int64_t> reached;
  host->bKeyChar = Blk([&](Args& a) {
    reached.push_back(a.Int(1));
    return Value();
  });
  auto page = xb::MakeRef<TDialog>();
  TDialog::NewParams np;
  np.pixel = true;
  np.top = 10;
  np.left = 10;
  np.bottom = 110;
  np.right = 210;
  np.style = WS_CHILD | WS_VISIBLE;
  np.parent = host;
  page->New(np);
  page->Activate({.modal = false});
  ASSERT_TRUE(IsWindow(page->hWnd));
  made_.push_back(page->hWnd);
  SendMessageA(page->hWnd, WM_CHAR, 'q', 1);
  SendMessageA(page->hWnd, WM_CHAR, VK_ESCAPE, 1);
  vdr::test::PumpPending();
  EXPECT_EQ(reached, std::vector<std::int64_t>{VK_ESCAPE});
  EXPECT_TRUE(IsWindow(page->hWnd));
}

// The dialog's own focus methods: the flag and the block, whose answer is the message's;
// nothing when the block is absent, so the dialog manager gives the focus to its control.
TEST_F(TDialogTest, FocusMessagesRunTheBlocksAndLeaveTheFocusToTheDialogManager) {
  auto d = Dialog("VALIDA");
  EXPECT_EQ(d->GotFocus(nullptr), Answer{});
  EXPECT_TRUE(d->lFocused);
  EXPECT_EQ(d->LostFocus(nullptr), Answer{});
  EXPECT_FALSE(d->lFocused);
  std::vector<std::string> runs;
  d->bGotFocus = Blk([&](Args& a) {
    runs.push_back("got " + std::string(a.Obj(1) ? a.Obj(1)->ClassName() : "?"));
    return Value::Integer(7);
  });
  d->bLostFocus = Blk([&](Args& a) {
    runs.push_back("lost " + std::to_string(a.Int(1)));
    return Value::Logical(true);
  });
  EXPECT_EQ(d->GotFocus(nullptr), Answer::Number(7));
  EXPECT_TRUE(d->lFocused);
  EXPECT_EQ(d->LostFocus(reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x1234))), Answer::Logical(true));
  EXPECT_FALSE(d->lFocused);
  EXPECT_EQ(runs, (std::vector<std::string>{"got TDIALOG", "lost 4660"}));

  // A modeless dialog getting the focus back gives it to the control that had it.
  auto running = Dialog("VALIDA");
  running->Activate({.modal = false});
  ASSERT_TRUE(IsWindow(running->hWnd));
  made_.push_back(running->hWnd);
  HWND second = GetNextDlgTabItem(running->hWnd, GetNextDlgTabItem(running->hWnd, nullptr, FALSE), FALSE);
  ASSERT_NE(second, nullptr);
  SetFocus(second);
  SendMessageA(running->hWnd, WM_ACTIVATE, WA_INACTIVE, 0);  // the dialog manager notes it
  SetFocus(running->hWnd);
  EXPECT_EQ(GetFocus(), second);
}

// The end of the session asks the dialog to end: a dialog whose bValid refuses stops it
// (the answer is 0 whatever result the dialog answered before), one that ends lets it go.
TEST_F(TDialogTest, TheSessionEndsOnlyWhenTheDialogCanEnd) {
  auto d = Dialog("VALIDA");
  bool allow = false;
  std::vector<LRESULT> answers;
  bool alive_after_refusal = false;
  TDialog::ActivateParams p;
  p.valid = Blk([&](Args&) { return Value::Logical(allow); });
  p.init = Blk([&](Args&) {
    SetWindowLongPtrA(d->hWnd, DWLP_MSGRESULT, 1);  // an earlier message's result
    answers.push_back(SendMessageA(d->hWnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    alive_after_refusal = IsWindow(d->hWnd);
    allow = true;
    answers.push_back(SendMessageA(d->hWnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    return Value();
  });
  d->Activate(p);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], 0);
  EXPECT_TRUE(alive_after_refusal);
  EXPECT_NE(answers[1], 0);
  EXPECT_EQ(d->nResult.AsInt(), IDCANCEL);
}

// A new font for a running dialog reaches its children: the new one, not the one it had.
TEST_F(TDialogTest, SetFontGivesTheChildrenTheNewFont) {
  auto d = Dialog("VALIDA");
  TFont::Spec spec;
  spec.face = "Arial";
  spec.height = -20;
  auto font = TFont::New(spec);
  std::vector<HFONT> before, after;
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    for (HWND c = GetWindow(d->hWnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      before.push_back(reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
    }
    d->SetFont(font);
    for (HWND c = GetWindow(d->hWnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      after.push_back(reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
    }
    Press(d->hWnd, IDCANCEL);
    return Value();
  });
  d->Activate(p);
  ASSERT_FALSE(after.empty());
  EXPECT_NE(before.front(), font->hFont);
  EXPECT_EQ(after, std::vector<HFONT>(after.size(), font->hFont));
  EXPECT_EQ(d->oFont.get(), font.get());
}

// The "?" of the caption: the dialog takes note and leaves the message to Windows, which
// enters the help mode (an answer of its own would keep a modeless dialog out of it).
TEST_F(TDialogTest, TheContextHelpCommandIsLeftToWindows) {
  auto d = Dialog("VALIDA");
  d->lHelpIcon = false;
  EXPECT_FALSE(d->SysCommand(SC_CONTEXTHELP, 0).handled());
  EXPECT_EQ(d->lHelpIcon, std::optional<bool>(true));
}

// With a width and height the dialog is that size wherever it is placed.
TEST_F(TDialogTest, WidthAndHeightGiveTheSizeWhateverThePlace) {
  std::vector<SIZE> sizes;
  for (const int top : {0, 60}) {
    SCOPED_TRACE(top);
    auto d = xb::MakeRef<TDialog>();
    TDialog::NewParams np;
    np.top = top;
    np.left = top / 2;
    np.width = 240;
    np.height = 120;
    d->New(np);
    EXPECT_EQ(d->nBottom - d->nTop, 120);
    EXPECT_EQ(d->nRight - d->nLeft, 240);
    RECT r = {};
    TDialog::ActivateParams p;
    p.init = Blk([&](Args&) {
      GetWindowRect(d->hWnd, &r);
      Press(d->hWnd, IDCANCEL);
      return Value();
    });
    d->Activate(p);
    sizes.push_back({r.right - r.left, r.bottom - r.top});
  }
  EXPECT_GT(sizes[0].cy, 60);
  EXPECT_EQ(sizes[0].cx, sizes[1].cx);
  EXPECT_EQ(sizes[0].cy, sizes[1].cy);
}

// GETFONDO makes the shared transparent brush only for a dialog of the non-classic look,
// whatever the user's look is now.
TEST_F(TDialogTest, TheSharedTransparentBrushFollowsTheDialogsLook) {
  struct Case {
    bool classic;
    bool brush;
  };
  for (const Case& c : {Case{true, false}, Case{false, true}}) {
    SCOPED_TRACE(c.classic);
    xb::CallFunction("RELEASEFONDO");
    ASSERT_EQ(xb::CallFunction("GETTRANSP").AsInt(), 0);
    auto d = Dialog("VALIDA");
    d->lClassic = c.classic;
    xb::CallFunction("GETFONDO", {d->Self()});
    EXPECT_EQ(xb::CallFunction("GETTRANSP").AsInt() != 0, c.brush);
  }
  xb::CallFunction("RELEASEFONDO");
}

}  // namespace
}  // namespace ui
