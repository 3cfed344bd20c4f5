#include "runtime/lib/paths.h"

#include <algorithm>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/sets.h"

namespace xb {

namespace {

// Windows folds the case of accented letters too: the Spanish table covers Windows-1252.
unsigned char Fold(char c) { return UpperChar(CodePageEsWin(), static_cast<unsigned char>(c)); }

bool Glob(std::string_view n, std::string_view p) {
  // Memoised so that many "*" stay linear; "?" may also match nothing before a dot or at
  // the end of the name.
  std::vector<std::vector<char>> memo(p.size() + 1, std::vector<char>(n.size() + 1, -1));
  auto rec = [&](auto&& self, std::size_t pi, std::size_t ni) -> bool {
    char& m = memo[pi][ni];
    if (m >= 0) return m;
    bool r;
    if (pi == p.size()) {
      r = ni == n.size();
    } else if (p[pi] == '*') {
      r = self(self, pi + 1, ni) || (ni < n.size() && self(self, pi, ni + 1));
    } else if (p[pi] == '?') {
      bool atDotOrEnd = ni == n.size() || n[ni] == '.';
      r = (ni < n.size() && self(self, pi + 1, ni + 1)) || (atDotOrEnd && self(self, pi + 1, ni));
    } else {
      r = ni < n.size() && Fold(p[pi]) == Fold(n[ni]) && self(self, pi + 1, ni + 1);
    }
    m = r;
    return r;
  };
  return rec(rec, 0, 0);
}

}  // namespace

std::size_t FolderLength(std::string_view path) {
  for (std::size_t i = path.size(); i-- > 0;)
    if (IsPathSeparator(path[i])) return i + 1;
  if (path.size() >= 2 && path[1] == ':') return 2;
  return 0;
}

bool HasWildcards(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool NameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Fold(x) < Fold(y); });
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*" || pattern == "*.*") return true;
  std::string_view p = pattern;
  bool noExtension = p.size() > 1 && p.back() == '.' && p.find_first_not_of('.') != std::string_view::npos;
  if (noExtension) {
    if (name.find('.') != std::string_view::npos) return false;
    p.remove_suffix(1);
  }
  if (Glob(name, p)) return true;
  // "NAME*.*" also finds names without a dot.
  if (p.size() >= 2 && p.substr(p.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
    return Glob(name, p.substr(0, p.size() - 2));
  return false;
}

std::string WithDefaultFolder(std::string_view name) {
  const std::string& def = Sets().defaultPath;
  if (def.empty() || FolderLength(name) > 0) return std::string(name);
  std::string out = def;
  if (!IsPathSeparator(out.back()) && out.back() != ':') out += '\\';
  return out + std::string(name);
}

}  // namespace xb
