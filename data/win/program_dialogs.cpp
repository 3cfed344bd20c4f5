#include "data/win/program_dialogs.h"

#include <windows.h>

#include <functional>

#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "data/value_text.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/paths.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tcheckbox.h"
#include "ui/controls/tget.h"
#include "ui/controls/tsay.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"
#include "ui/core/tmsgbar.h"

namespace data {
namespace {

using xb::Args;
using xb::Value;

constexpr int kWorkingDateHelp = 999001001;
constexpr int kAboutHelp = 999000015;

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

Value Native(std::function<Value(Args&)> fn) { return Value(xb::Block::Native(std::move(fn))); }
Value Text(std::string text) {
  return Native([text = std::move(text)](Args&) { return Value::String(text); });
}

xb::Ref<ui::TFont> Font(int width, int height) {
  ui::TFont::Spec spec;
  spec.face = std::string(cFontName());
  spec.width = width;
  spec.height = height;
  return ui::TFont::New(spec);
}

xb::Ref<ui::TFont> DefaultFont() { return Font(nFontVSize(), nFontHSize()); }

ui::WindowRef WindowOf(const Value& v) {
  if (!v.IsObject()) return {};
  auto* window = dynamic_cast<ui::TWindow*>(v.AsObject().get());
  return window ? ui::WindowRef(window) : ui::WindowRef();
}

// Switches the bar's clock, date and key indicators off, runs `change`, and switches back on
// those that were on, so that they show what changed.
void AroundIndicators(ui::TWindow* window, const std::function<void()>& change) {
  auto* bar = window ? dynamic_cast<ui::TMsgBar*>(window->oMsgBar.get()) : nullptr;
  const bool clock = bar && bar->oClock, date = bar && bar->oDate, keys = bar && bar->oKeyNum;
  if (clock) bar->ClockOff();
  if (date) bar->DateOff();
  if (keys) bar->KeybOff();
  change();
  if (clock) bar->ClockOn();
  if (date) bar->DateOn();
  if (keys) bar->KeybOn();
}

std::string Capitalised(std::string_view name) {
  const xb::CodePage& cp = xb::CurrentCodePage();
  std::string text = xb::Lower(cp, name);
  if (!text.empty()) text[0] = static_cast<char>(xb::UpperChar(cp, static_cast<unsigned char>(text[0])));
  return text;
}

std::string ProgramFile() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n < MAX_PATH ? n : 0);
}

}  // namespace

