#include "app/program/program_driver.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace app::testing {
namespace {

std::string TestProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return std::filesystem::path(path).parent_path().string();
}

}  // namespace

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

bool InstallProgram(const std::string& folder) {
  std::error_code error;
  for (const char* file : {"Vdr.exe", "VDRE.DLL"}) {
    std::filesystem::copy_file(std::filesystem::path(TestProgramFolder()) / file, std::filesystem::path(folder) / file,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) return false;
  }
  return true;
}

ProgramProcess::ProgramProcess(const std::string& folder, const std::vector<std::string>& args,
                               const std::string& start_in) {
  std::string command = "\"" + folder + "Vdr.exe\"";
  for (const std::string& arg : args) command += " \"" + arg + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, (start_in.empty() ? folder : start_in).c_str(), &startup,
                     &info)) {
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    CloseHandle(info.hThread);
  }
}

ProgramProcess::~ProgramProcess() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
}

bool ProgramProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

int ProgramProcess::WaitExit(unsigned ms) {
  if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

std::vector<HWND> ProgramProcess::Windows() const {
  struct Search {
    DWORD id;
    std::vector<HWND> found;
  } search{id_, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->id && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ProgramProcess::WaitUntil(const std::function<bool()>& done, unsigned ms) const {
  const ULONGLONG deadline = GetTickCount64() + ms;
  for (;;) {
    if (done()) return true;
    if (!Running() || GetTickCount64() >= deadline) return done();
    Sleep(20);
  }
}

HWND ProgramProcess::WaitWindow(const std::string& title, unsigned ms) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND hwnd : Windows())
          if (TextOf(hwnd) == title) found = hwnd;
        return found != nullptr;
      },
      ms);
  return found;
}

std::vector<vdr::test::SeenDialog> AnswerEveryBox(ProgramProcess& program, unsigned ms,
                                                  const std::vector<std::string>& leave) {
  std::vector<vdr::test::SeenDialog> seen;
  std::vector<HWND> answered;
  program.WaitUntil(
      [&] {
        std::erase_if(answered, [](HWND hwnd) { return !IsWindow(hwnd); });
        for (HWND hwnd : program.Windows()) {
          if (ClassOf(hwnd) != "#32770" || std::find(answered.begin(), answered.end(), hwnd) != answered.end()) continue;
          // A busy program may not tell its window's title in time: asked again at the next look.
          const std::string title = TextOf(hwnd);
          if (title.empty() || std::find(leave.begin(), leave.end(), title) != leave.end()) continue;
          seen.push_back(ReadOtherDialog(hwnd));
          answered.push_back(hwnd);
          if (!seen.back().buttons.empty()) PressButton(hwnd, seen.back().buttons.front().id);
        }
        return false;
      },
      ms);
  return seen;
}

std::string TextOf(HWND hwnd) {
  char text[1024] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                           &copied))
    return {};
  return std::string(text, copied);
}

vdr::test::SeenDialog ReadOtherDialog(HWND dialog) {
  vdr::test::SeenDialog seen;
  seen.hwnd = dialog;
  seen.title = TextOf(dialog);
  seen.class_name = ClassOf(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string cls = ClassOf(child);
    const LONG kind = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
    if (_stricmp(cls.c_str(), "Button") == 0) {
      if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_OWNERDRAW)
        seen.buttons.push_back({GetDlgCtrlID(child), TextOf(child)});
    } else if (_stricmp(cls.c_str(), "Static") == 0 || _stricmp(cls.c_str(), "Edit") == 0) {
      if (std::string text = TextOf(child); !text.empty()) seen.texts.push_back(text);
    }
  }
  return seen;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void TypeInto(HWND control, const std::string& text) {
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  for (char c : text) PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void PostKey(HWND control, int virtual_key) {
  PostMessageA(control, WM_KEYDOWN, virtual_key, 1);
  PostMessageA(control, WM_KEYUP, virtual_key, 0xC0000001);
}

COLORREF Pixels::At(int x, int y) const {
  const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
  return RGB(bgr[at + 2], bgr[at + 1], bgr[at]);
}

Pixels Capture(HWND hwnd) {
  Pixels p;
  RECT r;
  if (!GetClientRect(hwnd, &r) || r.right <= 0 || r.bottom <= 0) return p;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  p.width = r.right;
  p.height = r.bottom;
  // What the screen shows there: another process's window is read from the screen.
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = p.width;
  info.bmiHeader.biHeight = -p.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib) {
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, p.width, p.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const std::size_t stride = (static_cast<std::size_t>(p.width) * 3 + 3) & ~std::size_t{3};
    p.bgr.resize(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) * 3);
    for (int y = 0; y < p.height; ++y)
      std::memcpy(p.bgr.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) * 3,
                  static_cast<const unsigned char*>(bits) + static_cast<std::size_t>(y) * stride,
                  static_cast<std::size_t>(p.width) * 3);
    SelectObject(mem, old);
    DeleteObject(dib);
  } else {
    p = {};
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return p;
}

double PaintedShare(HWND hwnd) {
  const Pixels p = Capture(hwnd);
  if (p.bgr.empty()) return 0;
  std::size_t lit = 0;
  for (std::size_t i = 0; i + 2 < p.bgr.size(); i += 3) lit += (p.bgr[i] | p.bgr[i + 1] | p.bgr[i + 2]) != 0;
  return static_cast<double>(lit) / static_cast<double>(p.bgr.size() / 3);
}

std::vector<Light> BrowseLights(HWND browse) {
  const Pixels p = Capture(browse);
  std::vector<Light> lights;
  std::optional<Light> open;
  int first = 0;
  for (int y = 0; y <= p.height; ++y) {
    int green = 0, red = 0;
    for (int x = 0; y < p.height && x < p.width; ++x) {
      const COLORREF c = p.At(x, y);
      const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      green += g > 120 && r < g / 2 && b < g / 2;
      red += r > 120 && g < r / 2 && b < r / 2;
    }
    const bool any = green + red >= 2;
    if (any && !open) {
      open = Light{0, red > green};
      first = y;
    } else if (!any && open) {
      open->y = (first + y - 1) / 2;
      lights.push_back(*open);
      open.reset();
    }
  }
  return lights;
}

HWND ChildOfClass(HWND parent, const std::string& class_name) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (_stricmp(ClassOf(child).c_str(), class_name.c_str()) == 0) return child;
  return nullptr;
}

}  // namespace app::testing
