// The printing of a report run: the work table handed to the banded engine with its columns,
// their fonts, the groups and the designed header, on the device of the output chosen.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "reports/report_engine.h"
#include "reports/report_run_state.h"
#include "reports/report_text_device.h"

namespace reports {

using namespace run_detail;

namespace {

// The colour of each font number up to the highest of `numbers`, from the dictionary's
// Fonts (a number it does not hold: black); none when Fonts is not open.
std::vector<std::uint32_t> TextColours(const std::vector<int>& numbers) {
  WorkArea* fonts = AreaOf(TDictQZ::AliasOf("Fonts"));
  const int highest = numbers.empty() ? 0 : *std::max_element(numbers.begin(), numbers.end());
  if (fonts == nullptr || highest < 1) return {};
  std::vector<std::uint32_t> colours(static_cast<std::size_t>(highest), 0);
  const std::uint32_t at = fonts->recno();
  const int order = fonts->controlling_order();
  fonts->SetControllingOrder(0);
  for (fonts->GoTop(); !fonts->eof(); fonts->Skip(1)) {
    const int n = Number(*fonts, "NFONT");
    if (!fonts->Deleted() && n >= 1 && n <= highest)
      colours[static_cast<std::size_t>(n - 1)] = static_cast<std::uint32_t>(Real(*fonts, "NCOLOR"));
  }
  fonts->SetControllingOrder(order);
  fonts->GoTo(at);
  return colours;
}

}  // namespace

bool TInforme::ReportInforme(Run& run) {
  const std::string title = run.titulo.empty() ? "Sin título" : run.titulo;
  std::unique_ptr<ReportDevice> device;
  if (oStDestino.nDestino == 2) device = std::make_unique<TQZRFile>(Trim(oStDestino.cFileDst));
  else if (CurrentReportRunHook().device) device = CurrentReportRunHook().device(oStDestino, title.substr(0, 30));
  if (!device || !device->Ready()) return false;

  if (cCondLis.empty()) cCondLis = Trim(cDesde + " " + cHasta);
  TQZReport report(device.get());
  report.lSummary = !run.desglose;
  report.lGlobalShadow = oStDestino.lShadow;
  report.cPageTotal = run.desde;
  report.cGrandTotal = run.hasta;
  report.nTitleUpLine = 0;
  report.nTitleDnLine = 1;
  report.nTotalLine = 1;
  report.lPageGroup = run.ljump;
  report.nLineasReg = run.lineasr;
  report.nMgIzMM = run.margen;
  report.nTotalFont = std::max(1, run.fnt_tot);
  report.nSubTTFont = std::max(1, run.fnt_sub);
  // The designed header: its height and bottom margin are known before the layout.
  if (!RTrim(run.cabecera).empty()) {
    const DesignedHeader header = ReadDesignedHeader(run.cabecera);
    report.nAltoCabMM = header.posicion;
    report.nMgDnMM = header.pfinal;
    report.bStartPage = [this, &run, title](TQZReport& r) {
      r.nRow = ImprimeCabecera(*r.Device(), run.cabecera, r.nPage, title, cCondLis);
    };
  }
  WorkArea* work = run.printed();
  // Fonts of a column: its CnfColum row's, else the report's; 0 is font 1.
  std::map<int, std::array<int, 4>> cnf;  // IDCOL: {line, title, total, subtotal}
  EachFrom(TDictQZ::AliasOf("CnfColum"), "Informe", Upper(cMainInforme),
           [&](WorkArea& a) { return Upper(Text(a, "INFORME")) == Upper(cMainInforme); },
           [&](WorkArea& a) {
             cnf[Number(a, "IDCOL")] = {Number(a, "FNT_LIN"), Number(a, "FNT_TIT"), Number(a, "FNT_TOT"), Number(a, "FNT_SUB")};
           });
  // The texts in the colours of their fonts, the report's and its columns'.
  std::vector<int> font_numbers{run.fnt_lin, run.fnt_tit, run.fnt_tot, run.fnt_sub};
  for (const auto& [id, f] : cnf) font_numbers.insert(font_numbers.end(), f.begin(), f.end());
  report.aClrText = TextColours(font_numbers);
  auto fonts_of = [&](const ColumnDef& c) {
    auto it = cnf.find(c.nIdCol);
    std::array<int, 4> f = it != cnf.end() ? it->second : std::array<int, 4>{run.fnt_lin, run.fnt_tit, run.fnt_tot, run.fnt_sub};
    for (int& n : f) n = std::max(1, n);
    return f;
  };
  const int totaliza = run.straight ? work->FieldPos("LTOTALIZA") : static_cast<int>(aColumnas.size()) + 1;
  for (std::size_t i = 0; i < aColumnas.size(); ++i) {
    const ColumnDef& c = aColumnas[i];
    if (!c.lImprimir) continue;
    TQZRCol col;
    col.cTitle = c.cTitulo;
    if (!c.cFuncTit.empty()) col.cTitle = Trim(ValueText(run.code.Eval(c.cFuncTit, work)));
    if (c.nAncho > 0 && static_cast<int>(col.cTitle.size()) > c.nAncho) col.cTitle.resize(static_cast<std::size_t>(c.nAncho));
    // Straight from the scanned area a field is fitted to its column as the work table's is.
    const int pos = run.straight ? work->FieldPos(c.cCampoRel) : static_cast<int>(i) + 1;
    const int width = c.nAncho;
    col.bData = [work, pos, width, straight = run.straight, c]() {
      Value v = work->GetField(pos);
      if (straight) v = Fitted(c, v);
      if (v.IsString()) v = Value::String(RTrim(v.AsString().substr(0, static_cast<std::size_t>(std::max(width, 0)))));
      return v;
    };
    col.cPicture = col.cTotalPict = (c.cTipo == "C" && (c.nTipoCol == 3 || c.nTipoCol == 6)) ? "" : run.masks[i];
    // A text that overflowed its column ("***") adds one more than the column holds, so the
    // total overflows too.
    if (c.lTotal && col.bData) {
      const auto data = col.bData;
      col.aData.push_back({data, col.cPicture, [data, width] {
                             Value v = data();
                             if (v.IsString() && v.AsString().find('*') != std::string_view::npos)
                               v = Value::Number(std::pow(10.0, std::max(width, 0)));
                             return v;
                           }});
    }
    col.cTipoCol = c.cTipo.empty() ? "C" : c.cTipo;
    col.nAnchoCol = c.nPInicial;
    col.nSize = c.nAncho;
    col.nPad = Upper(c.cAlineacion) == "D" ? 2 : Upper(c.cAlineacion) == "I" ? 1 : 3;
    col.nLinea = c.nLinea;
    col.lTotal = c.lTotal;
    col.lAcumulada = c.nTipoCol == 5;
    col.lIniGrupo = c.lIniGrupo;
    col.lGroupCol = run.group_columns[i];
    col.aFonts = fonts_of(c);
    // Grouped records: one whose lTotaliza is not set adds nothing to the totals.
    if (lAgrupado && c.lTotal)
      col.bTotalFor = [work, totaliza] {
        const Value v = totaliza > 0 ? work->GetField(totaliza) : Value();
        return v.IsLogical() && v.AsLogical();
      };
    report.AddColumn(col);
  }
  for (std::size_t n = 0; n < run.groups.size(); ++n) {
    const Run::Group& g = run.groups[n];
    TQZRGroup group;
    group.bGroup = [&run, work, key = g.key]() { return ValueText(run.code.Eval(key, work)); };
    group.cHeader = g.header;
    group.cFooter = g.footer;
    group.lEject = true;
    group.nFont = std::max(1, run.fnt_sub);
    // Headings led by a column printed only there take that column's title and subtotal fonts.
    const int first = n < run.first_heading.size() ? run.first_heading[n] : -1;
    if (first >= 0 && !aColumnas[static_cast<std::size_t>(first)].lImprimir) {
      const std::array<int, 4> f = fonts_of(aColumnas[static_cast<std::size_t>(first)]);
      group.nFont = f[1];
      group.nFootFont = f[3];
    }
    for (const auto& [line, text] : g.headings)
      group.aHeadings.push_back({line, [&run, work, text = text]() { return ValueText(run.code.Eval(text, work)); }});
    report.AddGroup(group);
  }
  report.bWhile = [&run] { return run.More(); };
  report.bSkip = [&run] { run.Next(); };
  report.nPage = nPage;
  report.bEnd = [this, &run](TQZReport&) {
    if (run.progress) run.progress->Done(RunProgress::kGenerando);
    run.progress.reset();  // the preview shows without it
    EndPreviewReport();
  };
  report.bWideQuestion = CurrentReportRunHook().wide_question;
  if (run.progress) {
    report.bPageShown = [&run](int page) {
      if (run.progress) run.progress->Page(page);
    };
    report.bRefresh = [&run, &report] {
      if (run.progress && run.progress->Cancelled()) {
        report.lBreak = true;
        run.progress.reset();
      }
    };
  }
  run.First();
  if (run.progress) run.progress->Printing(device->IsScreen());
  bool printed = report.Activate();
  run.progress.reset();
  if (report.lBreak) {
    run.broken = true;
    printed = false;
  }
  EndPreviewReport();  // a cancelled run too
  nPage = report.nPage;
  return printed;
}

}  // namespace reports
