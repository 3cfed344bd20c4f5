#include "reports/win/tinforme_methods.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "reports/report_definitions.h"
#include "reports/tinforme_object.h"
#include "reports/win/column_dialogs.h"
#include "reports/win/report_dialog.h"
#include "reports/win/report_dialog_builders.h"
#include "reports/win/report_list.h"
#include "reports/win/report_tree.h"
#include "reports/win/tbrwdataqz.h"
#include "runtime/codepage.h"
#include "runtime/date.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/number.h"
#include "ui/core/msg_box.h"
#include "ui/core/twindow.h"

namespace reports {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

std::string Code(Args& a, int n) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(a.Str(n))); }

// A method over one report code (its first argument) answering whether it did its work; the
// dictionary open for the call.
void OnReport(const char* message, bool (*fn)(const std::string&)) {
  AddTInformeMethod(message, [fn](Object&, Args& a) {
    InformeDictionary dict;
    return Value::Logical(dict.ok() && fn(Code(a, 1)));
  });
}

// The report dialog open now; with none it is said, and nullptr.
OpenInforme* Open() {
  if (OpenInforme* open = OpenReportDialog()) return open;
  ui::MsgStop(Value::String("No hay ningún informe abierto en el constructor de informes."), "Atención");
  return nullptr;
}

Value ArgError(const char* method, Args& a) { return xb::ArgumentError(method, 3012, a.Raw()); }

// Argument `n` as one of the condition types in `types`; "" when it is not one.
std::string TypeArg(Args& a, int n, std::string_view types) {
  if (!a.Arg(n).IsString()) return {};
  const std::string type = Code(a, n);
  return type.size() == 1 && types.find(type[0]) != std::string_view::npos ? type : std::string();
}

// Row `n` (from 1) of a type in the working copy: none for NIL or 0 (a new row), nullopt
// through `bad` for another number or a row that is not there.
std::optional<ConditionRow> RowArg(const OpenInforme& open, const std::string& type, const Value& n, bool* bad) {
  *bad = false;
  if (n.IsNil() || (n.IsNumber() && n.AsInt() == 0)) return std::nullopt;
  const std::vector<ConditionRow> rows = open.copies->Rows(type);
  if (!n.IsNumber() || n.AsInt() < 1 || n.AsInt() > static_cast<std::int64_t>(rows.size())) {
    *bad = true;
    return std::nullopt;
  }
  return rows[static_cast<std::size_t>(n.AsInt() - 1)];
}

// The column of a work field ("Colum" + number) among the open report's.
const ReportColumn* ColumnArg(const OpenInforme& open, const Value& v) {
  return v.IsString() ? ColumnOf(*open.columns, std::string(xb::AllTrim(v.AsString()))) : nullptr;
}

// The work fields of a " + " list, each one of the report's columns; false when one is not.
bool FieldList(const OpenInforme& open, const Value& v, std::vector<const ReportColumn*>* out) {
  if (v.IsNil()) return true;
  if (!v.IsString()) return false;
  const std::string text(v.AsString());
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t plus = std::min(text.find('+', start), text.size());
    const std::string piece(xb::AllTrim(std::string_view(text).substr(start, plus - start)));
    if (!piece.empty()) {
      const ReportColumn* c = ColumnOf(*open.columns, piece);
      if (c == nullptr) return false;
      out->push_back(c);
    }
    start = plus + 1;
  }
  return true;
}

// The type a condition on a column compares, as the condition dialog gives it.
std::string ConditionType(const ReportColumn& c) {
  if (c.kind == 7 || c.kind == 8) return "V";
  return c.type == "F" ? "D" : c.type.empty() ? "C" : c.type;
}

enum class Stored { kOk, kRefused, kWrong };

