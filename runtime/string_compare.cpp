#include "runtime/string_compare.h"


#include "runtime/codepage.h"
#include "runtime/sets.h"

namespace xb {

namespace {

int CodePageOrder(std::string_view a, std::string_view b) {
  return CollateBytes(CurrentCodePage(), reinterpret_cast<const unsigned char*>(a.data()),
                      reinterpret_cast<const unsigned char*>(b.data()), a.size() < b.size() ? a.size() : b.size());
}

CollationFn g_collation = nullptr;

}  // namespace

CollationFn SetCollation(CollationFn fn) {
  CollationFn old = g_collation;
  g_collation = fn;
  return old;
}

int CompareStrings(std::string_view a, std::string_view b, bool forceExact) {
  std::size_t la = a.size(), lb = b.size();
  if (!forceExact && Sets().exact) {
    // SET EXACT ON: trailing blanks do not count.
    while (la > lb && a[la - 1] == ' ') --la;
    while (lb > la && b[lb - 1] == ' ') --lb;
    forceExact = true;
  }
  std::size_t n = la < lb ? la : lb;
  if (n == 0) {
    if (la == lb) return 0;
    if (forceExact) return la < lb ? -1 : 1;
    return lb == 0 ? 0 : -1;  // anything = "" is true
  }
  int r = g_collation ? g_collation(a.substr(0, n), b.substr(0, n)) : CodePageOrder(a.substr(0, n), b.substr(0, n));
  if (r != 0) return r < 0 ? -1 : 1;
  if (la != lb && (forceExact || lb > la)) return la < lb ? -1 : 1;
  return 0;
}

}  // namespace xb
