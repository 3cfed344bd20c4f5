#include "app/program/vdr_program.h"

#include <windows.h>
#include <imm.h>

#include "app/org/company_loop.h"
#include "app/org/company_table.h"
#include "app/org/error_table.h"
#include "app/org/org_environment.h"
#include "app/org/organisation_state.h"
#include "app/org/phase_marks.h"
#include "app/program/company_search.h"
#include "app/program/company_window.h"
#include "app/program/organisation_functions.h"
#include "app/program/run_log.h"
#include "app/program/version_import.h"
#include "data/data_functions.h"
#include "data/data_ui.h"
#include "data/program_folder.h"
#include "data/program_settings.h"
#include "data/win/windowed_data_ui.h"
#include "output/output.h"
#include "reports/report_functions.h"
#include "reports/win/report_window_functions.h"
#include "runtime/function_table.h"
#include "runtime/lib/files.h"
#include "runtime/lib/os_files.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/login.h"
#include "services/services.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "ui/bridge/image_strip.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_functions.h"
#include "ui/core/error_handler.h"

namespace app {
namespace {

using xb::Value;

constexpr const char* kResourceLibrary = "VDRE.DLL";
constexpr const char* kStartFolder = "..\\DBF\\";
constexpr const char* kVersionTableFile = "..\\DBF\\VerVDRe.Dbf";

constexpr const char* kTempFolder = "..\\TMP\\";

// Parameter mode: nobody watches. What a box would say goes to the run's log and, unless the
// code showing it writes its own line, to the error table; the box takes its default answer.
class Unattended {
 public:
  explicit Unattended(const std::string& code)
      : log_(std::string(kTempFolder) + std::string(kRunLogName), [code = std::string(xb::AllTrim(code))] {
          const std::string current = data::cCodEmpresa();
          return current.empty() ? code : current;
        }) {
    xb::os::MakeDir(kTempFolder);
    ui::SetUnattended([this](std::string_view title, std::string_view text) {
      log_.Write(std::string(title) + ": " + std::string(text));
      if (LinedMessages::active()) return;
      const std::size_t end = text.find_first_of("\r\n;");
      AddErrorLine(log_.LineText(text.substr(0, end)), /*told=*/true);
    });
    SetErrorLineListener([this](std::string_view line) { log_.WriteErrorLine(line); });
  }
  ~Unattended() {
    SetErrorLineListener({});
    ui::SetUnattended({});
  }
  Unattended(const Unattended&) = delete;
  Unattended& operator=(const Unattended&) = delete;

  int lines() const { return log_.lines(); }

