#include "runtime/rdd/workareas.h"

#include "runtime/symbol.h"

namespace xb::rdd {

WorkAreas::WorkAreas() : fs_(&RealFileSystem()) {}

WorkAreas& WorkAreas::Get() {
  static WorkAreas areas;
  return areas;
}

WorkArea* WorkAreas::Area(int number) {
  if (number < 1 || number > kMaxAreas) return nullptr;
  if (static_cast<std::size_t>(number) > areas_.size()) areas_.resize(static_cast<std::size_t>(number));
  auto& slot = areas_[static_cast<std::size_t>(number - 1)];
  if (!slot) slot = std::make_unique<WorkArea>(number);
  return slot.get();
}

int WorkAreas::FirstFreeArea() {
  for (std::size_t i = 0; i < areas_.size(); ++i)
    if (!areas_[i] || !areas_[i]->used()) return static_cast<int>(i + 1);
  return areas_.size() < static_cast<std::size_t>(kMaxAreas) ? static_cast<int>(areas_.size() + 1) : 0;
}

int WorkAreas::SelectArea(int area) {
  const int previous = current_;
  if (area == 0) area = FirstFreeArea();
  if (area >= 1 && area <= kMaxAreas) current_ = area;
  return previous;
}

int WorkAreas::AreaOfAlias(std::string_view alias) {
  std::string upper = UpperName(alias);
  while (!upper.empty() && upper.back() == ' ') upper.pop_back();
  while (!upper.empty() && upper.front() == ' ') upper.erase(upper.begin());
  if (upper.empty()) return 0;
  for (const auto& a : areas_)
    if (a && a->used() && a->alias() == upper) return a->number();
  return 0;
}

int WorkAreas::Resolve(const Value& v) {
  if (v.IsNumber()) {
    const std::int64_t n = v.AsInt();
    return n >= 1 && n <= kMaxAreas ? static_cast<int>(n) : 0;
  }
  if (!v.IsString()) return 0;
  return AreaOfAlias(v.AsString());
}

int WorkAreas::FieldPos(int area, std::string_view upper_name) {
  WorkArea* a = Area(area);
  return a ? a->FieldPos(upper_name) : 0;
}

std::uint64_t WorkAreas::AreaStamp(int area) {
  WorkArea* a = Area(area);
  return a ? a->stamp() : 0;
}

Value WorkAreas::GetField(int area, int pos) {
  WorkArea* a = Area(area);
  return a ? a->GetField(pos) : Value();
}

bool WorkAreas::AppendField(int area, int pos, std::string& out, Value& other) {
  if (WorkArea* a = Area(area)) return a->AppendField(pos, out, other);
  other = Value();
  return false;
}

void WorkAreas::PutField(int area, int pos, const Value& v) {
  if (WorkArea* a = Area(area)) a->PutField(pos, v);
}

void WorkAreas::CloseAll() {
  for (auto& a : areas_)
    if (a) a->Close();
  current_ = 1;
}

void ResetTables() {
  WorkAreas& w = WorkAreas::Get();
  w.CloseAll();
  w.set_net_error(false);
  w.set_file_system(nullptr);
  ResetDrivers();
}

}  // namespace xb::rdd
