#include "app/org/company_table.h"

#include "app/org/company_loop.h"
#include "data/currency.h"
#include "data/currency_functions.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/files.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace app {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

// One table of the company opened exclusively in a new work area through LNETUSE, which says
// why when it cannot be; closed when the object goes, the area selected before selected again.
class CompanyTable {
 public:
  CompanyTable(const std::string& folder, std::string_view table)
      : selected_(WorkAreas::Get().CurrentArea()), there_(WorkAreas::Get().file_system().Exists(folder + std::string(table) + ".dbf")) {
    data::NetUseOptions options;
    options.exclusive = true;
    options.alias = std::string(table);
    if (data::lNetUse(folder + std::string(table), options)) area_ = &WorkAreas::Get().Current();
  }
  ~CompanyTable() {
    if (area_) area_->Close();
    WorkAreas::Get().SelectArea(selected_);
  }
  CompanyTable(const CompanyTable&) = delete;
  CompanyTable& operator=(const CompanyTable&) = delete;

  bool open() const { return area_ != nullptr; }
  // What its failure was: the file is not there, or another user holds it.
  StartSettings failure() const { return there_ ? StartSettings::kInUse : StartSettings::kMissing; }
  WorkArea& area() { return *area_; }
  std::string alias() const { return std::string(Call("ALIAS").AsString()); }
  Value Field(std::string_view name) {
    const int pos = area_->FieldPos(name);
    return pos ? area_->GetField(pos) : Value();
  }

 private:
  int selected_;
  bool there_;
  WorkArea* area_ = nullptr;
};

}  // namespace

int nHayEmpresas(std::string_view pattern) {
  return static_cast<int>(xb::Directory(pattern, "D").size());
}

void CrearDbf(std::string_view file, const Value& structure) {
  Call("FERASE", {Value::String(data::IndexFileOf(file))});
  Call("DBCREATE", {Value::String(file), structure});
}

StartSettings LoadStartCompanySettings(const std::string& company_folder) {
  data::CompanySettings& company = data::CurrentCompany();
  {
    CompanyTable claves(company_folder, "Claves");
    if (!claves.open()) return claves.failure();
    claves.area().GoTop();
    if (!claves.area().eof()) {
      const std::string currency(xb::AllTrim(claves.Field("CCODDIV").AsString()));
      company.currency = currency.empty() ? "EUR" : currency;
      company.irpf_on_vat = claves.Field("LIRPFAGR").AsLogical();
      company.result_integers = static_cast<int>(claves.Field("NENTRES").AsInt());
      company.result_decimals = static_cast<int>(claves.Field("NDECRES").AsInt());
      company.statistics = claves.Field("LGRAFCLI").AsLogical();
    }
  }
  CompanyTable divisas(company_folder, "Divisas");
  if (!divisas.open()) return divisas.failure();
  const std::string alias = divisas.alias();
  for (divisas.area().GoTop(); !divisas.area().eof(); divisas.area().Skip(1)) data::Mascaras(alias);
  return StartSettings::kLoaded;
}

CompanyTableOpen OpenCompanyTable(const std::string& start_folder) {
  const std::string table = start_folder + std::string(kCompanyTableAlias);
  data::NetUseOptions options;
  options.exclusive = true;
  options.alias = std::string(kCompanyTableAlias);
  if (!data::lNetUse(table, options)) return CompanyTableOpen::kFailed;

  if (!WorkAreas::Get().file_system().Exists(data::IndexFileOf(table))) {
    Call("ORDCREATE", {Value::String(""), Value::String(kCompanyCodeTag), Value::String("CODEMP")});
    Call("ORDCREATE", {Value::String(""), Value::String(kCompanyNameTag), Value::String(kCompanyNameKey)});
    Call("ORDSETFOCUS", {Value::Integer(1)});
    Call("DBGOTOP");
    return CompanyTableOpen::kIndexRebuilt;
  }
  data::aStEmpresa(Value(data::aCamposLee()));
  Call("ORDSETFOCUS", {Value::Integer(1)});
  // A table without companies has no first company to read.
  if (WorkAreas::Get().Current().eof()) return CompanyTableOpen::kOpened;
  const Value code = Call("FIELDGET", {Call("FIELDPOS", {Value::String("CODEMP")})});
  data::cPathDbf(CompanyFolder(start_folder, xb::AllTrim(code.AsString())));
  switch (LoadStartCompanySettings(data::cPathDbf())) {
    case StartSettings::kLoaded: return CompanyTableOpen::kOpened;
    case StartSettings::kMissing: return CompanyTableOpen::kSettingsMissing;
    case StartSettings::kInUse: return CompanyTableOpen::kSettingsInUse;
  }
  return CompanyTableOpen::kOpened;
}

void RegisterCompanyTableFunctions() {
  xb::RegisterFunction("NHAYEMPRESAS", [](xb::Args&) { return Value::Integer(nHayEmpresas()); });
  xb::RegisterFunction("CREARDBF", [](xb::Args& a) {
    CrearDbf(a.Str(1), a.Arg(2));
    return Value();
  });
}

}  // namespace app
