// The Wine test harness itself: windows receive messages, modal dialogs are answered by
// the helper, the stand-in resource library loads, screenshots are written.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"

namespace vdr::test {
namespace {

constexpr UINT kProbe = WM_APP + 7;

struct Received {
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  int count = 0;
};

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kProbe) {
    auto* got = reinterpret_cast<Received*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    got->wparam = wparam;
    got->lparam = lparam;
    ++got->count;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

TEST(Harness, RunsUnderTheSpanishCodePages) {
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 850u);
}

TEST(Harness, WindowReceivesPostedMessage) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VdrHarnessProbe";
  ASSERT_TRUE(RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
  HWND hwnd = CreateWindowA(wc.lpszClassName, "Prueba", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                            nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  Received got;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&got));

  // 64-bit parameters must arrive whole.
  const LPARAM big = static_cast<LPARAM>(0x1234'5678'9ABCLL);
  ASSERT_TRUE(PostMessageA(hwnd, kProbe, 42, big));
  EXPECT_TRUE(PumpUntil([&] { return got.count == 1; }, 2000));
  EXPECT_EQ(got.wparam, 42u);
  EXPECT_EQ(got.lparam, big);
  DestroyWindow(hwnd);
}

TEST(Harness, AnswersMessageBoxAndReadsItsText) {
  DialogAnswerer answer(DialogAnswerer::Press("No"));
  const int result = MessageBoxA(nullptr, "¿Desea continuar?\n\rSegunda línea", "Atención",
                                 MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(result, IDNO);
  ASSERT_EQ(answer.seen().size(), 1u);
  const SeenDialog& box = answer.seen().front();
  EXPECT_EQ(box.title, "Atención");
  EXPECT_NE(box.AllText().find("¿Desea continuar?"), std::string::npos);
  ASSERT_EQ(box.buttons.size(), 2u);
  EXPECT_EQ(box.buttons[0].id, IDYES);
  EXPECT_EQ(box.ButtonId("No"), IDNO);
}

TEST(Harness, ModalDialogLeftOpenUntilTheChooserAnswers) {
  int polls = 0;
  DialogAnswerer answer([&](const SeenDialog&) { return ++polls < 3 ? 0 : IDCANCEL; });
  EXPECT_EQ(MessageBoxA(nullptr, "Espera", "Prueba", MB_OKCANCEL), IDCANCEL);
  EXPECT_GE(polls, 3);
  EXPECT_EQ(answer.seen().size(), 1u);  // one dialog, however often it was read
}

class VdreLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA("VDRE.DLL");
    ASSERT_NE(module_, nullptr) << "VDRE.DLL beside the test program";
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(VdreLibrary, HoldsItsDialogAndBitmapByName) {
  EXPECT_NE(FindResourceA(module_, "FININ2", MAKEINTRESOURCEA(5) /* RT_DIALOG */), nullptr);
  HBITMAP bmp = LoadBitmapA(module_, "BMPVERDE");
  ASSERT_NE(bmp, nullptr);
  BITMAP info = {};
  ASSERT_TRUE(GetObjectA(bmp, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 16);
  EXPECT_EQ(info.bmHeight, 16);
  DeleteObject(bmp);
  EXPECT_EQ(LoadBitmapA(module_, "NOEXISTE"), nullptr);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
  return msg == WM_INITDIALOG;
}

TEST_F(VdreLibrary, DialogShowsItsSpanishTextsAndCanBePhotographed) {
  HWND dlg = CreateDialogParamA(module_, "FININ2", nullptr, PlainDialogProc, 0);
  ASSERT_NE(dlg, nullptr);
  ShowWindow(dlg, SW_SHOW);
  PumpUntil([] { return false; }, 200);
  const SeenDialog seen = ReadDialog(dlg);
  EXPECT_EQ(seen.title, "Búsqueda incremental");
  EXPECT_EQ(seen.ButtonId("Salir"), 105);

  const std::string path = ScreenshotFolder() + "\\harness_finin2.bmp";
  ASSERT_TRUE(SaveWindowBitmap(dlg, path));
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 0, SEEK_END);
  EXPECT_GT(std::ftell(f), 1000);
  std::fclose(f);
  DestroyWindow(dlg);
}

}  // namespace
}  // namespace vdr::test
