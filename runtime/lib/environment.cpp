// Environment functions: GETENV __QUIT ERRORLEVEL SETHANDLECOUNT TONE.
#include "runtime/lib/environment.h"

#include <cstdlib>

#include "runtime/function_table.h"
#include "runtime/lib/library.h"
#include "runtime/lib/os_files.h"

namespace xb {

namespace {

int g_errorLevel = 0;
int g_handleCount = 20;

QuitHandler& Handler() {
  static auto* h = new QuitHandler;
  return *h;
}

// GETENV(name [, default]): the variable's text, or the default ("" without one).
Value FnGetEnv(Args& a) {
  std::optional<std::string> v;
  if (a.Arg(1).IsString() && !a.Str(1).empty()) v = os::GetEnv(a.Str(1));
  if (v) return Value::String(*v);
  return Value::String(a.Str(2));
}

Value FnQuit(Args&) {
  if (Handler()) Handler()(g_errorLevel);
  else std::exit(g_errorLevel);
  return Value();
}

// ERRORLEVEL([code]): the code before the call; a number sets it.
Value FnErrorLevel(Args& a) {
  int old = g_errorLevel;
  if (a.Arg(1).IsNumber()) g_errorLevel = static_cast<int>(a.Int(1));
  return Value::Integer(old);
}

// SETHANDLECOUNT(n): Windows gives every process the handles it needs, so the call only
// answers the count asked for (or the one asked before).
Value FnSetHandleCount(Args& a) {
  if (a.Arg(1).IsNumber() && a.Int(1) > 0) g_handleCount = static_cast<int>(a.Int(1) > 65535 ? 65535 : a.Int(1));
  return Value::Integer(g_handleCount);
}

// TONE(frequency, duration in clock ticks of 1/18.2 s).
Value FnTone(Args& a) {
  std::int64_t hz = a.Int(1), ticks = a.Arg(2).IsNumber() ? a.Int(2) : 1;
  if (hz < 37 || hz > 32767 || ticks <= 0) return Value();
  std::int64_t ms = ticks * 1000 / 18;
  os::Beep(static_cast<int>(hz), static_cast<int>(ms > 10000 ? 10000 : ms));
  return Value();
}

}  // namespace

int ErrorLevel() { return g_errorLevel; }
void SetErrorLevel(int code) { g_errorLevel = code; }

QuitHandler SetQuitHandler(QuitHandler handler) {
  QuitHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

void RegisterEnvironmentFunctions() {
  RegisterFunction("GETENV", FnGetEnv);
  RegisterFunction("__QUIT", FnQuit);
  RegisterFunction("ERRORLEVEL", FnErrorLevel);
  RegisterFunction("SETHANDLECOUNT", FnSetHandleCount);
  RegisterFunction("TONE", FnTone);
}

}  // namespace xb