Value dGetDate(const Value& window) {
  if (xb::IsFunctionRegistered("CACCESOMENU")) {
    const Value level = Call("CACCESOMENU", {Value::String("dGetDate")});
    if (level.IsString() && level.AsString() == "0") return Value::Logical(false);
  }
  ui::WindowRef parent = WindowOf(window);
  if (!parent) parent = WindowOf(oWnd());
  const Value format_before = xb::GetSetValue(xb::SET_DATEFORMAT);
  AroundIndicators(parent.get(), [] { xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy")); });

  const ui::SetGet date = ui::SetGet::Of(Value::FromDate(dSetDate()));
  // Controls of a dialog built in code are placed in template units (about two pixels each).
  auto dialog = xb::MakeRef<ui::TDialog>();
  dialog->New({.top = 100, .left = 150, .bottom = 200, .right = 350, .caption = " Cambio fecha de trabajo",
               .parent = parent, .pixel = true, .font = DefaultFont(), .help_id = kWorkingDateHelp});
  ui::TDialog* box = dialog.get();
  auto label = xb::MakeRef<ui::TSay>();
  label->New({.row = 8, .col = 6, .get = Text("Nueva fecha"), .parent = dialog, .pixel = true, .width = 32});
  auto get = xb::MakeRef<ui::TGet>();
  get->New({.row = 6, .col = 40, .set_get = date.block, .parent = dialog, .width = 36, .height = 11,
            .picture = "99-99-9999", .pixel = true});
  ui::TGet* edit = get.get();
  ui::TBtnBmp::NewParams magnifier;
  magnifier.top = 6;
  magnifier.left = 79;
  magnifier.width = 11;
  magnifier.height = 11;
  magnifier.pictures.resource1 = "lupaDate";
  magnifier.parent = dialog;
  magnifier.action = Native([edit](Args&) {
    // The calendar dialog, when the program has it.
    if (xb::IsFunctionRegistered("QZ_MSGDATE")) {
      edit->Assign();
      Call("QZ_MSGDATE", {edit->VarValue(), Value::String("Seleccione fecha"), Value(xb::ObjectRef(edit))});
    }
    return Value();
  });
  auto calendar = ui::TBtnBmp::New(magnifier);
  calendar->cToolTip = Value::String("Calendario");
  bool accepted = false;
  auto ok = xb::MakeRef<ui::TButton>();
  ok->New({.row = 22, .col = 12, .caption = "&Aceptar", .parent = dialog, .action = Native([box, edit, &accepted](Args&) {
             edit->Assign();
             accepted = true;
             box->End(IDOK);
             return Value();
           }),
           .width = 32, .height = 12, .is_default = true, .pixel = true});
  auto cancel = xb::MakeRef<ui::TButton>();
  cancel->New({.row = 22, .col = 52, .caption = "&Cancelar", .parent = dialog, .action = Native([box](Args&) {
                 box->End(IDCANCEL);
                 return Value();
               }),
               .width = 32, .height = 12, .pixel = true, .cancel = true});
  dialog->Activate(ui::TDialog::ActivateParams{});
  const Value chosen = date.Get();
  if (accepted && chosen.IsDate() && !chosen.AsDate().IsEmpty()) dSetDate(chosen.AsDate());

  AroundIndicators(parent.get(), [&format_before] { xb::SetValue(xb::SET_DATEFORMAT, format_before); });
  if (parent && parent->oMsgBar) xb::Send(Value(parent->oMsgBar), "REFRESH");
  return Value::FromDate(dSetDate());
}

bool QzUserConfig() {
  xb::rdd::WorkArea& area = xb::rdd::WorkAreas::Get().Current();
  if (!area.used() || area.eof()) return false;
  const xb::Array record = aCamposLee();
  auto logical = [&record](std::size_t i) {
    return ui::SetGet::Of(Value::Logical(record.Get(i).IsLogical() && record.Get(i).AsLogical()));
  };
  const ui::SetGet priority = logical(1), tickets = logical(3);
  // The ninth field is not in every configuration table: without it the edit stays disabled.
  const bool has_level = record.size() >= 9 && record.Get(8).IsNumber();
  const std::int64_t stored_level = has_level ? record.Get(8).AsInt() : 0;
  const ui::SetGet level = ui::SetGet::Of(Value::Integer(stored_level == 0 ? 9 : stored_level));

  auto dialog = xb::MakeRef<ui::TDialog>();
  dialog->New({.caption = "  Configuración de usuarios", .resource = Value::String("Priority"), .font = DefaultFont()});
  ui::TDialog* box = dialog.get();
  xb::MakeRef<ui::TCheckBox>()->ReDefine({.id = 100, .set_get = priority.block, .parent = dialog});
  xb::MakeRef<ui::TCheckBox>()->ReDefine({.id = 101, .set_get = tickets.block, .parent = dialog});
  auto get = xb::MakeRef<ui::TGet>();
  get->ReDefine(102, {.set_get = level.block, .parent = dialog, .picture = "9",
                      .when = Native([has_level](Args&) { return Value::Logical(has_level); })});
  ui::TGet* edit = get.get();
  bool accepted = false;
  xb::MakeRef<ui::TButton>()->ReDefine({.id = 550, .action = Native([box, edit, &accepted](Args&) {
                                          edit->Assign();
                                          accepted = true;
                                          box->End(IDOK);
                                          return Value();
                                        }),
                                        .parent = dialog});
  xb::MakeRef<ui::TButton>()->ReDefine({.id = 551, .action = Native([box](Args&) {
                                          box->End(IDCANCEL);
                                          return Value();
                                        }),
                                        .parent = dialog, .cancel = true});
  dialog->Activate({.centered = true});
  if (!accepted || !lNetRecLock()) return false;
  if (record.Get(1).IsLogical()) record[1] = priority.Get();
  if (record.Get(3).IsLogical()) record[3] = tickets.Get();
  if (has_level) {
    const std::int64_t shown = level.Get().AsInt();
    // The 9 a stored 0 is shown as goes back as the 0 it stood for.
    record[8] = Value::Integer(shown == 9 && stored_level == 0 ? 0 : shown);
  }
  aCamposGraba(record);
  area.Commit();
  area.Unlock();
  return true;
}

void AcercaDe() {
  std::string product = "QZ Producto", version, date;
  {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    const int selected = areas.CurrentArea();
    NetUseOptions options;
    options.exclusive = true;
    options.retries = 0;
    options.alias = "Version";
    if (lNetUse(cPathStart() + "VerVDRe", options)) {
      xb::rdd::WorkArea& area = areas.Current();
      area.SetControllingOrder(0);
      area.GoTop();
      auto field = [&area](const char* name) {
        const int pos = area.FieldPos(name);
        return pos > 0 ? std::string(xb::AllTrim(ValueText(area.GetField(pos)))) : std::string();
      };
      product = field("PRODUCTO");
      version = field("VERSION");
      date = field("FECHA");
      Call("DBCLOSEAREA");
    }
    areas.SelectArea(selected);
  }
  const std::string program = ProgramFile();
  std::string file_line = Capitalised(program.substr(xb::FolderLength(program)));
  const Value entries = Call("DIRECTORY", {Value::String(program)});
  if (entries.IsArray() && !entries.AsArray().empty()) {
    const xb::Array entry = entries.AsArray().Get(0).AsArray();
    // A program of ten million bytes or more would show only asterisks in the usual picture.
    const char* picture = entry.Get(1).AsInt() < 10000000 ? "@E 9,999,999" : "@E 9,999,999,999";
    file_line += " - " + std::string(Call("TRANSFORM", {entry.Get(1), Value::String(picture)}).AsString()) +
                 " bytes - " + ValueText(entry.Get(2));
  }

  auto dialog = xb::MakeRef<ui::TDialog>();
  dialog->New({.resource = Value::Integer(21001), .font = DefaultFont(), .help_id = kAboutHelp});
  ui::TDialog* box = dialog.get();
  const xb::Ref<ui::TFont> large = Font(0, -15);
  for (int id : {181, 182, 183, 191, 192, 193})
    xb::MakeRef<ui::TSay>()->ReDefine({.id = id, .parent = dialog, .font = large});
  xb::MakeRef<ui::TSay>()->ReDefine({.id = 91, .get = Text(product), .parent = dialog});
  xb::MakeRef<ui::TSay>()->ReDefine({.id = 92, .get = Text("Versión " + version + " del " + date), .parent = dialog});
  xb::MakeRef<ui::TSay>()->ReDefine({.id = 94, .get = Text(file_line), .parent = dialog});
  xb::MakeRef<ui::TButton>()->ReDefine({.id = 401, .action = Native([box](Args&) {
                                          box->End(IDOK);
                                          return Value();
                                        }),
                                        .parent = dialog});
  dialog->Activate({.centered = true});
}

void RegisterProgramDialogs() {
  xb::RegisterFunction("DGETDATE", [](Args& a) { return dGetDate(a.Arg(1)); });
  xb::RegisterFunction("QZ_USERCONFIG", [](Args&) { return Value::Logical(QzUserConfig()); });
  xb::RegisterFunction("ACERCADE", [](Args&) {
    AcercaDe();
    return Value();
  });
}

}  // namespace data
