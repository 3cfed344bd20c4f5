#include "reports/dictionary_check.h"

#include <algorithm>
#include <memory>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/dictionary_files.h"
#include "reports/dictionary_ui.h"
#include "reports/relation_paths.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/numbers.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

using xb::rdd::SelectedArea;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

std::string Text(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  if (pos == 0) return {};
  const Value v = area.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

std::int64_t Number(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  return pos == 0 ? 0 : area.GetField(pos).AsInt();
}

// An area opened for the check and closed with it.
class Opened {
 public:
  Opened(const std::string& path, const std::string& alias, bool exclusive) {
    data::NetUseOptions options;
    options.exclusive = exclusive;
    options.alias = alias;
    if (data::lNetUse(path, options)) area_ = &WorkAreas::Get().Current();
  }
  ~Opened() {
    if (area_ != nullptr) area_->Close();
  }
  WorkArea* get() const { return area_; }

 private:
  WorkArea* area_ = nullptr;
};

struct FieldDesc {
  std::string name;
  std::string type;
  std::int64_t length = 0;
  std::int64_t decimals = 0;
};

struct TagDesc {
  std::string name;
  std::string key;
};

// The rows of `area` whose TABLA is `table`, ordered by ORDEN.
template <typename T, typename F>
std::vector<T> RowsOf(WorkArea& area, const std::string& table, F&& read) {
  std::vector<std::pair<std::int64_t, T>> rows;
  const int order = area.controlling_order();
  area.SetControllingOrder(0);
  for (area.GoTop(); !area.eof(); area.Skip(1)) {
    if (Upper(Text(area, "TABLA")) == table) rows.emplace_back(Number(area, "ORDEN"), read(area));
  }
  area.SetControllingOrder(order);
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<T> out;
  for (auto& r : rows) out.push_back(std::move(r.second));
  return out;
}

std::string Num(std::int64_t n) { return std::to_string(n); }

class Check {
 public:
  void Line(std::string line) {
    DictUi().CheckLine(line);
    lines_.push_back(std::move(line));
  }
  void Pair(const char* label, const std::string& file, const std::string& dict) {
    Line(std::string(label) + file + " -> " + dict);
  }

  bool Fields(WorkArea& table, const std::vector<FieldDesc>& described) {
    if (table.FieldCount() != static_cast<int>(described.size())) {
      Line("Nº de campos no coincide");
      return false;
    }
    bool ok = true;
    for (int f = 1; f <= table.FieldCount(); ++f) {
      const auto& real = *table.FieldAt(f);
      const FieldDesc& d = described[static_cast<std::size_t>(f - 1)];
      const std::string type(1, real.type);
      const std::string dtype = d.type == "F" ? "D" : d.type;
      if (real.name == Upper(d.name) && type == dtype && real.length == d.length && real.decimals == d.decimals) {
        continue;
      }
      ok = false;
      Line("Campo no coindice " + real.name);
      Line("Fichero -> Diccionario");
      Pair("Nombre : ", real.name, d.name);
      Pair("Tipo : ", type, d.type);
      Pair("Longitud : ", Num(real.length), Num(d.length));
      Pair("Decimal : ", Num(real.decimals), Num(d.decimals));
    }
    return ok;
  }

  bool Tags(WorkArea& table, const std::vector<TagDesc>& described) {
    SelectedArea keep;
    WorkAreas::Get().SelectArea(table.number());
    const int count = table.OrderCount();
    if (count != static_cast<int>(described.size())) {
      Line("Nº de indices no coincide");
      return false;
    }
    bool ok = true;
    for (int i = 1; i <= count; ++i) {
      const std::string name(xb::AllTrim(xb::CallFunction("ORDNAME", {Value::Integer(i)}).AsString()));
      const std::string key(xb::AllTrim(xb::CallFunction("ORDKEY", {Value::Integer(i)}).AsString()));
      const TagDesc& d = described[static_cast<std::size_t>(i - 1)];
      if (Upper(name) == Upper(d.name) && Upper(key) == Upper(d.key)) continue;
      ok = false;
      Line("Indice no coindice " + name);
      Line("Fichero -> Diccionario");
      Pair("Tag : ", name, d.name);
      Pair("Expresión : ", key, d.key);
    }
    return ok;
  }

  std::vector<std::string>& lines() { return lines_; }

 private:
  std::vector<std::string> lines_;
};

std::string TablePath(const std::string& folder, const std::string& file) {
  std::string path = folder + file;
  if (xb::rdd::PathExtension(path).empty()) path += ".dbf";
  return path;
}

void WriteLog(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  xb::rdd::FileSystem& fs = WorkAreas::Get().file_system();
  std::unique_ptr<xb::rdd::File> file;
  xb::rdd::OpenOptions options;
  options.create = true;
  options.truncate = true;
  if (fs.Open(path, options, &file).ok()) (void)file->Write(0, text.data(), text.size());
}

}  // namespace

