// The run of a user report: the definition's master table and the tables it reaches are
// opened, every master record that passes the conditions is copied into a temporary work
// table whose fields are the report's columns, calculated columns are computed, the work
// table is indexed by the report's groups and order, and the banded engine prints it.
// Every exit after the temporary table exists erases it and restores the view.
//
//   TInforme inf;                        // the dictionary open (or run with lOpenDict)
//   inf.oStDestino = {.nDestino = 2, .cFileDst = "C:\\out.txt"};
//   inf.RunInforme("VENTAS");
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reports/report_device.h"
#include "runtime/block.h"
#include "runtime/value.h"

namespace reports {

class TQZReport;

// The output choice of TI_SELDESTINO.
struct StDestino {
  bool lOk = false;
  int nDestino = 1;  // 1 printer, 2 text file, 3 HTML
  bool lPreview = true;
  int nModo = 1;     // 1 normal, 2 draft
  int nCopias = 1;
  std::string cFileDst{};
  bool lShadow = false;
};

// The windowed part: the output dialog and the devices of the printer, the preview and HTML.
struct ReportRunHook {
  // Asks for the output; false: cancelled.
  std::function<bool(StDestino&, const std::string& code, const std::string& title)> sel_destino{};
  // The report list (or, with `tree`, the report tree) and the graphics tree over the
  // dictionary of `folder`.
  std::function<void(bool tree, const std::string& folder)> show_list{};
  std::function<void(const std::string& folder)> show_graphics{};
  // A printer, preview or HTML device for the choice (nullptr: none could be made).
  std::function<std::unique_ptr<ReportDevice>(const StDestino&, const std::string& document)> device{};
  // A report wider than the page: print it all the same?
  std::function<bool()> wide_question{};
  // The euro question of a report with amounts in pesetas or euros: {go on, in euros}.
  std::function<std::pair<bool, bool>()> pide_euros{};
  // The wait dialog of a run (nullptr: none).
  std::function<std::unique_ptr<class RunProgress>()> wait_dialog{};
  // Runs `play` (a direct listing) once under the progress dialog of its device, titled with
  // the document, unless the user cancels before it starts: its Page shows the page, its
  // Cancelled is true once the user cancelled.
  std::function<void(ReportDevice&, const std::string& document, const std::function<void(class RunProgress&)>& play)>
      list_progress{};
  // A run starts (true) or ends (false): the report windows' buttons are disabled, then
  // given back.
  std::function<void(bool running)> running{};
};

// The wait dialog of a run: five steps, a meter, the page printed and a cancel button.
class RunProgress {
 public:
  enum Step { kAbriendo = 1, kRecogiendo, kOrdenando, kCalculando, kGenerando };
  virtual ~RunProgress() = default;
  // The step ended (its bitmap becomes the done one).
  virtual void Done(Step step) = 0;
  virtual void SetTotal(long total) = 0;
  virtual void SetPos(long pos) = 0;
  virtual void Page(int page) = 0;
  // The pages are being made: the meter hides, the button reads "&Cancelar" on a preview and
  // "&Previsualizar" on any other device (either stops the printing).
  virtual void Printing(bool /*screen*/) {}
  // Lets the window system catch up; true when the user cancelled.
  virtual bool Cancelled() = 0;
};
void SetReportRunHook(ReportRunHook hook);
const ReportRunHook& CurrentReportRunHook();

// One column of a definition (a Columnas row).
struct ColumnDef {
  int nIdCol = 0, nTipoCol = 1, nAncho = 0, nNumDecimal = 0, nLongitud = 0, nDecimal = 0, nParametro = 0;
  int nLinea = 1, nPInicial = 0, nAnchoMax = 0;
  std::string cTitulo, cDatos, cAlineacion, cMascara, cCampo, cTipo, cCodExpr, cCampoRel, cFunDatos, cDescripc,
      cDivisa, cFuncTit;
  bool lTotal = false, lPicture = false, lImprimir = true, lIniGrupo = true;
};

// One row of Condicio (or of the conditions added by an initial-value function).
struct CondicionRow {
  std::string cTipo, cOrden, cTabla, cCampo, cValor, cFldTipo, cTextoTit, cTextoPie, cColumna, cImprime;
  int nEnlace = 0, nOperador = 0;
  std::string cParent1, cFuncion;  // only on the conditions copy
  std::string cRango;              // "A": the name of its value list
};

// The scan range an initial-value function gives: the scan starts at uDesde (soft seek, in
// order uOrden when given) and ends after the records whose field cCampo is at most uHasta.
struct DatosIni {
  std::string cCampo;
  xb::Value uDesde, uHasta, uOrden;
  bool lSet = false;
};

class TInforme {
 public:
  TInforme();
  ~TInforme();

