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

#include <string>
#include <vector>

#include "app/org/error_table.h"
#include "app/org/org_environment.h"
#include "app/org/organisation_state.h"
#include "app/program/organisation_functions.h"
#include "app/program/progress_dialog.h"
#include "app/tools/bench/bench_tree.h"
#include "app/tools/console_text.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/dialog_answerer.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_functions.h"

using app::bench::Clock;
using app::bench::Since;

int main(int argc, char** argv) {
  app::bench::BenchTree bench;
  if (!app::bench::ReadBenchArgs(argc, argv, "organise_program_bench", &bench)) return 2;
  ui::InitWindowFramework();
  ui::InitControls();
  if (!ui::SetResources("VDRE.DLL")) {
    app::Say(stderr, "No se encuentra VDRE.DLL\n");
    return 1;
  }
  app::InitOrganisationEnvironment();
  data::RegisterProgramSettings();
  app::RegisterOrganisationWindowFunctions();
  data::InstallWindowedDataUi();

  if (!app::bench::PrepareBenchTree("vdr_organise_program_bench", &bench)) return 1;
  const std::string tmp = (bench.work / "TMP" / "").string();

  data::cPathStart((bench.work / "DBF" / "").string());
  data::dSetDate(bench.options.today);
  data::NetUseOptions exclusive;
  exclusive.exclusive = true;
  exclusive.alias = "Empresa";
  if (!data::lNetUse(data::cPathStart() + "Empresa", exclusive) || !app::CreateErrorTable(tmp) || !app::OpenErrorTable(tmp)) {
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
  const auto t = Clock::now();
  app::IndexAll(nullptr);
  const double total = Since(t);
  const double from_start_button = pressed == Clock::time_point{} ? -1 : Since(pressed);

  const std::vector<std::string> errors = app::ErrorLines();
  app::Say(stdout, "empresa 01: %llu ficheros, %.1f MB\n", static_cast<unsigned long long>(bench.files),
           static_cast<double>(bench.bytes) / 1e6);
  app::Say(stdout, "copia de la carpeta (std::filesystem): %.2f s\n", bench.copy_seconds);
  if (from_start_button >= 0)
    app::Say(stdout, "diálogo abierto en %.2f s; desde \"Comenzar\" hasta el cierre %.2f s\n", total - from_start_button,
             from_start_button);
  app::Say(stdout, "organización desde el diálogo, todas las opciones: %.2f s (%s, %d errores)\n", total,
           app::OrganisationDone() ? "terminada" : "sin terminar", static_cast<int>(errors.size()));
  for (const std::string& line : errors) app::Say(stdout, "  %s\n", line.c_str());
  xb::rdd::WorkAreas::Get().CloseAll();
  app::bench::RemoveBenchTree(bench);
  return 0;
}
