#include "app/tools/org_summary.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "app/org/index_catalogue.h"
#include "app/org/org_table.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace app {
namespace {

// The recomputed fields whose sums the report compares.
struct SummedField {
  std::string_view table;
  std::string_view field;
  std::string_view title;
};
constexpr SummedField kSummed[] = {
    {"Articulo", "NPENDREC", "pendiente de recibir"}, {"Articulo", "NPENDSER", "pendiente de servir"},
    {"Articulo", "NENTACU", "entradas acumuladas"},   {"Articulo", "NSALACU", "salidas acumuladas"},
    {"Clientes", "NRIESGOALC", "riesgo de clientes"}, {"Clientes", "NMOROSOS", "importe moroso"},
};

std::string Folder(const std::string& root, std::string_view name) {
  return (std::filesystem::path(root) / std::string(name) / "").string();
}

TableState ReadTable(const std::string& folder, std::string_view table, bool start_folder) {
  TableState state;
  state.table = table;
  state.start_folder = start_folder;
  OrgTable t;
  TableFailure failure;
  if (!t.Open(folder, table, &failure)) {
    state.failure = failure.description.empty() ? "no se abre" : failure.description;
    return state;
  }
  state.records = t.RecordCount();
  for (std::uint32_t r = 1; r <= state.records; ++r) {
    t.area().GoTo(r);
    if (t.area().Deleted()) ++state.deleted;
  }
  for (int i = 1; i <= t.area().OrderCount(); ++i) {
    xb::rdd::Tag* tag = t.area().OrderAt(i);
    TableState::Tag seen{tag->Info().name, tag->Info().key, 0};
    if (!tag->KeyCount(seen.keys).ok()) seen.keys = 0;
    state.tags.push_back(std::move(seen));
  }
  return state;
}

// Sums `field` over the live records of an open table.
double Sum(OrgTable& t, std::string_view field) {
  const int pos = t.Field(field);
  if (pos == 0) return 0;
  double sum = 0;
  for (std::uint32_t r = 1; r <= t.RecordCount(); ++r)
    if (t.GoToLive(r)) sum += t.Num(pos);
  return sum;
}

std::uint32_t Live(const TableState& t) { return t.records - t.deleted; }

// The catalogue's tags of a table, as the index file stores them: upper-case name = key.
std::vector<CatalogueRow> ExpectedTags(std::string_view table) {
  std::vector<CatalogueRow> out;
  for (const CatalogueRow& row : RowsOfTable(table))
    if (!row.after_statistics) out.push_back(row);
  return out;
}

// How many of the catalogue's tags the table holds in their place with their key over every
// record (a unique tag over at most every record).
int TagsBuilt(const TableState& t) {
  const std::vector<CatalogueRow> rows = ExpectedTags(t.table);
  int built = 0;
  for (std::size_t i = 0; i < rows.size() && i < t.tags.size(); ++i) {
    const TableState::Tag& tag = t.tags[i];
    const bool keys_right = rows[i].unique ? (tag.keys <= t.records && (tag.keys > 0 || t.records == 0))
                                           : tag.keys == t.records;
    if (tag.name == UpperText(rows[i].tag) && tag.key == rows[i].key && keys_right) ++built;
  }
  return built;
}

bool IsStatistics(const TableState& t) { return t.table == "Graph"; }

// What is wrong with a table after the organisation; empty when nothing.
std::string Problem(const TableState* before, const TableState& after) {
  if (!after.failure.empty()) return "no se abre: " + after.failure;
  if (after.deleted > 0) return "no se ha compactado";
  if (before && before->failure.empty() && !IsStatistics(after) && after.records != Live(*before))
    return "ha perdido o ganado registros";
  const std::size_t expected = ExpectedTags(after.table).size();
  if (after.tags.size() != expected || TagsBuilt(after) != static_cast<int>(expected))
    return "etiquetas que no son las del catálogo";
  return {};
}

// A file time as seconds since 1970 (the file-system clock has an epoch of its own).
double FileClockSeconds(std::filesystem::file_time_type time) {
  static const double offset = [] {
    const auto file_now = std::filesystem::file_time_type::clock::now();
    const auto system_now = std::chrono::system_clock::now();
    return std::chrono::duration<double>(system_now.time_since_epoch()).count() -
           std::chrono::duration<double>(file_now.time_since_epoch()).count();
  }();
  return std::chrono::duration<double>(time.time_since_epoch()).count() + offset;
}

const TableState* Find(const CompanyState& state, std::string_view table) {
  for (const TableState& t : state.tables)
    if (t.table == table) return &t;
  return nullptr;
}

// Spanish figures: thousands with points, decimals with a comma.
std::string Count(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
    out += digits[i];
  }
  return out;
}
std::string Amount(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  const std::string_view s = text;
  const bool negative = !s.empty() && s[0] == '-';
  const std::size_t point = s.find('.');
  const std::string_view whole = s.substr(negative ? 1 : 0, (point == s.npos ? s.size() : point) - (negative ? 1 : 0));
  std::string out = negative ? "-" : "";
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) out += '.';
    out += whole[i];
  }
  if (point != s.npos) {
    out += ',';
    out += s.substr(point + 1);
  }
  return out;
}

}  // namespace