  // RunInforme: .T. when something was printed. aParamsIn holds {code, value} pairs: a
  // character code names an expression (its parameters), a number the initial-value function
  // at that position (its parameter). A logical lEuros is the euro answer (no question then).
  bool RunInforme(const std::string& cInforme, bool lOpenDict = false, const std::string& cAliasIn = {},
                  const std::string& cCondLis = {}, int nEntorno = 0, const xb::Value& aParamsIn = {},
                  const xb::Value& lEurosIn = {});
  // EvalInicial: takes an initial-value function's result {lGo, aConditions, aOrders, ...}:
  // its conditions and orders join the conditions copy, a scan range becomes aDatosIni.
  // False stops the run.
  bool EvalInicial(const xb::Value& result);

  // RunGenInforme: the entry of menus and the report tree: access, one run at a time, a
  // direct report or a banded one.
  bool RunGenInforme(const std::string& cInforme);
  // RunDirectInforme: the work table of the report's first initial-value function (or the
  // alias given) printed by TDirectList.
  bool RunDirectInforme(const std::string& cInforme, int nEntorno = 0, const std::string& cAlias = {},
                        const std::string& cCond = {});
  // The end of a run: the guard cleared.
  void EndPreviewReport() { lRunning = false; }

  // CheckCondicion: the current work record (aRegistro) passes the conditions of one type.
  bool CheckCondicion(const std::vector<CondicionRow>& rows, const std::string& cTipo);
  // The report's columns (aColumnas, their work fields in aCampos) and its conditions, orders
  // and groups (aCondiciones) read from the dictionary; false when it has no column.
  bool ReadDefinition(const std::string& cInforme);
  // InsCondicion: one condition of an initial-value function into the conditions copy.
  void InsCondicion(const ColumnDef& column, const xb::Array& condition);
  // ChangeValues: the printed value of a substituted one (CampoRes), else the value.
  xb::Value ChangeValues(const std::string& table, const std::string& field, const xb::Value& value, int anchomax);
  // DefEntorno: the aliases of an expression's tables (given in `tables`) among those the run
  // going opened; "" for one it did not open (every one with no run going).
  std::vector<std::string> DefEntorno(const std::string& code, std::vector<std::string>& tables);
  // EvalRelacion: a related column's value for the record the run going scans; nullopt with
  // no run going or no such column.
  std::optional<xb::Value> EvalRelacion(int nIdCol);
  // InsGrupos: one group row (type "B") of the report: its key joins the cumulative `key`
  // (the first one also `first_key`); answers its heading texts {line, expression}, nullopt
  // (said) when it names a column the report does not have.
  std::optional<std::vector<std::pair<int, std::string>>> InsGrupos(const CondicionRow& row, std::string& key,
                                                                    std::string& first_key);
  // OpenInforme: the report's tables opened as a run opens them (said when they cannot be)
  // and kept open for the steps that read them (EvalRelacion, DefEntorno) until
  // CloseInforme; answers {table, alias} of each, nullopt when not opened (or a run goes).
  std::optional<std::vector<std::pair<std::string, std::string>>> OpenInforme(const std::string& cInforme,
                                                                              int nEntorno = 0);
  void CloseInforme();
  // The view of the tables open for the run going (0: none).
  int nMasterEntorno() const;
  // A run of this object is going (the functions it calls may ask for its steps).
  bool Running() const { return current_ != nullptr; }

