// The organisation of one demo company as the program runs it under Windows: the window
// framework and the resource library up, `Empresa` and the error table open, the company
// marked, the progress dialog opened, every option ticked and "Comenzar" pressed; timed until
// the dialog has closed. Measured against a plain copy of the company folder.
//
//   organise_program_bench [--registros N] [--arbol CARPETA]
//
// Without --arbol a demo tree of N records (2000000) is written to a temporary folder first
// (a tree written by vdr_demodata elsewhere is quicker to reuse). The company folder DBF01 and
// the start folder are copied to a work folder (the copy is timed) and the copy is organised.
// Run it from the build's bin folder, where VDRE.DLL is.
#include <windows.h>
// The console text's code-page conversion, not the Windows macro of the same name.
#undef AnsiToOem

#include <chrono>
#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/console_text.h"
#include "app/demo_data.h"
#include "app/error_table.h"
#include "app/org_environment.h"
#include "app/organisation_state.h"
#include "app/program_settings.h"
#include "app/table_access.h"
#include "app/win/organisation_functions.h"
#include "app/win/progress_dialog.h"
#include "app/win/windowed_data_ui.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/dialog_answerer.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_functions.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int ProcessId() {
#if defined(_WIN32)
  return static_cast<int>(_getpid());
#else
  return static_cast<int>(getpid());
#endif
}

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::uintmax_t FolderBytes(const fs::path& p, std::uintmax_t* files) {
  std::uintmax_t bytes = 0;
  for (const auto& e : fs::recursive_directory_iterator(p))
    if (e.is_regular_file()) {
      bytes += e.file_size();
      ++*files;
    }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  app::DemoOptions options;
  options.records = 2000000;
  options.small_records = 200;
  std::string tree;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--registros" && i + 1 < argc) options.records = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--arbol" && i + 1 < argc) tree = argv[++i];
    else {
      app::Say(stderr, "Uso: organise_program_bench [--registros N] [--arbol CARPETA]\n");
      return 2;
    }
  }
  ui::InitWindowFramework();
  ui::InitControls();
  if (!ui::SetResources("VDRE.DLL")) {
    app::Say(stderr, "No se encuentra VDRE.DLL\n");
    return 1;
  }
  app::InitOrganisationEnvironment();
  app::RegisterProgramSettings();
  app::RegisterOrganisationWindowFunctions();
  app::InstallWindowedDataUi();

  // A folder of this run's own: two benchmarks running at once must not share one.
  const fs::path scratch = fs::temp_directory_path() / ("vdr_organise_program_bench_" + std::to_string(ProcessId()));
  std::error_code ec;
  bool generated = false;
  if (tree.empty()) {
    generated = true;
    tree = (scratch / "demo").string();
    fs::remove_all(tree, ec);
    const auto t = Clock::now();
    app::DemoSummary summary;
    std::string error;
    if (!app::WriteDemoTree(tree, options, &summary, &error)) {
      app::Say(stderr, "%s\n", error.c_str());
      return 1;
    }
    app::Say(stdout, "datos de demostración: %llu registros en %.2f s\n",
             static_cast<unsigned long long>(summary.records), Since(t));
  }

  const fs::path work = scratch / "work";
  fs::remove_all(work, ec);
  fs::create_directories(work / "TMP");
  std::uintmax_t files = 0;
  const std::uintmax_t bytes = FolderBytes(fs::path(tree) / "DBF01", &files);
  auto t = Clock::now();
  fs::copy(fs::path(tree) / "DBF01", work / "DBF01", fs::copy_options::recursive);
  const double copy_seconds = Since(t);
  fs::copy(fs::path(tree) / "DBF", work / "DBF", fs::copy_options::recursive);

  app::cPathStart((work / "DBF" / "").string());
  app::dSetDate(options.today);
  app::NetUseOptions exclusive;
  exclusive.exclusive = true;
  exclusive.alias = "Empresa";
  if (!app::lNetUse(app::cPathStart() + "Empresa", exclusive) || !app::CreateErrorTable((work / "TMP" / "").string()) ||
      !app::OpenErrorTable((work / "TMP" / "").string())) {
    app::Say(stderr, "No se pueden abrir las empresas o la tabla de errores\n");
    return 1;
  }
  app::ResetSelection(xb::rdd::WorkAreas::Get().Current().RecordCount());
  app::MarkCompany(1, true);  // company 01

  // The user: every option ticked, then "Comenzar".
  Clock::time_point pressed{};
  vdr::test::DialogAnswerer user([&pressed](const vdr::test::SeenDialog& d) {
    if (d.title != "Organización de ficheros") return d.ButtonId("Aceptar");
    SendDlgItemMessageA(d.hwnd, 305, BM_CLICK, 0, 0);
    pressed = Clock::now();
    return 552;
  });
  t = Clock::now();
  app::IndexAll(nullptr);
  const double total = Since(t);
  const double from_start_button = pressed == Clock::time_point{} ? -1 : Since(pressed);

  const std::vector<std::string> errors = app::ErrorLines();
  app::Say(stdout, "empresa 01: %llu ficheros, %.1f MB\n", static_cast<unsigned long long>(files), static_cast<double>(bytes) / 1e6);
  app::Say(stdout, "copia de la carpeta (std::filesystem): %.2f s\n", copy_seconds);
  if (from_start_button >= 0)
    app::Say(stdout, "diálogo abierto en %.2f s; desde \"Comenzar\" hasta el cierre %.2f s\n", total - from_start_button,
             from_start_button);
  app::Say(stdout, "organización desde el diálogo, todas las opciones: %.2f s (%s, %d errores)\n", total,
           app::OrganisationDone() ? "terminada" : "sin terminar", static_cast<int>(errors.size()));
  for (const std::string& line : errors) app::Say(stdout, "  %s\n", line.c_str());
  xb::rdd::WorkAreas::Get().CloseAll();
  fs::remove_all(generated ? scratch : work, ec);
  fs::remove(scratch, ec);  // the run's own folder, empty by now
  return 0;
}