namespace {

// When a file was last written, in FileClockSeconds' seconds. The C runtime's file times
// are whole seconds under Windows: a short organisation would seem to write nothing after
// the moment the state was taken, so the system's own time (100 ns) is read there.
bool WriteSeconds(const std::string& path, double* seconds) {
#if defined(_WIN32)
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  const ULONGLONG ticks = ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
  constexpr double kUnixEpoch = 11644473600.0;  // 1601-01-01 to 1970-01-01, in seconds
  *seconds = double(ticks) / 1e7 - kUnixEpoch;
  return true;
#else
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return false;
  *seconds = FileClockSeconds(time);
  return true;
#endif
}

}  // namespace

CompanyState ReadCompanyState(const std::string& root, std::string_view code, double since) {
  CompanyState state;
  state.code = code;
  state.taken = FileClockSeconds(std::filesystem::file_time_type::clock::now());
  const std::string start = Folder(root, "DBF");
  const std::string company = Folder(root, "DBF" + std::string(code));
  {
    OrgTable empresa;
    TableFailure failure;
    if (empresa.Open(start, "Empresa", &failure)) {
      const int code_field = empresa.Field("CODEMP"), blocked = empresa.Field("LACTIVA");
      for (std::uint32_t r = 1; r <= empresa.RecordCount(); ++r) {
        if (!empresa.GoToLive(r) || TrimRight(empresa.Text(code_field)) != code) continue;
        state.listed = true;
        state.blocked = empresa.Log(blocked);
        break;
      }
    }
  }
  for (const CatalogueTable& t : CatalogueTables()) {
    const bool in_start = t.folder == CatalogueFolder::kStart;
    state.tables.push_back(ReadTable(in_start ? start : company, t.table, in_start));
  }
  std::string open_table;
  OrgTable t;
  for (const SummedField& f : kSummed) {
    if (open_table != f.table) {
      t.Close();
      TableFailure failure;
      open_table = t.Open(company, f.table, &failure) ? std::string(f.table) : std::string();
    }
    state.sums.push_back({std::string(f.table), std::string(f.field), open_table.empty() ? 0 : Sum(t, f.field)});
  }
  if (const TableState* graph = Find(state, "Graph")) state.graph_rows = Live(*graph);

  // When the organisation wrote: the tables' files and the company table (freed last).
  auto written = [&](const std::string& folder, std::string_view table) {
    for (const char* extension : {".dbf", ".cdx", ".fpt"}) {
      double t = 0;
      if (!WriteSeconds(folder + std::string(table) + extension, &t) || t <= since) continue;
      if (state.first_write == 0 || t < state.first_write) state.first_write = t;
      if (t > state.last_write) state.last_write = t;
    }
  };
  for (const TableState& t : state.tables) written(t.start_folder ? start : company, t.table);
  written(start, "Empresa");
  return state;
}

std::string StateText(const CompanyState& state) {
  std::ostringstream out;
  out << "empresa " << state.code << ' ' << (state.listed ? 1 : 0) << ' ' << (state.blocked ? 1 : 0) << '\n';
  for (const TableState& t : state.tables)
    out << "tabla " << t.table << ' ' << (t.start_folder ? 1 : 0) << ' ' << (t.failure.empty() ? 1 : 0) << ' '
        << t.records << ' ' << t.deleted << '\n';
  char value[64];
  for (const FieldSum& s : state.sums) {
    std::snprintf(value, sizeof value, "%.6f", s.sum);
    out << "suma " << s.table << ' ' << s.field << ' ' << value << '\n';
  }
  out << "graficos " << state.graph_rows << '\n';
  std::snprintf(value, sizeof value, "%.6f", state.taken);
  out << "tomado " << value << '\n';
  return out.str();
}

bool ParseStateText(std::string_view text, CompanyState* state) {
  *state = CompanyState();
  std::istringstream in{std::string(text)};
  std::string line;
  bool company = false;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "empresa") {
      int listed = 0, blocked = 0;
      if (!(words >> state->code >> listed >> blocked)) return false;
      state->listed = listed != 0;
      state->blocked = blocked != 0;
      company = true;
    } else if (kind == "tabla") {
      TableState t;
      int start = 0, opened = 0;
      if (!(words >> t.table >> start >> opened >> t.records >> t.deleted) || t.deleted > t.records) return false;
      t.start_folder = start != 0;
      if (!opened) t.failure = "no se abría";
      state->tables.push_back(std::move(t));
    } else if (kind == "suma") {
      FieldSum s;
      if (!(words >> s.table >> s.field >> s.sum)) return false;
      state->sums.push_back(std::move(s));
    } else if (kind == "tomado") {
      if (!(words >> state->taken)) return false;
    } else if (kind == "graficos") {
      if (!(words >> state->graph_rows)) return false;
    } else {
      return false;
    }
  }
  return company;
}

