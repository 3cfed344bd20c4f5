#include "data/user_logo.h"

#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/object.h"
#include "runtime/rdd/workareas.h"

namespace data {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

constexpr const char* kAlias = "_QzLogo";

std::string UserCode() {
  if (!xb::IsFunctionRegistered("CCODUSUARIO")) return {};
  const Value code = xb::CallFunction("CCODUSUARIO");
  return code.IsString() ? std::string(xb::AllTrim(code.AsString())) : std::string();
}

}  // namespace

bool lSwLogo(bool keep, bool force) {
  WorkAreas& areas = WorkAreas::Get();
  const int selected = areas.CurrentArea();
  NetUseOptions options;
  options.alias = kAlias;
  if (!lNetUse(cPathStart() + "Usuarios", options)) {
    areas.SelectArea(selected);
    return false;
  }
  WorkArea& area = areas.Current();
  const std::string code = UserCode();
  const int code_field = area.FieldPos("CCODIGO");
  const int logo_field = area.FieldPos("LLOGO");
  bool logo = false;
  bool found = false;
  area.SetControllingOrder(0);
  for (area.GoTop(); code_field > 0 && logo_field > 0 && !area.eof(); area.Skip(1)) {
    if (xb::AllTrim(area.GetField(code_field).AsString()) != code) continue;
    found = true;
    logo = area.GetField(logo_field).AsLogical();
    break;
  }
  if (found) {
    const bool wanted = force ? true : keep ? logo : !logo;
    if (wanted != logo && lNetRecLock()) {
      area.PutField(logo_field, Value::Logical(wanted));
      area.Commit();
      area.Unlock();
      logo = wanted;
    }
  }
  xb::CallFunction("DBCLOSEAREA");
  areas.SelectArea(selected);
  const Value& window = oWnd();
  if (found && xb::HasMessage(window, xb::Intern("REFRESH"))) xb::Send(window, "REFRESH");
  return found && logo;
}

void RegisterUserLogo() {
  xb::RegisterFunction("LSWLOGO", [](xb::Args& a) { return Value::Logical(lSwLogo(a.Log(1), a.Log(2))); });
}

}  // namespace data
