#include "app/org/recompute_support.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/org/index_catalogue.h"
#include "runtime/codepage.h"
#include "runtime/number.h"
#include "runtime/rdd/workareas.h"

namespace app {

bool KeysName(std::string_view table, std::span<const std::string_view> fields) {
  const xb::CodePage& cp = xb::CodePageEn();
  for (const CatalogueRow& row : RowsOfTable(table)) {
    const std::string_view key = row.key;
    for (std::size_t i = 0; i < key.size();) {
      const auto c = static_cast<unsigned char>(key[i]);
      if (!std::isalpha(c) && c != '_') {
        ++i;
        continue;
      }
      const std::size_t start = i;
      while (i < key.size() && (std::isalnum(static_cast<unsigned char>(key[i])) || key[i] == '_')) ++i;
      const std::string name = xb::Upper(cp, key.substr(start, i - start));
      for (std::string_view field : fields)
        if (name == xb::Upper(cp, field)) return true;
    }
  }
  return false;
}

bool TableSet::Open(const std::string& folder, std::initializer_list<std::string_view> tables,
                    OrganiserEvents& events, std::initializer_list<std::string_view> rebuilt) {
  return OpenAll(folder, tables, events, false, {}, rebuilt);
}

bool TableSet::OpenByRecord(const std::string& folder, std::initializer_list<std::string_view> tables,
                            OrganiserEvents& events, std::initializer_list<Written> written,
                            std::initializer_list<std::string_view> rebuilt) {
  return OpenAll(folder, tables, events, true, written, rebuilt);
}

bool TableSet::OpenAll(const std::string& folder, std::initializer_list<std::string_view> tables,
                       OrganiserEvents& events, bool by_record, std::initializer_list<Written> written,
                       std::initializer_list<std::string_view> rebuilt) {
  Close();
  for (std::string_view name : tables) {
    auto table = std::make_unique<OrgTable>();
    const bool erased = std::find(rebuilt.begin(), rebuilt.end(), name) != rebuilt.end();
    const bool indexed = !erased && (!by_record || std::any_of(written.begin(), written.end(), [&](const Written& w) {
                                       return w.table == name && KeysName(name, w.fields);
                                     }));
    TableFailure failure;
    if (!table->Open(folder, name, &failure, indexed)) {
      events.TableFailed(failure);
      Close();
      return false;
    }
    if (erased) {
      // A stale index must not outlive the table written without it.
      xb::rdd::FileSystem& fs = xb::rdd::WorkAreas::Get().file_system();
      const std::string bag = table->area().StructuralBagPath();
      const xb::rdd::Status removed = fs.Exists(bag) ? fs.Remove(bag) : xb::rdd::Status();
      if (!removed.ok()) {
        events.TableFailed({std::string(name), bag, removed.os_code(), removed.message()});
        Close();
        return false;
      }
    }
    if (table->area().OrderCount() > 0) table->SetOrder(1);
    tables_.push_back(std::move(table));
  }
  return true;
}

OrgTable& TableSet::operator[](std::string_view table) {
  for (auto& t : tables_)
    if (t->name() == table) return *t;
  static OrgTable none;
  return none;
}

void TableSet::Close() {
  // Closed in the reverse order of opening.
  while (!tables_.empty()) tables_.pop_back();
}

MeterPass::MeterPass(OrganiserEvents& events, int meter, std::uint32_t total)
    : events_(events), meter_(meter), total_(total) {}

void MeterPass::Step() {
  ++done_;
  const int percent = total_ ? static_cast<int>(static_cast<std::uint64_t>(done_) * 100 / total_) : 100;
  if (percent == shown_) return;
  shown_ = percent;
  events_.Meter(meter_, percent);
  events_.Pump();
}

bool NumberFit::Put(OrgTable& t, int pos, double value, std::string_view key) {
  if (!pos) return false;
  if (!t.Fits(pos, value)) {
    Overflow(t, pos, value, key);
    return false;
  }
  return t.PutNum(pos, value);
}

void NumberFit::Overflow(const OrgTable& t, int pos, double value, std::string_view key) {
  ++overflows_;
  if (!events_ || told_ >= kToldOverflows) return;
  ++told_;
  char number[64];
  std::snprintf(number, sizeof number, "%.*f", t.FieldDecimals(pos), value);
  if (std::strlen(number) > 18) std::snprintf(number, sizeof number, "%.6e", value);
  events_->Noted(table_ + " " + std::string(TrimRight(key)) + " " + std::string(t.FieldName(pos)) + " " + number +
                 " no cabe");
}

void NumberFit::Finish() {
  if (events_ && overflows_ > told_)
    events_->Noted(table_ + ": " + std::to_string(overflows_ - told_) + " números más no caben en su campo");
  overflows_ = told_ = 0;
}

ArticleIndex::ArticleIndex(OrgTable& articles, OrgTable* kits) : code_page_(xb::CurrentCodePage()) {
  const int ref = articles.Field("CREF"), kit_flag = articles.Field("LKIT");
  const std::uint32_t count = articles.RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r) {
    if (!articles.GoToLive(r)) continue;
    const std::string_view key = KeyOf(articles.Text(ref));
    if (key.empty()) continue;
    const bool kit = articles.Log(kit_flag);
    const auto found = static_cast<std::uint32_t>(kit ? kKit | kits_.size() : parts_.size());
    if (keys_.Insert(key, found) != found) continue;  // the first record of a reference
    if (kit) kits_.push_back({r, 0, 0});
    else parts_.push_back({r, 1.0});
  }
  if (!kits || kits_.empty()) return;
  std::vector<std::vector<Part>> components(kits_.size());
  const int kit_ref = kits->Field("CREF"), kit_comp = kits->Field("CREFCOMP"), kit_qty = kits->Field("NCANTIDAD");
  const std::uint32_t kit_count = kits->RecordCount();
  for (std::uint32_t r = 1; r <= kit_count; ++r) {
    if (!kits->GoToLive(r)) continue;
    const std::uint32_t kit = keys_.Find(KeyOf(kits->Text(kit_ref)));
    if (kit == FlatKeyMap::kNone || !(kit & kKit)) continue;
    const std::uint32_t component = Lookup(kits->Text(kit_comp));
    if (component != FlatKeyMap::kNone) components[kit & ~kKit].push_back({ArticleOf(component), kits->Num(kit_qty)});
  }
  for (std::size_t k = 0; k < kits_.size(); ++k) {
    kits_[k].first = static_cast<std::uint32_t>(parts_.size());
    kits_[k].count = static_cast<std::uint32_t>(components[k].size());
    parts_.insert(parts_.end(), components[k].begin(), components[k].end());
  }
}