// VALOR of a condition on a column of `type` from the value compiled text gives: text as it
// would be typed (checked, and said when wrong, as the dialog does), a number, a date, a
// logical, the position (or the shown text) of a substituted value, hours as minutes.
Stored ConditionValueOf(const std::string& type, const ReportColumn& c, const Value& v, std::string* out) {
  if (type == "L") {
    if (!v.IsLogical()) return Stored::kWrong;
    *out = v.AsLogical() ? ".T." : ".F.";
    return Stored::kOk;
  }
  if (type == "V") {
    const std::vector<std::string> shown = aResulta(c.table, c.source);
    std::int64_t at = 0;
    if (v.IsNumber()) at = v.AsInt();
    for (std::size_t i = 0; v.IsString() && i < shown.size(); ++i)
      if (xb::Upper(xb::CurrentCodePage(), xb::AllTrim(shown[i])) == xb::Upper(xb::CurrentCodePage(), xb::AllTrim(v.AsString())))
        at = static_cast<std::int64_t>(i) + 1;
    if (at < 1 || at > static_cast<std::int64_t>(shown.size())) return Stored::kWrong;
    *out = std::to_string(at);
    return Stored::kOk;
  }
  if (v.IsString()) return ConditionValue(type, std::string(v.AsString()), out) ? Stored::kOk : Stored::kRefused;
  if ((type == "N" || type == "H") && v.IsNumber()) {
    *out = type == "H" ? std::to_string(v.AsInt()) : xb::NumberToText(v);
    return Stored::kOk;
  }
  if ((type == "D" || type == "F") && v.IsDate()) {
    if (v.AsDate().IsEmpty()) {
      ui::MsgStop(Value::String("Fecha no válida"), "Atención");
      return Stored::kRefused;
    }
    const std::string ymd = v.AsDate().Dtos();
    *out = ymd.substr(6, 2) + "-" + ymd.substr(4, 2) + "-" + ymd.substr(0, 4);
    return Stored::kOk;
  }
  return Stored::kWrong;
}

