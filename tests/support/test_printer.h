// The PostScript test printer of the Wine prefix (standins/testprinter), for printing tests.
//
// A test points the printer's port at a file of its own before its job, then reads what the
// job printed: the PostScript itself, its "%%Title:" and "%%Pages:" lines, and its text as
// ghostscript reads it (ghostscript runs on the host, outside Wine).
#pragma once

#include <string>

namespace vdr::test {

inline constexpr const char* kTestPrinter = "Impresora de pruebas";

// Runs testprinter.exe (beside the test program) with these arguments; its exit code, -1
// when it could not run.
int RunTestPrinter(const std::string& arguments);

class PrinterOutput {
 public:
  // Points the port at a fresh file named after `name` in the temporary folder.
  explicit PrinterOutput(const std::string& name);

  const std::string& path() const { return path_; }
  // The PostScript of the job, once the spooler has written it whole ("" after 10 s).
  std::string PostScript() const;
  // The value of a DSC comment ("%%Title:", "%%Pages:"), the last one when repeated.
  std::string Comment(const std::string& key) const;
  int Pages() const;
  // The text ghostscript finds on the pages, one line per text line.
  std::string Text() const;

 private:
  std::string path_;
};

}  // namespace vdr::test
