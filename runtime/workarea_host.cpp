#include "runtime/workarea_host.h"

namespace xb {

namespace {
WorkAreaHost* g_host = nullptr;
}

WorkAreaHost* GetWorkAreaHost() { return g_host; }

WorkAreaHost* SetWorkAreaHost(WorkAreaHost* host) {
  WorkAreaHost* old = g_host;
  g_host = host;
  return old;
}

}  // namespace xb
