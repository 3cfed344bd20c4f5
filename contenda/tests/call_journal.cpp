#include "contenda/tests/call_journal.h"

namespace contenda::standins {

CallJournal& CallJournal::Instance() {
  static CallJournal journal;
  return journal;
}

std::string CallJournal::MemberOf(std::string_view call) {
  size_t end = call.find_first_of("( ");
  return std::string(call.substr(0, end));
}

HRESULT CallJournal::Record(const std::string& call, LCID lcid) {
  calls_.push_back(call);
  lcids_.push_back(lcid);
  return PlannedFailure(MemberOf(call));
}

HRESULT CallJournal::PlannedFailure(const std::string& member) const {
  auto it = failures_.find(member);
  return it == failures_.end() ? S_OK : it->second.hr;
}

void CallJournal::Fail(const std::string& member, HRESULT hr, bool as_exception) {
  failures_[member] = Failure{hr, as_exception};
}

bool CallJournal::FailsAsException(const std::string& member) const {
  auto it = failures_.find(member);
  return it != failures_.end() && it->second.as_exception;
}

std::vector<std::string> CallJournal::CallsOf(std::string_view prefix) const {
  std::vector<std::string> found;
  for (const std::string& call : calls_) {
    if (call.starts_with(prefix)) found.push_back(call);
  }
  return found;
}

long CallJournal::LcidOf(std::string_view call) const {
  for (size_t i = 0; i < calls_.size(); ++i) {
    if (calls_[i] == call) return static_cast<long>(lcids_[i]);
  }
  return -1;
}

void CallJournal::Reset() {
  calls_.clear();
  lcids_.clear();
  failures_.clear();
}

}  // namespace contenda::standins
