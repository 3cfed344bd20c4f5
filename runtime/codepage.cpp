#include "runtime/codepage.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace xb {
namespace {

// The ESWIN letters in collation order. Spelled out as bytes: the list is Windows-1252 data,
// not source text. Upper: AÁÀÄBCÇDEÉÈËFGHIÍÌÏJKLMNÑOÓÒÖPQRSTUÚÙÜVWXYZ; lower likewise.
constexpr char kEsWinUpper[] =
    "A\xC1\xC0\xC4" "BC\xC7" "DE\xC9\xC8\xCB" "FGHI\xCD\xCC\xCF" "JKLMN\xD1" "O\xD3\xD2\xD6"
    "PQRSTU\xDA\xD9\xDC" "VWXYZ";
constexpr char kEsWinLower[] =
    "a\xE1\xE0\xE4" "bc\xE7" "de\xE9\xE8\xEB" "fghi\xED\xEC\xEF" "jklmn\xF1" "o\xF3\xF2\xF6"
    "pqrstu\xFA\xF9\xFC" "vwxyz";
static_assert(sizeof kEsWinUpper - 1 == 43 && sizeof kEsWinLower - 1 == 43);

constexpr char kEnUpper[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char kEnLower[] = "abcdefghijklmnopqrstuvwxyz";

#include "runtime/codepage_oem850.inc"

// Builds a code page from its two letter lists (same length, pairwise upper/lower). The weights
// keep byte order for every byte outside the lists; the upper list takes the place of "A" and the
// lower list the place of "a", so an accented letter sorts right after its plain letter.
CodePage Build(const char* id, std::string_view up, std::string_view lo) {
  CodePage cp{};
  cp.id = id;
  for (int c = 0; c < 256; ++c) {
    cp.upper[c] = cp.lower[c] = static_cast<unsigned char>(c);
    cp.flags[c] = (c >= '0' && c <= '9') ? CodePage::kDigit : 0;
  }
  std::array<bool, 256> listed{};
  for (std::size_t i = 0; i < up.size(); ++i) {
    const auto u = static_cast<unsigned char>(up[i]), l = static_cast<unsigned char>(lo[i]);
    cp.lower[u] = l;
    cp.upper[l] = u;
    cp.flags[u] |= CodePage::kAlpha | CodePage::kUpper;
    cp.flags[l] |= CodePage::kAlpha | CodePage::kLower;
    listed[u] = listed[l] = true;
  }
  int next = 0;
  for (int c = 0; c < 256; ++c) {
    if (c == 'A' || c == 'a') {
      for (char letter : (c == 'A' ? up : lo)) cp.weight[static_cast<unsigned char>(letter)] = next++;
    } else if (!listed[c]) {
      cp.weight[c] = next++;
    }
  }
  return cp;
}

const CodePage* g_current = nullptr;

}  // namespace

const CodePage& CodePageEn() {
  static const CodePage cp = Build("EN", kEnUpper, kEnLower);
  return cp;
}

const CodePage& CodePageEsWin() {
  static const CodePage cp = Build("ESWIN", kEsWinUpper, kEsWinLower);
  return cp;
}

const CodePage* FindCodePage(std::string_view id) {
  auto same = [&](std::string_view name) {
    return std::equal(id.begin(), id.end(), name.begin(), name.end(),
                      [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
  };
  if (same("EN")) return &CodePageEn();
  if (same("ESWIN")) return &CodePageEsWin();
  return nullptr;
}

const CodePage& CurrentCodePage() { return g_current ? *g_current : CodePageEn(); }

std::string SetCodePage(std::string_view id) {
  const CodePage* cp = FindCodePage(id);
  if (!cp) return "";
  std::string previous = CurrentCodePage().id;
  g_current = cp;
  return previous;
}

std::string Upper(const CodePage& cp, std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(cp.upper[static_cast<unsigned char>(c)]);
  return out;
}

std::string Lower(const CodePage& cp, std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(cp.lower[static_cast<unsigned char>(c)]);
  return out;
}

int CollateBytes(const CodePage& cp, const unsigned char* a, const unsigned char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return cp.weight[a[i]] < cp.weight[b[i]] ? -1 : 1;
  }
  return 0;
}

int Collate(const CodePage& cp, std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  const int r = CollateBytes(cp, reinterpret_cast<const unsigned char*>(a.data()),
                             reinterpret_cast<const unsigned char*>(b.data()), n);
  if (r != 0) return r;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string AnsiToOem(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(kAnsiToOem850[static_cast<unsigned char>(c)]);
  return out;
}

std::string OemToAnsi(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(kOem850ToAnsi[static_cast<unsigned char>(c)]);
  return out;
}

}  // namespace xb