// The methods that work on the report dialog open now: its working copies of the orders,
// groups, conditions and initial-value functions, its pages' summaries and its save.
void InstallReportDialogMethods() {
  // GuardaInforme(): what the pages hold saved, as OK saves it, the dialog left open.
  AddTInformeMethod("GUARDAINFORME", [](Object&, Args&) {
    OpenInforme* open = Open();
    return Value::Logical(open != nullptr && open->save());
  });
  // FilterBuilder( cTipo ): the builder of the groups ("B"), conditions ("C") or stop
  // conditions ("D"). OrderBuilder(): the orders. True when accepted.
  AddTInformeMethod("FILTERBUILDER", [](Object&, Args& a) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value::Logical(false);
    const std::string type = TypeArg(a, 1, "BCD");
    if (type.empty()) return ArgError("FILTERBUILDER", a);
    const bool accepted = FilterBuilder(*open->copies, type, *open->columns);
    open->show_says();
    return Value::Logical(accepted);
  });
  AddTInformeMethod("ORDERBUILDER", [](Object&, Args&) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value::Logical(false);
    const bool accepted = OrderBuilder(*open->copies, *open->columns);
    open->show_says();
    return Value::Logical(accepted);
  });
  // MngCondicion( cTipo, nFila ): the dialog of row nFila of the type (none: a new row), the
  // group's for "B"; what is accepted goes to the working copy. True when accepted.
  AddTInformeMethod("MNGCONDICION", [](Object&, Args& a) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value::Logical(false);
    const std::string type = TypeArg(a, 1, "BCD");
    bool bad = false;
    const std::optional<ConditionRow> found = type.empty() ? std::nullopt : RowArg(*open, type, a.Arg(2), &bad);
    if (type.empty() || bad) return ArgError("MNGCONDICION", a);
    ConditionRow row = found.value_or(ConditionRow{});
    row.tipo = type;
    const bool accepted = type == "B" ? GroupBuilder(row, *open->columns) : MngCondicion(row, *open->columns, !found);
    if (accepted) {
      open->copies->Save(row);
      open->show_says();
    }
    return Value::Logical(accepted);
  });
  // GuardaCondicion( cTipo, nFila, cColumna, nOperador, xValor, nEnlace ) for a condition
  // ("C") or stop condition ("D"); GuardaCondicion( "B", nFila, cColumnas, cTextoTit,
  // cTextoPie, cImprime, cLineas ) for a group (work fields and heading lines joined by " + ").
  // Row nFila rewritten, or (none) a new row with the next letter. True when saved.
  AddTInformeMethod("GUARDACONDICION", [](Object&, Args& a) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value::Logical(false);
    const std::string type = TypeArg(a, 1, "BCD");
    bool bad = false;
    const std::optional<ConditionRow> found = type.empty() ? std::nullopt : RowArg(*open, type, a.Arg(2), &bad);
    if (type.empty() || bad) return ArgError("GUARDACONDICION", a);
    ConditionRow row = found.value_or(ConditionRow{});
    row.tipo = type;
    if (type == "B") {
      std::vector<const ReportColumn*> keys, shown;
      if (!FieldList(*open, a.Arg(3), &keys) || keys.empty() || !FieldList(*open, a.Arg(6), &shown))
        return ArgError("GUARDACONDICION", a);
      std::vector<std::string> lines;
      if (a.Arg(7).IsString())
        for (std::string_view rest = a.Str(7); !rest.empty();) {
          const std::size_t plus = std::min(rest.find('+'), rest.size());
          if (const std::string piece(xb::AllTrim(rest.substr(0, plus))); !piece.empty()) lines.push_back(piece);
          rest = plus < rest.size() ? rest.substr(plus + 1) : std::string_view();
        }
      const auto joined = [](const std::vector<std::string>& pieces) {
        std::string out;
        for (const std::string& p : pieces) out += (out.empty() ? "" : " + ") + p;
        return out;
      };
      std::vector<std::string> fields, printed, heading;
      for (const ReportColumn* c : keys) fields.push_back(c->field);
      for (std::size_t j = 0; j < shown.size(); ++j) {
        printed.push_back(shown[j]->field);
        const int line = j < lines.size() ? std::atoi(lines[j].c_str()) : 1;
        heading.push_back(std::to_string(std::max(1, line)));
      }
      row.tabla = keys.front()->table;
      row.campo = joined(fields);
      row.columna = keys.front()->field;
      row.fldtipo = keys.front()->type;
      row.textotit = a.Arg(4).IsString() ? std::string(xb::AllTrim(a.Str(4))) : std::string();
      row.textopie = a.Arg(5).IsString() ? std::string(xb::AllTrim(a.Str(5))) : std::string();
      row.imprime = joined(printed);
      row.valor = joined(heading);
    } else {
      const ReportColumn* column = ColumnArg(*open, a.Arg(3));
      const std::int64_t op = a.Arg(4).IsNumber() ? a.Arg(4).AsInt() : 0;
      const std::int64_t link = a.Arg(6).IsNil() ? 1 : a.Arg(6).IsNumber() ? a.Arg(6).AsInt() : 0;
      if (column == nullptr || op < 2 || op > 10 || link < 1 || link > 3) return ArgError("GUARDACONDICION", a);
      const std::string compared = ConditionType(*column);
      std::string value;
      // "vacío" and "no vacío" take no value.
      if (op != 8 && op != 9) {
        const Stored stored = ConditionValueOf(compared, *column, a.Arg(5), &value);
        if (stored == Stored::kWrong) return ArgError("GUARDACONDICION", a);
        if (stored == Stored::kRefused) return Value::Logical(false);
      }
      row.tabla = column->table;
      row.campo = column->source;
      row.fldtipo = compared;
      row.columna = column->field;
      row.operador = static_cast<int>(op);
      row.valor = value;
      row.enlace = static_cast<int>(link);
    }
    open->copies->Save(row);
    open->show_says();
    return Value::Logical(true);
  });
  // GenLine( cTipo, nFila ): how row nFila of the conditions ("C") or stop conditions ("D")
  // reads ("El contenido de la columna ...").
  AddTInformeMethod("GENLINE", [](Object&, Args& a) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value();
    const std::string type = TypeArg(a, 1, "CD");
    bool bad = false;
    const std::optional<ConditionRow> row = type.empty() ? std::nullopt : RowArg(*open, type, a.Arg(2), &bad);
    if (!row) return ArgError("GENLINE", a);
    return Value::String(GenLine(*row, *open->columns));
  });
  // FillSay( cTipo ): the summary of a type's rows ("A" to "D"), written again on its page.
  AddTInformeMethod("FILLSAY", [](Object&, Args& a) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value();
    const std::string type = TypeArg(a, 1, "ABCD");
    if (type.empty()) return ArgError("FILLSAY", a);
    open->show_says();
    return Value::String(FillSay(type, open->copies->Rows(type), *open->columns));
  });
  // InitOrder( nCajas ): the column (its position among the report's, 0 for none) each of
  // the order dialog's boxes (5 unless given) starts with.
  AddTInformeMethod("INITORDER", [](Object&, Args& a) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value();
    const std::int64_t boxes = a.Arg(1).IsNil() ? 5 : a.Arg(1).IsNumber() ? a.Arg(1).AsInt() : -1;
    if (boxes < 0 || boxes > 64) return ArgError("INITORDER", a);
    xb::Array out = xb::Array::New();
    for (int at : InitOrder(open->copies->Rows("A"), *open->columns, static_cast<int>(boxes)))
      out.Append(Value::Integer(at + 1));
    return Value(out);
  });
  // GenOrder( aColumnas ): the orders made again from the columns chosen (positions among
  // the report's columns or work fields, up to the first 0), as the order dialog's OK makes
  // them. Answers how many there are.
  AddTInformeMethod("GENORDER", [](Object&, Args& a) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value();
    if (!a.Arg(1).IsArray()) return ArgError("GENORDER", a);
    std::vector<int> chosen;
    const xb::Array list = a.Arr(1);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const Value v = list.Get(i);
      if (v.IsNumber() && v.AsInt() == 0) break;
      int at = -1;
      if (v.IsNumber() && v.AsInt() >= 1 && v.AsInt() <= static_cast<std::int64_t>(open->columns->size()))
        at = static_cast<int>(v.AsInt()) - 1;
      else if (const ReportColumn* c = ColumnArg(*open, v))
        at = static_cast<int>(c - open->columns->data());
      if (at < 0) return ArgError("GENORDER", a);
      chosen.push_back(at);
    }
    const std::vector<ConditionRow> rows = GenOrder("A", chosen, *open->columns);
    open->copies->Replace("A", rows);
    open->copies->changed[0] = true;
    open->show_says();
    return Value::Integer(static_cast<std::int64_t>(rows.size()));
  });
  // Iniciales(): the initial-value functions of the working copy, { nOrden, cFuncion,
  // cDescripc } each, shown again on their page.
  AddTInformeMethod("INICIALES", [](Object&, Args&) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value();
    if (open->show_iniciales) open->show_iniciales();
    xb::Array out = xb::Array::New();
    for (const InicialRow& r : open->copies->Iniciales())
      out.Append(Value(xb::Array::Of({Value::Integer(r.orden), Value::String(r.funcion), Value::String(r.descripc)})));
    return Value(out);
  });
  // MngInicial( nFila ): the dialog of function nFila of the working copy (none: a new one,
  // numbered after the last). True when accepted.
  AddTInformeMethod("MNGINICIAL", [](Object&, Args& a) {
    OpenInforme* open = Open();
    if (open == nullptr) return Value::Logical(false);
    const std::vector<InicialRow> rows = open->copies->Iniciales();
    InicialRow row;
    const Value n = a.Arg(1);
    if (n.IsNil() || (n.IsNumber() && n.AsInt() == 0)) {
      for (const InicialRow& r : rows) row.orden = std::max(row.orden, r.orden);
      ++row.orden;
    } else if (n.IsNumber() && n.AsInt() >= 1 && n.AsInt() <= static_cast<std::int64_t>(rows.size())) {
      row = rows[static_cast<std::size_t>(n.AsInt() - 1)];
    } else {
      return ArgError("MNGINICIAL", a);
    }
    if (!MngInicial(row)) return Value::Logical(false);
    open->copies->SaveInicial(row);
    if (open->show_iniciales) open->show_iniciales();
    return Value::Logical(true);
  });
}

}  // namespace

