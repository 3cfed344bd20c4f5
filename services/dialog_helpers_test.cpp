#include "services/dialog_helpers.h"

#include <windows.h>

#include "services/services_test_support.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/controls/tfolder.h"
#include "ui/core/plain_control.h"

namespace svc {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using xb::Value;

class DialogHelpersTest : public testing::ServicesTest {};

// A folder's pages are bound with the folder, not by the dialog RunDialog starts, and a
// dialog may be started without RunDialog: a label shows its text in each case.
TEST_F(DialogHelpersTest, ALabelShowsItsTextOnAFolderPageAndOnADialogStartedOtherwise) {
  const ui::DialogRef dialog = ResourceDialog(Value::String("TI_FOLDER_INFORME"), std::string(" Páginas"));
  auto folder = xb::MakeRef<ui::TFolder>();
  folder->ReDefine(300, {.prompts = {"Primera", "Segunda"},
                         .dialogs = {Value::String("TI_INFORME_IMPRESION"), Value::String("TI_INFORME_IMPRESION")},
                         .parent = dialog});
  const ui::DialogRef first(folder->Page(1)), second(folder->Page(2));
  Label(first, 216, "Arial, 10, negrita");
  const xb::Ref<ui::PlainControl> later = Label(second, 217, "");
  later->cCaption = "Courier New, 8";  // set after the label was made, before the dialog starts
  Label(second, 218, "Times New Roman, 12", RGB(0, 0, 128));
  std::string on_first, on_second, coloured;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != " Páginas") return 0;
    on_first = ItemText(folder->Page(1)->hWnd, 216);
    on_second = ItemText(folder->Page(2)->hWnd, 217);
    coloured = ItemText(folder->Page(2)->hWnd, 218);
    folder->SetOption(2);
    UpdateWindow(d.hwnd);
    vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\label_on_folder_page.bmp");
    return IDCANCEL;
  });
  RunDialog(dialog);
  EXPECT_EQ(on_first, "Arial, 10, negrita");
  EXPECT_EQ(on_second, "Courier New, 8");
  EXPECT_EQ(coloured, "Times New Roman, 12");

  // A modeless notice activated directly.
  const ui::DialogRef notice = ResourceDialog(Value::String("ESPERAR"));
  Label(notice, 101, "Cargando planning...");
  notice->Activate({.centered = true, .modal = false});
  ASSERT_NE(notice->hWnd, nullptr);
  EXPECT_EQ(ItemText(notice->hWnd, 101), "Cargando planning...");
  DestroyWindow(notice->hWnd);
}

}  // namespace
}  // namespace svc
