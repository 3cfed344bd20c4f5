#include "reports/bench/report_bench_win.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "output/output.h"
#include "output/preview.h"
#include "reports/report_run.h"
#include "reports/win/report_page_device.h"
#include "reports/win/report_run_dialogs.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_functions.h"

namespace reports::bench {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

const char* StepName(int step) {
  switch (step) {
    case RunProgress::kAbriendo: return "abrir";
    case RunProgress::kRecogiendo: return "recoger";
    case RunProgress::kOrdenando: return "ordenar";
    case RunProgress::kCalculando: return "calcular";
    case RunProgress::kGenerando: return "generar";
    default: return "fin";
  }
}

// The run's wait dialog, timed: every call lets it paint and answer (it pumps at least every
// 50 ms of calls); the longest stretch between two calls is the one it could not.
class TimedProgress : public RunProgress {
 public:
  TimedProgress(std::unique_ptr<RunProgress> real, OutputTiming& timing) : real_(std::move(real)), timing_(timing) {}
  ~TimedProgress() override { Mark("fin"); }
  void Done(Step step) override {
    Mark(StepName(step));
    real_->Done(step);
  }
  void SetTotal(long total) override { real_->SetTotal(total); }
  void SetPos(long pos) override { real_->SetPos(pos); }
  void Page(int page) override {
    Mark("página");
    real_->Page(page);
  }
  void Printing(bool screen) override {
    Mark("páginas");
    real_->Printing(screen);
  }
  bool Cancelled() override {
    Mark("registro");
    return real_->Cancelled();
  }

 private:
  void Mark(const char* what) {
    const Clock::time_point now = Clock::now();
    const double silence = std::chrono::duration<double>(now - last_).count();
    if (silence > timing_.longest_silence) {
      timing_.longest_silence = silence;
      timing_.silence_before = what;
    }
    last_ = now;
  }
  std::unique_ptr<RunProgress> real_;
  OutputTiming& timing_;
  Clock::time_point last_ = Clock::now();
};

OutputTiming* g_timing = nullptr;

// The last bytes of a file ("" when it cannot be read).
std::string Tail(const std::string& path, std::size_t n) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  const std::streamoff from = size > static_cast<std::streamoff>(n) ? size - static_cast<std::streamoff>(n) : 0;
  in.seekg(from);
  std::string tail(static_cast<std::size_t>(size - from), '\0');
  in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
  return tail;
}

}  // namespace

bool InitWindowedOutputs(std::string* error) {
  ui::InitWindowFramework();
  if (ui::SetResources("VDRE.DLL") == nullptr) {
    *error = "no se pudo cargar VDRE.DLL";
    return false;
  }
  ui::InitControls();
  output::InitOutput();
  ui::PrinterInit();
  InstallReportOutputs();
  InstallRunDialogs();
  ReportRunHook hook = CurrentReportRunHook();
  hook.wait_dialog = [] {
    std::unique_ptr<RunProgress> real = OpenRunProgress();
    if (g_timing == nullptr) return real;
    return std::unique_ptr<RunProgress>(std::make_unique<TimedProgress>(std::move(real), *g_timing));
  };
  SetReportRunHook(hook);
  return true;
}

OutputTiming RunOutput(const std::string& report, const std::string& output, const std::string& folder) {
  OutputTiming timing;
  g_timing = &timing;
  TInforme inf;
  Clock::time_point start = Clock::now();
  if (output == "impresora") {
    vdr::test::RunTestPrinter("install");
    vdr::test::PrinterOutput ps("report_bench");
    inf.oStDestino = {.nDestino = 1, .lPreview = false};
    start = Clock::now();
    timing.printed = inf.RunInforme(report);
    timing.seconds = Since(start);
    // The spooler hands the job to its port after the run: the file whole ends with %%EOF.
    const Clock::time_point spooled = Clock::now();
    while (Since(spooled) < 600 && Tail(ps.path(), 64).find("%%EOF") == std::string::npos) Sleep(100);
    std::error_code ignored;
    timing.note = "PostScript de " + std::to_string(std::filesystem::file_size(ps.path(), ignored) >> 20) +
                  " MB entero " + std::to_string(static_cast<int>(Since(spooled) + 0.5)) + " s después";
  } else if (output == "vista") {
    // The preview is closed as soon as it shows; the time is until then.
    static Clock::time_point shown;
    static std::string label;
    shown = {};
    label.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
      output::Preview* preview = output::Preview::Open();
      if (preview == nullptr || !label.empty()) return;
      shown = Clock::now();
      label = preview->PageLabel();
      preview->window()->End();
    });
    inf.oStDestino = {.nDestino = 1, .lPreview = true};
    timing.printed = inf.RunInforme(report);
    KillTimer(nullptr, timer);
    timing.seconds = label.empty() ? Since(start) : std::chrono::duration<double>(shown - start).count();
    timing.note = label.empty() ? "la vista previa no se mostró" : "mostró \"" + label + "\"";
  } else if (output == "html") {
    const std::string pages = folder + "\\html\\";
    std::error_code ignored;
    std::filesystem::remove_all(pages, ignored);
    std::filesystem::create_directories(pages, ignored);
    vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
      if (d.title != "Destino del Listado/Informe.") return 0;
      SetDlgItemTextA(d.hwnd, 100, pages.c_str());
      SetDlgItemTextA(d.hwnd, 101, "escala");
      SetDlgItemTextA(d.hwnd, 102, "indice");
      for (int id : {300, 301, 302}) CheckDlgButton(d.hwnd, id, BST_UNCHECKED);
      return 400;
    });
    inf.oStDestino = {.nDestino = 3, .lPreview = true};
    timing.printed = inf.RunInforme(report);
    timing.seconds = Since(start);
    std::uintmax_t files = 0, bytes = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(pages, ignored)) {
      if (!entry.is_regular_file()) continue;
      ++files;
      bytes += entry.file_size();
    }
    timing.note = std::to_string(files) + " ficheros, " + std::to_string(bytes >> 20) + " MB";
  } else {
    timing.note = "salida desconocida";
  }
  g_timing = nullptr;
  return timing;
}

}  // namespace reports::bench