void InstallTInformeMethods() {
  // DoInforme( nAction, cInforme, nAdd ): 1 add (nAdd 1 a report, 2 a subcategory, 3 a
  // category; none: asked), 2 modify, 3 delete, 4 columns, 5 run, 6 duplicate.
  AddTInformeMethod("DOINFORME", [](Object& o, Args& a) {
    InformeDictionary dict;
    const int action = static_cast<int>(a.Int(1));
    if (!dict.ok() || action < 1 || action > 6) return Value::Logical(false);
    const std::int64_t add = a.Int(3);
    const AddChoice choice = add >= 1 && add <= 3 ? static_cast<AddChoice>(add) : AddChoice{};
    const InformeDialogOwner owner(o.AsValue());
    return Value::Logical(DoInforme(static_cast<InformeAction>(action), Code(a, 2), choice));
  });
  // MngInformes( lEdit, cInforme, cCategoria, cSubCat ); the dialog is the object's oDlg
  // while it is open.
  AddTInformeMethod("MNGINFORMES", [](Object& o, Args& a) {
    InformeDictionary dict;
    const InformeDialogOwner owner(o.AsValue());
    return Value::Logical(dict.ok() && MngInformes(a.Log(1), Code(a, 2), Code(a, 3), Code(a, 4)));
  });
  OnReport("DUPLICATEINFORME", [](const std::string& code) { return DuplicateInformeDialog(code); });
  OnReport("RELINFORME", [](const std::string& code) { return RelInforme(code); });
  OnReport("COLUMNAS", [](const std::string& code) {
    Columnas(code);
    return true;
  });
  OnReport("ADDCOLUMNA", [](const std::string& code) { return AddColumna(code); });
  OnReport("CALCCOLUMNA", [](const std::string& code) { return CalcColumna(code); });
  OnReport("DOPREVIEW", [](const std::string& code) { return PreviewColumnas(code); });
  // EditColumna( cInforme, nIdCol )
  AddTInformeMethod("EDITCOLUMNA", [](Object&, Args& a) {
    InformeDictionary dict;
    return Value::Logical(dict.ok() && EditColumna(Code(a, 1), static_cast<int>(a.Int(2))));
  });
  OnReport("DOGRAFICO", [](const std::string& code) { return DoGrafico(code); });
  AddTInformeMethod("RESTAURAINF", [](Object&, Args&) { return Value::Logical(RestauraInfTree()); });
  // NewKeyChar( nKey ): a character for the open tree; New2KeyChar( nKey ): for the report
  // list. True when it ran something.
  AddTInformeMethod("NEWKEYCHAR", [](Object&, Args& a) { return Value::Logical(OpenTreeKey(static_cast<int>(a.Int(1)))); });
  AddTInformeMethod("NEW2KEYCHAR", [](Object&, Args& a) {
    TBrwDataQZ* list = ReportList();
    return Value::Logical(list != nullptr && list->BrowseKeys(static_cast<int>(a.Int(1))));
  });
  // Show(): the object's dialog (oDlg) shown and brought to the front; without one the open
  // report dialog, tree or list. False when there is none.
  AddTInformeMethod("SHOW", [](Object& o, Args&) {
    const Value own = xb::Send(o.AsValue(), "ODLG");
    HWND window = nullptr;
    if (auto* w = own.IsObject() ? dynamic_cast<ui::TWindow*>(own.AsObject().get()) : nullptr) window = w->hWnd;
    else if (OpenInforme* open = OpenReportDialog()) window = open->dialog->hWnd;
    else if (ui::TWindow* tree = OpenTreeDialog()) window = tree->hWnd;
    else if (TBrwDataQZ* list = ReportList(); list != nullptr && list->window() != nullptr) window = list->window()->hWnd;
    if (window == nullptr || !IsWindow(window)) return Value::Logical(false);
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    BringWindowToTop(window);
    return Value::Logical(true);
  });
  AddTInformeMethod("END", [](Object&, Args&) {
    if (!EndOpenTree())
      if (TBrwDataQZ* list = ReportList()) list->End();
    return Value();
  });
  InstallReportDialogMethods();
}

}  // namespace reports