 private:
  RunLog log_;
};

CompanyPictures LoadCompanyPictures() {
  ui::ImageStrip& strip = ui::ImageStrip::Shared();
  CompanyPictures p;
  p.free = strip.Load("BMPVERDE");
  p.busy = strip.Load("BMPROJO");
  p.checked = strip.Load("BMPCHECKED");
  p.unchecked = strip.Load("BMPUNCHECKED");
  return p;
}

void CloseCompanyTable() {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  if (const int area = areas.AreaOfAlias(kCompanyTableAlias)) areas.Area(area)->Close();
}

// Steps 9 to 12: the company table, the error table and the window. False when the company
// table, the first company's `Claves` or `Divisas` (or the error table) could not be opened.
struct WindowRun {
  bool company_table_failed = false;
  bool company_table_missing = false;  // its message said so: nothing more to add
  bool window_shown = false;
  bool errors = false;                 // the error table got lines
};

WindowRun RunOrganisationWindow(const std::optional<std::string>& code) {
  WindowRun run;
  switch (OpenCompanyTable(data::cPathStart())) {
    case CompanyTableOpen::kFailed:
      run.company_table_failed = true;
      run.company_table_missing = !xb::FileExists(data::cPathStart() + std::string(kCompanyTableAlias) + ".dbf");
      break;
    case CompanyTableOpen::kSettingsMissing:
      run.company_table_failed = run.company_table_missing = true;
      break;
    case CompanyTableOpen::kSettingsInUse: run.company_table_failed = true; break;
    case CompanyTableOpen::kOpened:
    case CompanyTableOpen::kIndexRebuilt: break;
  }
  if (run.company_table_failed) {
    SetParameterMode(false);
    return run;
  }
  CreateErrorTable(data::cPathTmp());
  if (!OpenErrorTable(data::cPathTmp())) return run;

  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea* companies = areas.Area(areas.AreaOfAlias(kCompanyTableAlias));
  areas.SelectArea(companies->number());
  ResetSelection(companies->RecordCount());
  companies->GoTop();

  const CompanyPictures pictures = LoadCompanyPictures();
  {
    CompanyWindow window(pictures, code.value_or(""));
    run.window_shown = true;
    window.Run();
  }
  run.errors = ErrorLineCount() > 0;
  CloseErrorTable();
  return run;
}

}  // namespace

void StartProgramRuntime() {
  InitOrganisationEnvironment();
  ui::InitWindowFramework();
  ui::InitControls();
  data::RegisterDataFunctions();
  RegisterCompanyTableFunctions();
  RegisterOrganisationWindowFunctions();
  RegisterCompanyWindowFunctions();
  RegisterCompanySearchFunctions();  // after the controls' LKEYPUSH and CHGGET
  svc::RegisterServiceFunctions();
  data::InstallWindowedDataUi();
  reports::RegisterReportFunctions();
  reports::RegisterReportWindowFunctions();
  output::InitOutput();
  ui::ErrorSys();
  xb::CallFunction("HB_LANGSELECT", {Value::String("ES")});
}

int Main(const std::optional<std::string>& code) {
  // Every folder below counts from the program's own, whatever folder it was started in (a
  // scheduled run starts in the system's): the log, the company folders, the version table.
  if (const std::string folder = data::ProgramFolder(); !folder.empty()) xb::os::ChangeDir(folder);
  // In parameter mode nobody types: the thread needs no input method, whose window comes
  // with the first window and starts COM when that window is first activated.
  if (code) ImmDisableIME(0);
  StartProgramRuntime();
  std::optional<Unattended> unattended;
  if (code) unattended.emplace(*code);

  // 1-3: network mode, the resource library, the table driver (set by the environment).
  const bool network = xb::FileExists(kVersionTableFile);
  if (!ui::SetResources(kResourceLibrary)) {
    // Without it no dialog, picture or menu of the program can show.
    ui::NMsgBox(Value::String("No se encuentra la librería de recursos VDRE.DLL"), "Error");
    return kExitFailed;
  }

  // 4: companies to organise.
  if (nHayEmpresas() <= 1) {
    data::Ui().MsgAlert("No existen empresas. Proceso no autorizado", "Atención");
    return kExitFailed;
  }

  // 5-7: folders and settings.
  xb::os::MakeDir(".\\TMP");
  data::cPathTmp(".\\TMP\\");
  data::cPathStart(kStartFolder);
  SetParameterMode(code.has_value());
  data::Arranque(kStartFolder, network);
  data::cPathTmp("..\\TMP\\");
  data::cPathStart(kStartFolder);
  data::cPathExe(".\\");
  data::cPathInforme("..\\INF\\");
  xb::os::MakeDir("..\\TMP");
  if (ParameterMode()) {
    svc::cCodUser("00");
    svc::cCodUsuario("00");
  }

  // 8: the version file.
  ImportVersionFile(data::cPathExe(), data::cPathStart());

  // 9-12.
  const bool parameter_mode = ParameterMode();
  const WindowRun run = RunOrganisationWindow(code);

  // 13: cleanup and the end message.
  CloseCompanyTable();
  EraseErrorTable(data::cPathTmp());
  if (run.company_table_failed && !run.company_table_missing) {
    data::Ui().MsgStop(data::JoinLines({"No se ha podido abrir el fichero de Empresas", "de forma exclusiva. ",
                                        "Para realizar este proceso no puede haber ningún",
                                        "Usuario trabajando en Vendaro"}),
                       "Error");
  } else if (!parameter_mode && OrganisationDone() && !run.errors) {
    // After the error list, which said what went wrong, it would say the opposite.
    ui::NMsgBox(Value::String("Organización de empresas realizada"), "Proceso Finalizado");
  }

  // 14: pictures, log-out and the closing step.
  ui::ImageStrip::Shared().Clear();
  svc::Logout();
  svc::Cierre();
  MarkPhase("fin");

  if (run.company_table_failed || !run.window_shown || run.errors) return kExitFailed;
  if (parameter_mode && (!OrganisationDone() || unattended->lines() > 0)) return kExitFailed;
  return kExitOk;
}

}  // namespace app
