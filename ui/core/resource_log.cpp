#include "ui/core/resource_log.h"

#include <cstdio>

#include "ui/core/file_helpers.h"

namespace ui {

void LogResourceFailure(std::string_view what, const void* handle, std::string_view detail) {
  char number[32];
  std::snprintf(number, sizeof number, "%p", handle);
  std::vector<xb::Value> values = {xb::Value::String(what), xb::Value::String(number)};
  if (!detail.empty()) values.push_back(xb::Value::String(detail));
  LogFile("resources.txt", values);
}

}  // namespace ui