  StDestino oStDestino;
  std::string cMainInforme, cTablaMaestra, cMasterAlias, cCondLis, cDesde, cHasta;
  inline static bool lRunning = false;  // one run at a time, for every report object
  int nPage = 0;
  // The work record being built, by work field name, and its raw values before substitution.
  std::vector<std::string> aCampos;
  std::vector<xb::Value> aRegistro, aRegPrede;
  std::vector<ColumnDef> aColumnas;
  std::vector<CondicionRow> aCondiciones;  // the dictionary's, in key order
  std::vector<CondicionRow> aCopiadas;     // added by initial-value functions
  std::vector<std::vector<std::string>> aRangos;
  std::vector<std::string> aNomRangos;
  // Parameters of the run: of expressions by code, of initial-value functions by position.
  std::vector<std::pair<std::string, xb::Value>> aParams;
  std::map<int, xb::Value> aValParams;
  DatosIni aDatosIni;
  bool lAgrupado = false;   // the totals count only records whose lTotaliza is set
  bool lOrden = true;       // the report's own orders apply
  bool lEuros = false;
  bool lTemporal = false, lFueTemporal = false;
  // The temporary tables (their file stems) of the last run, for the tests.
  std::vector<std::string> acTmpFiles;
  // Records the last run copied into its work table (none when it printed straight from a
  // temporary master or a given area).
  long nCopiados = 0;

 private:
  struct Run;
  bool DoRun(Run& run, const std::string& cInforme, const std::string& cAliasIn);
  bool ReportInforme(Run& run);
  void Cleanup(Run& run);
  xb::Value EvalRelacion(Run& run, const ColumnDef& column);
  xb::Value ChangeValues(Run& run, const std::string& table, const std::string& field, const xb::Value& value, int anchomax);
  bool OrderInforme(Run& run);
  bool InsGrupos(Run& run, const CondicionRow& row, std::string& key);
  bool OpenInforme(Run& run);
  std::unique_ptr<Run> opened_;  // the tables OpenInforme keeps open
  bool CheckOne(const CondicionRow& row);
  std::map<std::string, xb::Block> functions_;  // of the copied conditions, compiled once
  Run* current_ = nullptr;                      // the run going
  std::vector<std::string> DefEntorno(Run& run, const std::string& code, std::vector<std::string>& tables);
  xb::Value EvalExpresion(Run& run, const ColumnDef& column, const xb::Value& value_param);
  bool StartScan(Run& run);
  bool InScan(Run& run);
};

// A designed page header (CabeH): its height and bottom margin in millimetres.
struct DesignedHeader {
  double posicion = 0, pfinal = 0;
  bool found = false;
};
DesignedHeader ReadDesignedHeader(const std::string& code);
// ImprimeCabecera: the header's active items (CabeD) on the page (texts, page number, date,
// title, condition text), its lines, boxes and pictures; answers the first row below it.
int ImprimeCabecera(ReportDevice& device, const std::string& code, int page, const std::string& title,
                    const std::string& condlis);
// A header text in lines that each fit `limit` device units.
std::vector<std::string> WrapText(ReportDevice& device, const std::string& text, int font, int limit);
// The same with the width of a text measured by `width`.
std::vector<std::string> WrapText(const std::function<int(std::string_view)>& width, const std::string& text, int limit);

// Date texts of conditions: "dd-mm-yyyy", "dd-mm-yy" (by SET EPOCH) or "yyyymmdd" as
// "yyyymmdd"; "" when the text is none of them.
std::string ConditionDate(std::string_view text);

// Registers INFORMES, INFGRAFICOS and INFDIRECTO, the menu entries.
void RegisterReportRun();

}  // namespace reports
