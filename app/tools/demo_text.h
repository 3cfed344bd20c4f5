// Spanish texts for the demo data: people and companies, articles, places, phrases, tax
// numbers and bar codes, chosen by a deterministic generator so that every run writes the
// same tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app::demo {

// splitmix64: small, fast and the same on every platform.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // 0 <= n < bound (bound > 0).
  std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
  // True with the given percent.
  bool Percent(int percent) { return Below(100) < static_cast<std::uint64_t>(percent); }
  // A value between lo and hi with `decimals` decimals.
  double Amount(double lo, double hi, int decimals);

 private:
  std::uint64_t state_;
};

// A seed from texts (FNV-1a), stable across platforms.
std::uint64_t Seed(std::string_view a, std::string_view b = {});

// Texts are Windows-1252, as the tables hold them.
std::string PersonName(Rng& rng);
std::string CompanyName(Rng& rng);
std::string ArticleName(Rng& rng);
std::string FamilyName(std::uint64_t n);
std::string Phrase(Rng& rng);
std::string Street(Rng& rng);
std::string Town(Rng& rng);
std::string ProvinceName(std::uint64_t n);
std::string Phone(Rng& rng);
std::string Dni(Rng& rng);        // 8 digits and the control letter
std::string Ean13(Rng& rng);      // 12 digits and the check digit
std::string Digits(Rng& rng, int n);
std::string Memo(Rng& rng);       // one to several lines, sometimes longer than a memo block

}  // namespace app::demo
