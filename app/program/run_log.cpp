#include "app/program/run_log.h"

#include <cstdio>
#include <ctime>

namespace app {

RunLog::RunLog(std::string path, std::function<std::string()> company)
    : path_(std::move(path)), company_(std::move(company)) {}

std::string RunLog::LineText(std::string_view text) const {
  // A run started without a code names no company.
  const std::string company = company_ ? company_() : std::string();
  std::string line = company.empty() ? std::string() : "Empresa " + company + ": ";
  bool blank = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      blank = true;
      continue;
    }
    if (blank && !line.empty() && line.back() != ' ') line += ' ';
    blank = false;
    line += c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

bool RunLog::Write(std::string_view text) {
  ++lines_;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%d-%m-%Y %H:%M:%S ", &local);
  const std::string line = stamp + LineText(text) + "\r\n";
  std::FILE* f = std::fopen(path_.c_str(), "ab");
  if (!f) return false;
  const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
  return std::fclose(f) == 0 && written;
}

bool RunLog::WriteErrorLine(std::string_view line) {
  const std::string prefix = "Empresa ";
  if (line.substr(0, prefix.size()) == prefix) {
    const std::size_t colon = line.find(": ");
    if (colon != std::string_view::npos) line.remove_prefix(colon + 2);
  }
  return Write(line);
}

}  // namespace app
