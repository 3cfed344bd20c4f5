// The reference file of expressions and their results (as the established xBase runtime
// gives them), run through the same evaluation as xbeval. Lines calling functions that are
// not registered yet (the standard library) wait; everything else must match exactly.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "runtime/test_env.h"
#include "runtime/xbeval/cp1252.h"
#include "runtime/xbeval/result_format.h"

namespace xb {
namespace {

const unsigned char kExpressions[] = {
#include "expressions_tsv.inc"
};

class ReferenceTest : public testing::RuntimeTest {};

TEST_F(ReferenceTest, ExpressionsGiveTheEstablishedResults) {
  xbeval::UseReferenceSettings();
  std::istringstream in(std::string(reinterpret_cast<const char*>(kExpressions), sizeof kExpressions));
  std::string line;
  int total = 0, passed = 0, waiting = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t tab = line.find('\t');
    if (line.empty() || tab == std::string::npos) continue;
    ++total;
    std::string expr = xbeval::Utf8ToCp1252(line.substr(0, tab));
    bool missing = false;
    for (const std::string& f : CalledFunctions(expr)) missing = missing || !IsFunctionRegistered(f);
    if (missing) {
      ++waiting;
      continue;
    }
    std::string got = xbeval::Cp1252ToUtf8(xbeval::EvaluateLine(expr));
    EXPECT_EQ(got, line.substr(tab + 1)) << line.substr(0, tab);
    if (got == line.substr(tab + 1)) ++passed;
  }
  std::printf("reference expressions: %d of %d match, %d wait for library functions\n", passed, total,
              waiting);
  EXPECT_GT(total, 80);
}

}  // namespace
}  // namespace xb
