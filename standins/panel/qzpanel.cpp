// qzpanel LOG [options]: stands for the management panel. It shows a hidden top-level window
// of class "TfrmQZPanelDeGestion" titled "QZ Panel de Gestión", as the panel does, writes one
// line to LOG for each WM_COPYDATA it receives and answers it at once. Replies are sent later
// from a timer with SendMessageTimeout, so a program busy in a modal dialog never stalls it.
//
//   --mail RESULT   answers each e-mail message (1001) with {its identifier, RESULT}
//   --exec RESULT   answers each program run (1003) with {its identifier, RESULT}
//   --notices       sends the execution notices 1005 and 1006 before a run's answer
//   --size N        answers with a record of N bytes instead of 8 (zeros past the 8 bytes)
//   --close MS      MS milliseconds after a window is announced (1011), asks it to close (1012)
//   --delay MS      how long after a request its answer is sent (default 500)
//
// A line: code, size, sender window (low 32 bits, hex), the record's fields by name, and
// hex= with every byte of the record.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kTimer = 1;

struct Pending {
  DWORD due;
  HWND target;
  ULONG_PTR code;
  std::string record;
};

std::string g_log;
int g_mail_result = 0, g_exec_result = 0;
bool g_mail = false, g_exec = false, g_notices = false;
int g_size = 8;
int g_close_after = -1;
DWORD g_delay = 500;
std::vector<Pending> g_pending;

std::uint32_t Int(const std::string& r, std::size_t at) {
  if (at + 4 > r.size()) return 0;
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(r[at + i])) << (8 * i);
  return v;
}

std::string Text(const std::string& r, std::size_t at, std::size_t size) {
  if (at >= r.size()) return {};
  const std::string field = r.substr(at, size);
  return field.substr(0, field.find('\0'));
}

void Field(std::string& line, const char* name, const std::string& value) {
  line += '\t';
  line += name;
  line += '=';
  line += value;
}

void Field(std::string& line, const char* name, std::uint32_t value) { Field(line, name, std::to_string(value)); }

std::string Reply(std::uint32_t id, int result) {
  std::string r(static_cast<std::size_t>(g_size > 0 ? g_size : 0), '\0');
  const std::uint32_t values[2] = {id, static_cast<std::uint32_t>(result)};
  std::memcpy(r.data(), values, r.size() < 8 ? r.size() : 8);
  return r;
}

void Queue(HWND target, ULONG_PTR code, std::string record, DWORD after) {
  g_pending.push_back({GetTickCount() + after, target, code, std::move(record)});
}

void Log(ULONG_PTR code, HWND from, const std::string& r) {
  char head[64];
  std::snprintf(head, sizeof head, "%lu\t%zu\tfrom=%08lX", static_cast<unsigned long>(code), r.size(),
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(from) & 0xFFFFFFFFu));
  std::string line = head;
  switch (code) {
    case 1001:
      Field(line, "id", Int(r, 0));
      Field(line, "to", Text(r, 4, 256));
      Field(line, "cc", Text(r, 260, 256));
      Field(line, "bcc", Text(r, 516, 256));
      Field(line, "subject", Text(r, 772, 256));
      Field(line, "text", Text(r, 1028, 512));
      Field(line, "files", Text(r, 1540, 2048));
      Field(line, "dialog", Int(r, 3588));
      Field(line, "window", Int(r, 3592));
      break;
    case 1002:
      Field(line, "address", Text(r, 0, 512));
      Field(line, "new", Int(r, 512));
      break;
    case 1004:
      Field(line, "tick", Int(r, 0));
      Field(line, "path", Text(r, 4, 512));
      break;
    case 1011:
      Field(line, "process", Int(r, 0));
      Field(line, "window", Int(r, 4));
      break;
    case 1013: Field(line, "process", Int(r, 0)); break;
    default:
      if (r.size() == 1036) {
        Field(line, "id", Int(r, 0));
        Field(line, "path", Text(r, 4, 256));
        Field(line, "params", Text(r, 260, 512));
        Field(line, "folder", Text(r, 772, 256));
        Field(line, "wait", Int(r, 1028));
        Field(line, "progress", Int(r, 1032));
      }
  }
  static const char kHex[] = "0123456789ABCDEF";
  line += "\thex=";
  for (char c : r) {
    line += kHex[static_cast<unsigned char>(c) >> 4];
    line += kHex[static_cast<unsigned char>(c) & 15];
  }
  line += '\n';
  if (FILE* f = std::fopen(g_log.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

void Received(HWND from, const COPYDATASTRUCT& data) {
  const std::string r(static_cast<const char*>(data.lpData), data.lpData != nullptr ? data.cbData : 0);
  Log(data.dwData, from, r);
  switch (data.dwData) {
    case 1001:
      if (g_mail) Queue(from, 1001, Reply(Int(r, 0), g_mail_result), g_delay);
      break;
    case 1003:
      if (!g_exec) break;
      if (g_notices) {
        Queue(from, 1005, Reply(Int(r, 0), 0), g_delay);
        Queue(from, 1006, Reply(Int(r, 0), 0), g_delay);
      }
      Queue(from, 1003, Reply(Int(r, 0), g_exec_result), g_delay);
      break;
    case 1011:
      if (g_close_after >= 0) {
        // The announced handle is the low 32 bits; handles are sign-extended from them.
        const HWND target = reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(Int(r, 4))));
        for (auto& p : g_pending)
          if (p.code == 1012) p.target = target;  // only the window announced last
        bool queued = false;
        for (const auto& p : g_pending) queued = queued || p.code == 1012;
        if (!queued) Queue(target, 1012, std::string(), static_cast<DWORD>(g_close_after));
      }
      break;
  }
}

void SendDue() {
  const DWORD now = GetTickCount();
  for (std::size_t i = 0; i < g_pending.size();) {
    if (static_cast<LONG>(now - g_pending[i].due) < 0) {
      ++i;
      continue;
    }
    Pending p = std::move(g_pending[i]);
    g_pending.erase(g_pending.begin() + static_cast<std::ptrdiff_t>(i));
    COPYDATASTRUCT data{p.code, static_cast<DWORD>(p.record.size()), p.record.empty() ? nullptr : p.record.data()};
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(p.target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 5000, &answer);
  }
}

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COPYDATA:
      Received(reinterpret_cast<HWND>(wparam), *reinterpret_cast<const COPYDATASTRUCT*>(lparam));
      return 1;
    case WM_TIMER:
      SendDue();
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 2) {
    MessageBoxA(nullptr, "qzpanel LOG [--mail N] [--exec N] [--notices] [--size N] [--close MS] [--delay MS]",
                "QZ Panel de Gestión", MB_OK);
    return 2;
  }
  g_log = __argv[1];
  for (int i = 2; i < __argc; ++i) {
    const std::string option = __argv[i];
    const char* value = i + 1 < __argc ? __argv[i + 1] : "0";
    if (option == "--notices") {
      g_notices = true;
      continue;
    }
    ++i;
    if (option == "--mail") g_mail = true, g_mail_result = std::atoi(value);
    else if (option == "--exec") g_exec = true, g_exec_result = std::atoi(value);
    else if (option == "--size") g_size = std::atoi(value);
    else if (option == "--close") g_close_after = std::atoi(value);
    else if (option == "--delay") g_delay = static_cast<DWORD>(std::atoi(value));
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "TfrmQZPanelDeGestion";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "QZ Panel de Gestión", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 300, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  SetTimer(window, kTimer, 50, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
