// The log of a run nobody watches, "Vdr.log" in the temporary folder: every message the run
// would have shown and every line of the error table, one line each, appended, in the
// program's code page with CR LF line ends:
//
//   10-12-2026 08:41:03 Empresa 01: Acceso denegado: Es necesario tener acceso exclusivo ...
//
// The lines of a message are joined by blanks. The company is the one being organised, or
// the one the program was started for.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace app {

inline constexpr std::string_view kRunLogName = "Vdr.log";

class RunLog {
 public:
  // `company` answers the code each line names.
  RunLog(std::string path, std::function<std::string()> company);

  // Appends one line; false when the file cannot be written (the line is counted all the same).
  bool Write(std::string_view text);
  // A line of the error table, whose "Empresa <code>: " the log writes itself.
  bool WriteErrorLine(std::string_view line);
  // Lines written by this run.
  int lines() const { return lines_; }
  const std::string& path() const { return path_; }

  // The text of a line, without date and time: "Empresa 01: " + the text on one line (the
  // text alone while the company is empty).
  std::string LineText(std::string_view text) const;

 private:
  std::string path_;
  std::function<std::string()> company_;
  int lines_ = 0;
};

}  // namespace app
