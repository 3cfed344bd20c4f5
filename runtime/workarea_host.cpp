#include "runtime/workarea_host.h"

namespace xb {

namespace {
WorkAreaHost* g_host = nullptr;
}

bool WorkAreaHost::AppendField(int area, int pos, std::string& out, Value& other) {
  Value v = GetField(area, pos);
  if (v.type() == Type::String) {
    out.append(v.AsString());
    return true;
  }
  other = std::move(v);
  return false;
}

WorkAreaHost* GetWorkAreaHost() { return g_host; }

WorkAreaHost* SetWorkAreaHost(WorkAreaHost* host) {
  WorkAreaHost* old = g_host;
  g_host = host;
  return old;
}

}  // namespace xb
