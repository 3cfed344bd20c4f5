#include "reports/win/inspectors.h"

#include <windows.h>

#include <algorithm>

#include "data/value_text.h"
#include "runtime/function_table.h"
#include "runtime/object.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tdialog.h"

namespace reports {
namespace {

using xb::Args;
using xb::Value;

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

std::string Shown(const Value& v) {
  switch (v.type()) {
    case xb::Type::Nil: return "NIL";
    case xb::Type::Array: return "Array (" + std::to_string(v.AsArray().size()) + ")";
    case xb::Type::Block: return v.AsBlock().Source();
    case xb::Type::Object: return "Objeto " + v.AsObject()->ClassName();
    default: return data::ValueText(v);
  }
}

InspectedData Line(std::string name, const Value& v) {
  return {std::move(name), std::string(1, v.ValType()), Shown(v), v};
}

// A dialog built in code: a browse filling it above a row of buttons.
ui::DialogRef CodeDialog(const std::string& caption) {
  auto dialog = xb::MakeRef<ui::TDialog>();
  dialog->New({.caption = caption, .pixel = true, .font = svc::DefaultDialogFont(), .width = 460, .height = 320});
  return dialog;
}

xb::Ref<ui::TButton> CodeButton(const ui::DialogRef& dialog, int col, const std::string& caption,
                                std::function<void()> action, bool is_default = false) {
  auto button = xb::MakeRef<ui::TButton>();
  button->New({.row = 252, .col = col, .caption = caption, .parent = dialog, .action = svc::Action(std::move(action)),
               .width = 80, .height = 24, .is_default = is_default, .pixel = true});
  return button;
}

}  // namespace

void Browse(const std::string& title) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  if (!areas.Current().used()) return;
  const std::string alias = areas.Current().alias();
  const ui::DialogRef dialog = CodeDialog(title.empty() ? "Browse" : title);
  ui::TDialog* box = dialog.get();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  browse->New({.row = 6, .col = 6, .width = 440, .height = 236, .parent = dialog, .alias = alias, .pixel = true});
  ui::TWBrowse* list = browse.get();
  CodeButton(dialog, 270, "&Imprimir", [list] {
    if (xb::IsFunctionRegistered("TI_REPORT")) xb::CallFunction("TI_REPORT", {list->Self()});
  });
  CodeButton(dialog, 360, "&Salir", [box] { box->End(IDCANCEL); }, true);
  svc::RunDialog(dialog, [list] {
    list->SetFocus();
    return false;
  });
}

std::vector<InspectedData> InspectedLines(const Value& value) {
  std::vector<InspectedData> lines;
  if (value.IsArray()) {
    const xb::Array a = value.AsArray();
    for (std::size_t i = 0; i < a.size(); ++i) lines.push_back(Line("[" + std::to_string(i + 1) + "]", a[i].Deref()));
    return lines;
  }
  if (!value.IsObject()) return lines;
  const xb::Class& cls = value.AsObject()->GetClass();
  std::vector<std::string> names;
  for (const xb::Symbol* message : cls.Messages()) {
    const std::string& name = message->Name();
    if (name.empty() || name[0] == '_') continue;
    if (cls.Lookup(xb::Intern("_" + name)) == nullptr) continue;  // a method, not a DATA
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) lines.push_back(Line(name, xb::Send(value, name)));
  return lines;
}

void ObjectInspector(const Value& value) {
  if (!value.IsObject() && !value.IsArray()) return;
  const std::vector<InspectedData> lines = InspectedLines(value);
  xb::Array rows = xb::Array::New();
  for (const InspectedData& l : lines)
    rows.Append(Value(xb::Array::Of({Value::String(l.name), Value::String(l.type), Value::String(l.value)})));
  const std::string name = value.IsObject() ? value.AsObject()->ClassName() : "Array";
  const ui::DialogRef dialog = CodeDialog(" Inspector : " + name);
  ui::TDialog* box = dialog.get();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  const auto open = [list, &lines] {
    const std::size_t at = static_cast<std::size_t>(std::max(list->nAt, 1) - 1);
    if (at < lines.size() && (lines[at].data.IsObject() || lines[at].data.IsArray())) ObjectInspector(lines[at].data);
  };
  browse->New({.row = 6, .col = 6, .width = 440, .height = 236,
               .line = Value(xb::Block::Native([list, rows](Args&) {
                 const Value& row = rows.Get(static_cast<std::size_t>(list->nAt - 1));
                 return row.IsArray() ? row : Value(xb::Array::New());
               })),
               .headers = Texts({"Dato", "Tipo", "Valor"}), .col_sizes = Sizes({130, 40, 250}), .parent = dialog,
               .dbl_click = svc::Action(open), .pixel = true});
  browse->SetArray(rows);
  CodeButton(dialog, 270, "&Ver", open);
  CodeButton(dialog, 360, "&Salir", [box] { box->End(IDCANCEL); }, true);
  svc::RunDialog(dialog, [list] {
    list->SetFocus();
    return false;
  });
}

void RegisterInspectors() {
  xb::RegisterFunction("TI_BROWSE", [](Args& a) {
    Browse(a.Arg(1).IsString() ? std::string(a.Str(1)) : "Browse");
    return Value();
  });
  xb::RegisterFunction("TI_OBJECTINSPECTOR", [](Args& a) {
    ObjectInspector(a.Arg(1));
    return Value();
  });
}

}  // namespace reports
