// The organisation's events as the program reports them: a table that does not open gives
// the message that LNETUSE gives for its cause and one line in the error table; a skipped
// recomputation gives one line; the start folder is re-indexed by SDEINDEX. The progress
// dialog adds its label, meters and message pump on top.
#pragma once

#include <string>

#include "app/org/organiser_events.h"

namespace app {

class ReportingEvents : public OrganiserEvents {
 public:
  // The company whose organisation is reported (its code starts each line).
  void SetCompany(std::string code) { company_ = std::move(code); }
  const std::string& company() const { return company_; }

  void TableFailed(const TableFailure& failure) override;
  void Skipped(std::string_view what, std::string_view why) override;
  void ReindexStartFolder(const std::string& start_folder) override;

  // The error-table line of a failure or a skipped recomputation.
  std::string FailureLine(const TableFailure& failure) const;
  std::string SkippedLine(std::string_view why) const;

 private:
  std::string company_;
};

}  // namespace app
