// The record the stand-ins keep of what they were asked, and the failures tests plan for them.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace contenda::standins {

// Calls read "<object>.<member>" followed by "(arguments)" for methods or " = value" for
// property puts; a property get is the bare member. A call's member is its text up to the
// argument list or the assignment: the key that planned failures use.
class CallJournal {
 public:
  static CallJournal& Instance();

  // Records `call` and answers the failure planned for its member, else S_OK.
  HRESULT Record(const std::string& call, LCID lcid = 0);
  // The failure planned for `member`, else S_OK; nothing is recorded.
  HRESULT PlannedFailure(const std::string& member) const;

  // Makes every call of `member` fail with `hr` from now on. With `as_exception` an
  // automation call reports it as a server exception (DISP_E_EXCEPTION carrying `hr`).
  void Fail(const std::string& member, HRESULT hr, bool as_exception = false);
  bool FailsAsException(const std::string& member) const;

  const std::vector<std::string>& calls() const { return calls_; }
  // The calls whose text starts with `prefix`, in order.
  std::vector<std::string> CallsOf(std::string_view prefix) const;
  // The locale of the first call recorded as `call`; -1 when there was none.
  long LcidOf(std::string_view call) const;
  // Forgets calls and planned failures.
  void Reset();

  static std::string MemberOf(std::string_view call);

 private:
  struct Failure {
    HRESULT hr;
    bool as_exception;
  };
  std::vector<std::string> calls_;
  std::vector<LCID> lcids_;
  std::map<std::string, Failure, std::less<>> failures_;
};

inline CallJournal& Journal() { return CallJournal::Instance(); }

}  // namespace contenda::standins
