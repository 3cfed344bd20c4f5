#include "reports/win/direct_list_progress.h"

#include <windows.h>

#include "output/preview_library.h"
#include "output/report_progress.h"
#include "reports/win/tdtreport.h"
#include "ui/bridge/message_loop.h"
#include "ui/core/tdialog.h"

namespace reports {
namespace {

// A TDTReport whose play is the listing's: the dialog plays it when it shows.
class ListingReport : public TDTReport {
 public:
  std::function<void()> bPlay;

  void Play() override {
    if (auto* dialog = dynamic_cast<ui::TDialog*>(oRptWnd.get()); dialog != nullptr && dialog->hWnd != nullptr)
      SetWindowTextA(dialog->hWnd, cName.c_str());
    bPlay();
  }
};

class ListingProgress : public RunProgress {
 public:
  explicit ListingProgress(ListingReport* report) : report_(report) {}
  void Done(Step) override {}
  void SetTotal(long) override {}
  void SetPos(long) override {}
  void Page(int page) override {
    if (report_ != nullptr) output::ReportProgressPage(*report_, page);
  }
  bool Cancelled() override {
    if (report_ == nullptr) return false;
    ui::SysRefresh();
    return report_->lBreak;
  }

 private:
  ListingReport* report_;
};

}  // namespace

void PlayWithListProgress(ReportDevice& device, const std::string& document,
                          const std::function<void(RunProgress&)>& play) {
  auto report = xb::MakeRef<ListingReport>();
  report->cName = document.empty() ? std::string("Listado QZ") : document;
  ListingProgress progress(report.get());
  bool played = false;
  report->bPlay = [&] {
    played = true;
    play(progress);
  };
  {
    output::PreviewLibrary library;
    if (library.loaded())
      output::RunWithProgress(*report, device.IsScreen() ? "PREVIEW_PROC" : "PRINT_PROC", library.module());
  }
  if (!played && !report->lBreak) {
    ListingProgress none(nullptr);
    play(none);
  }
}

}  // namespace reports
