// xbeval FILE: evaluates one xBase expression a line with the macro compiler and prints
// each line as "expression<TAB>ValType<TAB>value" (the format of the reference file of
// expressions). The file is UTF-8 and so is the output; the runtime works in
// Windows-1252. SET values, variables and open tables persist from line to line; blank
// lines and lines starting with '#' are skipped; text after a tab is ignored, so the
// reference file itself can be given.
// The table engine is linked in: DBUSEAREA, aliases and ->, orders, seeks, ORDCREATE and
// locks work as in the program, with names relative to the folder xbeval runs in.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"
#include "runtime/xbeval/cp1252.h"
#include "runtime/xbeval/result_format.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: xbeval FILE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "xbeval: cannot read %s\n", argv[1]);
    return 1;
  }
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  xb::InitRuntime();
  xb::rdd::InitTables();
  xb::xbeval::UseReferenceSettings();
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string expr = line.substr(0, line.find('\t'));
    if (expr.find_first_not_of(" \t") == std::string::npos || expr[0] == '#') continue;
    std::string result = xb::xbeval::EvaluateLine(xb::xbeval::Utf8ToCp1252(expr));
    std::string text = expr + "\t" + xb::xbeval::Cp1252ToUtf8(result) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  xb::rdd::ResetTables();  // closes the tables, writing what is pending
  return 0;
}
