#include "app/org/reporting_events.h"

#include "app/org/error_table.h"
#include "data/data_ui.h"
#include "data/sde_index.h"
#include "data/table_access.h"
#include "runtime/rdd/file_system.h"

namespace app {
namespace {

std::string Cause(const TableFailure& failure) {
  switch (failure.os_code) {
    case 2: return "no existe";
    case 3: return "no existe su directorio";
    case 4: return "demasiados ficheros abiertos";
    case 5:
    case 32: return "en uso por otro usuario";
    default: return failure.description.empty() ? "no se puede abrir" : failure.description;
  }
}

}  // namespace

std::string ReportingEvents::FailureLine(const TableFailure& failure) const {
  std::string line = "Empresa " + company_ + ": " + ShortPath(failure.path) + " " + Cause(failure);
  return line.substr(0, kErrorLineWidth);
}

std::string ReportingEvents::SkippedLine(std::string_view why) const {
  std::string line = "Empresa " + company_ + ": " + std::string(why);
  return line.substr(0, kErrorLineWidth);
}

void ReportingEvents::TableFailed(const TableFailure& failure) {
  const std::string line = FailureLine(failure);
  const bool known = ErrorLineWritten(line);
  bool shown = false;
  if (!known || repeat_messages_) {
    LinedMessages lined;
    if (!data::ShowOpenFailure(failure.os_code, failure.path)) {
      data::Ui().MsgStop(data::JoinLines({"No se ha podido organizar el fichero " + ShortPath(failure.path) + ".",
                                          failure.description}),
                         "Atención");
    }
    shown = true;
  }
  AddErrorLine(line, /*told=*/shown);
}

void ReportingEvents::Skipped(std::string_view what, std::string_view why) { AddErrorLine(SkippedLine(why)); }

void ReportingEvents::Noted(std::string_view text) { AddErrorLine(SkippedLine(text)); }

namespace {

// The start folder's re-index as the organisation runs it: a table that does not open there
// is a line of the error table, like a company's; what its steps would say in a box becomes
// a line too (its first line), a question is answered as by someone giving up, and the run
// goes on.
class MessagesAsLines final : public data::DataUi {
 public:
  MessagesAsLines(data::DataUi& inner, const ReportingEvents& events) : inner_(inner), events_(events) {}
  void MsgStop(std::string_view text, std::string_view) override { Line(text); }
  void MsgAlert(std::string_view text, std::string_view) override { Line(text); }
  void MsgInfo(std::string_view text, std::string_view) override { Line(text); }
  bool TakeOpenFailure(int os_code, const std::string& file) override {
    TableFailure failure;
    failure.path = xb::rdd::PathExtension(file).empty() ? file + ".dbf" : file;
    failure.os_code = os_code;
    AddErrorLine(events_.FailureLine(failure));
    return true;
  }
  bool GiveUpLock(const std::vector<std::string>& texts) override {
    if (!texts.empty()) Line(texts.front());
    return true;
  }
  bool ConfirmDelete(bool) override { return false; }
  void RunMessages(std::uint32_t wait_ms) override { inner_.RunMessages(wait_ms); }
  std::uint32_t TickCount() override { return inner_.TickCount(); }

 private:
  void Line(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    AddErrorLine(events_.SkippedLine(text.substr(0, end)));
  }
  data::DataUi& inner_;
  const ReportingEvents& events_;
};

}  // namespace

void ReportingEvents::ReindexStartFolder(const std::string& start_folder) {
  MessagesAsLines lines(data::Ui(), *this);
  data::DataUiScope scope(&lines);
  data::SdeIndex();
}

}  // namespace app
