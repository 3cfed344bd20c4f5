#include "app/tools/demo_users.h"

#include <initializer_list>
#include <utility>
#include <vector>

#include "app/org/org_table.h"
#include "data/table_access.h"
#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"

namespace app {
namespace {

using xb::Value;

constexpr std::size_t kPasswordLength = 9;
constexpr int kScrambleStep = 87;
constexpr std::size_t kAccessLength = 255;

struct FieldSpec {
  const char* name;
  char type;
  int length;
};

struct Tag {
  const char* name;
  const char* key;
};

using Row = std::vector<std::pair<const char*, Value>>;

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

Value Structure(std::initializer_list<FieldSpec> fields) {
  xb::Array list = xb::Array::New();
  for (const FieldSpec& f : fields)
    list.Append(Value(xb::Array::Of({Value::String(f.name), Value::String(std::string(1, f.type)),
                                     Value::Integer(f.length), Value::Integer(0)})));
  return Value(list);
}

// Creates the table, appends the rows and builds its tags; the selected area is kept.
bool WriteTable(const std::string& folder, const char* name, const Value& structure, const std::vector<Row>& rows,
                std::initializer_list<Tag> tags, std::string* error) {
  ErrorCatcher catcher;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int selected = areas.CurrentArea();
  const std::string path = folder + name;
  Call("FERASE", {Value::String(data::IndexFileOf(path))});
  Call("DBCREATE", {Value::String(path), structure});
  Call("DBUSEAREA", {Value::Logical(true), Value(), Value::String(path), Value::String(name), Value::Logical(false),
                     Value::Logical(false)});
  xb::rdd::WorkArea& area = areas.Current();
  if (area.used() && !catcher.caught()) {
    for (const Row& row : rows) {
      Call("DBAPPEND");
      for (const auto& [field, value] : row) area.PutField(area.FieldPos(field), value);
    }
    for (const Tag& tag : tags) Call("ORDCREATE", {Value::String(""), Value::String(tag.name), Value::String(tag.key)});
    area.Close();
  }
  areas.SelectArea(selected);
  if (catcher.caught()) *error = path + ": " + catcher.first()->description;
  else if (!Call("FILE", {Value::String(path + ".dbf")}).AsLogical()) *error = path + ": no se ha podido crear";
  return error->empty();
}

std::string Access(char level, int closed_record = 0) {
  std::string access(kAccessLength, level);
  if (closed_record > 0) access[static_cast<std::size_t>(closed_record - 1)] = '0';
  return access;
}

}  // namespace

std::string ScrambledPassword(std::string_view password, unsigned char extra) {
  std::string text(password.substr(0, kPasswordLength));
  text.resize(kPasswordLength, ' ');
  text.push_back(static_cast<char>(extra));
  for (std::size_t i = kPasswordLength; i-- > 0;) {
    const auto next = static_cast<unsigned char>(text[i + 1]);
    text[i] = static_cast<char>((static_cast<unsigned char>(text[i]) + next % kScrambleStep) % 256);
  }
  return text;
}

bool WriteDemoUsers(const std::string& folder, std::string* error) {
  error->clear();
  const Value user_fields = Structure({{"cCodigo", 'C', 2},
                                         {"cNombre", 'C', 25},
                                         {"cClave", 'C', 10},
                                         {"lActivo", 'L', 1},
                                         {"Accesos1", 'C', 255},
                                         {"Accesos2", 'C', 255},
                                         {"Accesos3", 'C', 255},
                                         {"Accesos4", 'C', 255},
                                         {"lLogo", 'L', 1},
                                         {"UltEmpresa", 'C', 3},
                                         {"Grupo", 'C', 3}});
  std::vector<Row> users;
  unsigned char extra = 17;
  for (const DemoUser& u : kDemoUsers) {
    const Value access = Value::String(Access('2', u.organises ? 0 : kReIndexRecord));
    users.push_back({{"CCODIGO", Value::String(u.code)},
                     {"CNOMBRE", Value::String(u.name)},
                     {"CCLAVE", Value::String(ScrambledPassword(u.password, extra += 23))},
                     {"LACTIVO", Value::Logical(false)},
                     {"ACCESOS1", access},
                     {"ACCESOS2", access},
                     {"ACCESOS3", access},
                     {"ACCESOS4", access},
                     {"LLOGO", Value::Logical(true)},
                     {"GRUPO", Value::String(u.organises ? "000" : "")}});
  }
  if (!WriteTable(folder, "Usuarios", user_fields, users,
                  {{"Codigo", "cCodigo"}, {"Nombre", "UPPER( cNombre )"}, {"Grupo", "UPPER( Grupo )"}}, error))
    return false;

  const Value all = Value::String(Access('2'));
  const std::vector<Row> groups = {{{"CODIGO", Value::String("000")},
                                    {"DESCRIPC", Value::String("Administradores")},
                                    {"ACCESOS1", all},
                                    {"ACCESOS2", all},
                                    {"ACCESOS3", all},
                                    {"ACCESOS4", all}}};
  if (!WriteTable(folder, "GrpUser",
                  Structure({{"Codigo", 'C', 3},
                             {"Descripc", 'C', 25},
                             {"Accesos1", 'C', 255},
                             {"Accesos2", 'C', 255},
                             {"Accesos3", 'C', 255},
                             {"Accesos4", 'C', 255}}),
                  groups, {{"Codigo", "UPPER( Codigo )"}}, error))
    return false;

  // Kinds: 0 opens a pop-up, 1 an option, 3 ends the pop-up, 4 and 5 the places of the
  // window and help menus. The option's record number is its place in the access strings.
  auto entry = [](int kind, const char* name, const char* item, const char* message) {
    return Row{{"TIPOMENU", Value::Integer(kind)}, {"NAME", Value::String(name)},   {"ITEM", Value::String(item)},
               {"MSG", Value::String(message)},    {"MARK", Value::Logical(false)}, {"CONTROL", Value::Logical(kind == 1)}};
  };
  const std::vector<Row> menu = {
      entry(0, "", "&Organización", "Organización de los ficheros de las empresas"),
      entry(1, "ReIndex", "&Generar índices", "Empaquetar los ficheros y generar sus índices"),
      entry(3, "", "", ""),
      entry(4, "", "", ""),
      entry(5, "", "", ""),
  };
  return WriteTable(folder, "MenuVdrE",
                    Structure({{"TIPOMENU", 'N', 1},
                               {"NAME", 'C', 20},
                               {"ITEM", 'C', 40},
                               {"ACTION", 'C', 100},
                               {"MSG", 'C', 80},
                               {"DISK", 'C', 30},
                               {"ACELERA1", 'N', 3},
                               {"ACELERA2", 'N', 3},
                               {"NHELP", 'N', 9},
                               {"MARK", 'L', 1},
                               {"CONTROL", 'L', 1}}),
                    menu, {}, error);
}

}  // namespace app