std::string_view ArticleIndex::KeyOf(std::string_view reference) const {
  reference = TrimRight(reference);
  key_.resize(reference.size());
  for (std::size_t i = 0; i < reference.size(); ++i)
    key_[i] = static_cast<char>(xb::UpperChar(code_page_, static_cast<unsigned char>(reference[i])));
  return key_;
}

std::uint32_t ArticleIndex::Lookup(std::string_view reference) const {
  const std::string_view key = KeyOf(reference);
  return key.empty() ? FlatKeyMap::kNone : keys_.Find(key);
}

std::uint32_t ArticleIndex::Find(std::string_view reference) const {
  const std::uint32_t found = Lookup(reference);
  return found == FlatKeyMap::kNone ? 0 : ArticleOf(found);
}

std::span<const ArticleIndex::Part> ArticleIndex::Parts(std::string_view reference) const {
  const std::uint32_t found = Lookup(reference);
  if (found == FlatKeyMap::kNone) return {};
  if (!(found & kKit)) return {&parts_[found], 1};
  const Kit& kit = kits_[found & ~kKit];
  return {parts_.data() + kit.first, kit.count};
}

std::string DocumentKey(std::string_view serie, double number) {
  std::string key;
  DocumentKey(serie, number, &key);
  return key;
}

void DocumentKey(std::string_view serie, double number, std::string* key) {
  char digits[32];
  digits[0] = '|';
  char* end = digits + 1;
  if (std::fabs(number) < 9e15 && number == std::trunc(number))
    end = std::to_chars(digits + 1, digits + sizeof digits, static_cast<std::int64_t>(number)).ptr;
  else
    end = digits + 1 + std::snprintf(digits + 1, sizeof digits - 1, "%.6f", number);
  key->assign(serie);
  key->append(digits, end);
}

std::string StrOf(double n, int width) { return xb::NumberToStr(xb::Value::Double(n, 0), width); }

}  // namespace app
