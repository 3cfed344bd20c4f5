// The organisation's events as the program reports them: a table that does not open gives
// the message that LNETUSE gives for its cause and one line in the error table (one per
// table and cause); a skipped recomputation, a damage mended and a number that did not fit
// give one line; the start folder is re-indexed by SDEINDEX, whose messages become lines
// too: a table missing there stops nothing. The progress dialog adds its label, meters and
// message pump on top.
#pragma once

#include <string>

#include "app/org/organiser_events.h"

namespace app {

class ReportingEvents : public OrganiserEvents {
 public:
  // The company whose organisation is reported (its code starts each line).
  void SetCompany(std::string code) { company_ = std::move(code); }
  const std::string& company() const { return company_; }

  // Whether a failure already in the error table shows its message again (the window's
  // way: each row of the table tries and tells); a run nobody watches tells it once.
  void SetRepeatMessages(bool repeat) { repeat_messages_ = repeat; }

  void TableFailed(const TableFailure& failure) override;
  void Skipped(std::string_view what, std::string_view why) override;
  void Noted(std::string_view text) override;
  void ReindexStartFolder(const std::string& start_folder) override;

  // The error-table line of a failure, a skipped recomputation or a note.
  std::string FailureLine(const TableFailure& failure) const;
  std::string SkippedLine(std::string_view why) const;

 private:
  std::string company_;
  bool repeat_messages_ = true;
};

}  // namespace app
