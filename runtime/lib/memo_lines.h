// Memo text broken into display lines, as MEMOLINE and MLCOUNT see it: hard breaks at
// CR LF (or a lone LF), soft breaks (CHR(141) LF, which the memo editor inserts) ignored,
// tabs expanded, and with word wrap long lines broken after their last blank (or at the
// line length when a word is longer); without wrap long lines are cut.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xb {

struct MemoLayout {
  int lineLength = 79;
  int tabSize = 4;
  bool wrap = true;
};

// The lines of the text, unpadded. A text ending in a hard break has no empty last line.
std::vector<std::string> MemoLines(std::string_view text, MemoLayout layout);
// MEMOLINE: line n (1-based) padded to the line length; "" beyond the last line.
std::string MemoLine(std::string_view text, MemoLayout layout, std::size_t n);
// MLCOUNT.
std::size_t MemoLineCount(std::string_view text, MemoLayout layout);
// HARDCR: soft breaks become hard ones.
std::string HardCr(std::string_view text);

}  // namespace xb