std::string DescribedTableFolder(bool exacta, const std::string& ruta) {
  if (!exacta) return data::cPathDbf();
  if (!data::cPathDbfDelegacion().empty()) return DictFolder(data::cPathDbfDelegacion());
  return DictFolder(ruta);
}

std::vector<std::string> CheckFiles(const std::string& folder_in, bool relations) {
  const std::string folder = DictFolder(folder_in);
  SelectedArea keep;
  Check check;
  DictUi().OpenCheck();
  {
    Opened tablas(folder + "Tablas", "ChkTablas", false);
    Opened campos(folder + "Campos", "ChkCampos", false);
    Opened indices(folder + "Indices", "ChkIndices", false);
    if (tablas.get() != nullptr && campos.get() != nullptr && indices.get() != nullptr) {
      WorkArea& t = *tablas.get();
      t.SetControllingOrder(0);
      for (t.GoTop(); !t.eof(); t.Skip(1)) {
        const std::string name = Upper(Text(t, "TABLA"));
        check.Line("Comprobando tabla : " + name);
        const bool exacta = t.GetField(t.FieldPos("EXACTA")).AsLogical();
        const std::string path = TablePath(DescribedTableFolder(exacta, Text(t, "RUTA")), Text(t, "FICHERO"));
        bool ok = false;
        if (!WorkAreas::Get().file_system().Exists(path)) {
          check.Line("Fichero no existe");
        } else {
          Opened real(path, "ChkReal", false);
          if (real.get() != nullptr) {
            const auto fields = RowsOf<FieldDesc>(*campos.get(), name, [](WorkArea& a) {
              return FieldDesc{Text(a, "CAMPO"), Text(a, "TIPO"), Number(a, "LONGITUD"), Number(a, "DECIMAL")};
            });
            const auto tags = RowsOf<TagDesc>(*indices.get(), name, [](WorkArea& a) {
              return TagDesc{Text(a, "TAG"), Text(a, "EXPRESION")};
            });
            const bool fields_ok = check.Fields(*real.get(), fields);
            ok = check.Tags(*real.get(), tags) && fields_ok;
          }
        }
        check.Line(ok ? "Comprobación OK" : "Comprobación NO OK");
      }
    }
  }
  if (relations) {
    Opened relacion(folder + "Relacion", "ChkRelacion", false);
    Opened reltab(folder + "RelTab", "ChkRelTab", true);
    if (relacion.get() != nullptr && reltab.get() != nullptr) {
      const std::vector<Relation> all = ReadRelations("ChkRelacion");
      for (const Relation& r : all) check.Line("Relación nº : " + xb::StrZero(Value::Integer(r.id), 5));
      if (!RebuildRelTab("ChkRelTab", all)) check.Line("No se ha podido reconstruir RelTab");
    } else {
      // Without RelTab to itself the check cannot rebuild it: the log says so.
      check.Line("No se ha podido reconstruir RelTab");
    }
  }
  WriteLog(folder + "Chequeo.log", check.lines());
  data::Ui().MsgInfo("Comprobación finalizada. Vea resultados en el fichero Chequeo.log", "Atención");
  DictUi().EndCheck();
  return check.lines();
}

}  // namespace reports