std::string OrganisationSummary(const CompanyState& before, const CompanyState& after, double seconds) {
  std::string out;
  char line[512];
  const std::string folder = "DBF" + after.code;
  std::snprintf(line, sizeof line, "Organización de la empresa %s (carpeta %s)\n\n", after.code.c_str(), folder.c_str());
  out += line;
  std::snprintf(line, sizeof line, "%-9s %-6s %11s %9s %11s  %-9s %s\n", "Tabla", "Carp.", "Antes", "Borrados",
                "Después", "Etiquetas", "");
  out += line;
  int tables = 0, packed = 0, tags_expected = 0, tags_built = 0;
  std::uint64_t records_before = 0, deleted_before = 0, records_after = 0;
  std::vector<std::string> problems;
  for (const TableState& t : after.tables) {
    const TableState* b = Find(before, t.table);
    const int expected = static_cast<int>(ExpectedTags(t.table).size());
    const int built = t.failure.empty() ? TagsBuilt(t) : 0;
    const std::string problem = Problem(b, t);
    ++tables;
    if (t.failure.empty() && t.deleted == 0) ++packed;
    tags_expected += expected;
    tags_built += built;
    if (b) {
      records_before += b->records;
      deleted_before += b->deleted;
    }
    records_after += t.records;
    const std::string tags = std::to_string(built) + " de " + std::to_string(expected);
    std::string note;
    if (!problem.empty()) {
      note = "  ¡";
      note += problem;
      note += '!';
    }
    std::snprintf(line, sizeof line, "%-9s %-6s %11s %9s %11s  %-9s %s%s\n", t.table.c_str(),
                  t.start_folder ? "DBF" : folder.c_str(), b ? Count(b->records).c_str() : "?",
                  b ? Count(b->deleted).c_str() : "?", t.failure.empty() ? Count(t.records).c_str() : "-", tags.c_str(),
                  IsStatistics(t) ? "rehecha por las estadísticas" : "", note.c_str());
    out += line;
    if (!problem.empty()) problems.push_back(t.table + ": " + problem);
  }
  out += "\n";
  std::snprintf(line, sizeof line, "Tablas compactadas:      %d de %d\n", packed, tables);
  out += line;
  std::snprintf(line, sizeof line, "Registros antes:         %s, de ellos %s borrados\n", Count(records_before).c_str(),
                Count(deleted_before).c_str());
  out += line;
  std::snprintf(line, sizeof line, "Registros después:       %s\n", Count(records_after).c_str());
  out += line;
  std::snprintf(line, sizeof line, "Etiquetas creadas:       %d de %d, con las claves del catálogo sobre todos los registros\n",
                tags_built, tags_expected);
  out += line;
  if (!after.listed) {
    out += "La empresa " + after.code + " no figura en Empresa.\n";
  } else {
    out += after.blocked ? "La empresa " + after.code + " ha quedado BLOQUEADA.\n"
                         : "La empresa " + after.code + " ha quedado libre.\n";
  }
  std::snprintf(line, sizeof line, "\n%-42s %14s %16s\n", "Recálculos (suma de los registros)", "antes", "después");
  out += line;
  for (std::size_t i = 0; i < after.sums.size() && i < std::size(kSummed); ++i) {
    const double was = i < before.sums.size() ? before.sums[i].sum : 0;
    const std::string name = std::string(kSummed[i].table) + " " + std::string(kSummed[i].field) + ", " +
                             std::string(kSummed[i].title);
    std::snprintf(line, sizeof line, "  %-40s %14s %16s\n", name.c_str(), Amount(was, 2).c_str(),
                  Amount(after.sums[i].sum, 2).c_str());
    out += line;
  }
  std::snprintf(line, sizeof line, "  %-40s %14s %16s\n", "Graph, filas de estadísticas", Count(before.graph_rows).c_str(),
                Count(after.graph_rows).c_str());
  out += line;
  std::snprintf(line, sizeof line, "\nTiempo de Vdr.exe, de principio a fin: %s s\n", Amount(seconds, 1).c_str());
  out += line;
  if (after.last_write > after.first_write) {
    std::snprintf(line, sizeof line, "Ficheros escritos durante %s s (de la primera tabla compactada a la última)\n",
                  Amount(after.last_write - after.first_write, 1).c_str());
    out += line;
  }
  if (!problems.empty()) {
    out += "\nProblemas:\n";
    for (const std::string& p : problems) out += "  " + p + "\n";
  }
  return out;
}

bool OrganisationComplete(const CompanyState& before, const CompanyState& after) {
  if (!after.listed || after.blocked || after.tables.empty()) return false;
  for (const TableState& t : after.tables)
    if (!Problem(Find(before, t.table), t).empty()) return false;
  return true;
}

}  // namespace app
