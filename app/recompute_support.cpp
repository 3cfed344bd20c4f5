#include "app/recompute_support.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "runtime/number.h"

namespace app {

bool TableSet::Open(const std::string& folder, std::initializer_list<std::string_view> tables,
                    OrganiserEvents& events) {
  Close();
  for (std::string_view name : tables) {
    auto table = std::make_unique<OrgTable>();
    TableFailure failure;
    if (!table->Open(folder, name, &failure)) {
      events.TableFailed(failure);
      Close();
      return false;
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

ArticleIndex::ArticleIndex(OrgTable& articles, OrgTable* kits) {
  const int ref = articles.Field("CREF"), kit_flag = articles.Field("LKIT");
  std::vector<std::string> kit_refs;
  const std::uint32_t count = articles.RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r) {
    if (!articles.GoToLive(r)) continue;
    std::string key = UpperText(TrimRight(articles.Text(ref)));
    if (key.empty() || articles_.count(key)) continue;
    Entry e;
    e.article = r;
    if (articles.Log(kit_flag)) kit_refs.push_back(key);
    else e.parts.push_back({r, 1.0});
    articles_.emplace(std::move(key), std::move(e));
  }
  if (!kits || kit_refs.empty()) return;
  const int kit_ref = kits->Field("CREF"), kit_comp = kits->Field("CREFCOMP"), kit_qty = kits->Field("NCANTIDAD");
  std::unordered_map<std::string, std::vector<Part>> components;
  for (const std::string& k : kit_refs) components[k];
  const std::uint32_t kit_count = kits->RecordCount();
  for (std::uint32_t r = 1; r <= kit_count; ++r) {
    if (!kits->GoToLive(r)) continue;
    auto it = components.find(UpperText(TrimRight(kits->Text(kit_ref))));
    if (it == components.end()) continue;
    const Entry* component = Lookup(kits->Text(kit_comp));
    if (component && component->article) it->second.push_back({component->article, kits->Num(kit_qty)});
  }
  for (auto& [key, parts] : components) articles_[key].parts = std::move(parts);
}

const ArticleIndex::Entry* ArticleIndex::Lookup(std::string_view reference) const {
  key_ = UpperText(TrimRight(reference));
  if (key_.empty()) return nullptr;
  auto it = articles_.find(key_);
  return it == articles_.end() ? nullptr : &it->second;
}

std::uint32_t ArticleIndex::Find(std::string_view reference) const {
  const Entry* e = Lookup(reference);
  return e ? e->article : 0;
}

const std::vector<ArticleIndex::Part>& ArticleIndex::Parts(std::string_view reference) const {
  const Entry* e = Lookup(reference);
  return e ? e->parts : none_;
}

std::string DocumentKey(std::string_view serie, double number) {
  char digits[32];
  digits[0] = '|';
  char* end = digits + 1;
  if (std::fabs(number) < 9e15 && number == std::trunc(number))
    end = std::to_chars(digits + 1, digits + sizeof digits, static_cast<std::int64_t>(number)).ptr;
  else
    end = digits + 1 + std::snprintf(digits + 1, sizeof digits - 1, "%.6f", number);
  std::string key(serie);
  key.append(digits, end);
  return key;
}

std::string StrOf(double n, int width) { return xb::NumberToStr(xb::Value::Double(n, 0), width); }

}  // namespace app
