#include "reports/win/choice_dialogs.h"

#include <windows.h>

#include "reports/report_lists.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "services/dialog_helpers.h"
#include "ui/controls/twbrowse.h"

namespace reports {
namespace {

using xb::Args;
using xb::Value;

constexpr int kBrowse = 110;
constexpr int kChoose = 550;
constexpr int kCancel = 551;

ui::WindowRef WindowOf(const Value& v) {
  auto* window = v.IsObject() ? dynamic_cast<ui::TWindow*>(v.AsObject().get()) : nullptr;
  return window ? ui::WindowRef(window) : ui::WindowRef();
}

Value Texts(std::initializer_list<std::string> texts) {
  xb::Array a = xb::Array::New();
  for (const std::string& t : texts) a.Append(Value::String(t));
  return Value(a);
}

Value Sizes(std::initializer_list<int> sizes) {
  xb::Array a = xb::Array::New();
  for (int s : sizes) a.Append(Value::Integer(s));
  return Value(a);
}

// A dialog with a browse over `lines` (one array of cell texts each); the line chosen.
std::optional<std::size_t> ChooseLine(const Value& resource, const std::string& title, const std::vector<xb::Array>& lines,
                                      const Value& headers, const Value& sizes, const Value& owner) {
  const ui::DialogRef dialog = svc::ResourceDialog(resource, title, 0, WindowOf(owner));
  ui::TDialog* box = dialog.get();
  xb::Array rows = xb::Array::New();
  for (const xb::Array& line : lines) rows.Append(Value(line));
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  bool chosen = false;
  const auto choose = [box, list, &chosen, &lines] {
    chosen = !lines.empty();
    if (chosen) box->End(kChoose);
  };
  browse->ReDefine(kBrowse, {.line = Value(xb::Block::Native([list, rows](Args&) {
                               const Value& row = rows.Get(static_cast<std::size_t>(list->nAt - 1));
                               return row.IsArray() ? row : Value(xb::Array::New());
                             })),
                             .parent = dialog,
                             .headers = headers,
                             .col_sizes = sizes,
                             .dbl_click = svc::Action(choose)});
  browse->SetArray(rows);
  svc::Button(dialog, kChoose, choose);
  svc::Button(dialog, kCancel, [box] { box->End(kCancel); });
  svc::RunDialog(dialog, [list] {
    list->SetFocus();
    return false;
  });
  if (!chosen || list->nAt < 1 || static_cast<std::size_t>(list->nAt) > lines.size()) return std::nullopt;
  return static_cast<std::size_t>(list->nAt - 1);
}

}  // namespace

std::optional<std::size_t> ShowChoice(const std::string& title, const std::vector<ChoiceRow>& rows, const Value& owner) {
  std::vector<xb::Array> lines;
  for (const ChoiceRow& r : rows) lines.push_back(xb::Array::Of({Value::String(r.description)}));
  return ChooseLine(Value::String("TI_DbChoice"), title, lines, Texts({"Descripción"}), Sizes({300}), owner);
}

Value uFuncion(std::string_view type) {
  const std::string wanted(xb::AllTrim(type));
  std::vector<const ReportFunction*> offered;
  for (const ReportFunction& f : ReportFunctions())
    if (wanted.empty() || f.type == wanted) offered.push_back(&f);
  std::vector<xb::Array> lines;
  for (const ReportFunction* f : offered)
    lines.push_back(xb::Array::Of({Value::String(f->name), Value::String(f->description), Value::String(f->type)}));
  const std::optional<std::size_t> chosen =
      ChooseLine(Value::String("TD_SELECCION_FUNCION"), " Seleccione función", lines,
                 Texts({"Nombre", "Descripción", "Tipo"}), Sizes({70, 330, 30}), {});
  return chosen ? Value::String(offered[*chosen]->name) : Value();
}

void RegisterChoiceDialogs() {
  SetChoicePicker(ShowChoice);
  xb::RegisterFunction("TI_UFUNCION", [](Args& a) { return uFuncion(a.Str(1)); });
}

}  // namespace reports
