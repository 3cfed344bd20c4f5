#include "app/tools/demo_data.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "app/org/index_data.h"
#include "app/tools/demo_text.h"
#include "app/tools/demo_users.h"
#include "runtime/codepage.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/workareas.h"

namespace app {
namespace {

using demo::Rng;
using xb::rdd::DbfTable;
using xb::rdd::Status;
namespace dbf = xb::rdd::dbf;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The table a code field refers to.
struct Owner {
  std::string_view field, table;
};
constexpr Owner kOwners[] = {
    {"CCODCLI", "Clientes"}, {"CCODCP", "Clientes"},   {"CCODPRO", "Proveedo"},  {"CCODAGE", "Agentes"},
    {"CREF", "Articulo"},    {"CREFCOMP", "Articulo"}, {"CCODART", "Articulo"},  {"CMATPRIM", "Articulo"},
    {"CPRODUCTO", "Articulo"}, {"CREFPRIMA", "Articulo"}, {"CCODFAM", "Familias"}, {"CCODALM", "Almacen"},
    {"CALMACEN", "Almacen"}, {"CCODDIV", "Divisas"},   {"CTIPOIVA", "Ivas"},     {"CCODZONA", "Zonas"},
    {"CCODPROV", "Provinc"}, {"CCODRAP", "Rappels"},   {"CCODPAGO", "FPago"},    {"CCODSEC", "Seccion"},
    {"CCODDEP", "Depart"},   {"CCODEMP", "Personal"},  {"CCODCAJA", "CodCaja"},  {"CCODMCAJA", "CodCaja"},
    {"CCODTRAN", "Transpor"}, {"CCODPLAN", "PlantCab"}, {"CODRUTA", "Rutas"},    {"CTIPLLAM", "TipLlama"},
    {"CCODGRUP", "GrupCli"}, {"CCODPROP", "Prop"},     {"CCODPROP1", "Prop"},    {"CCODPROP2", "Prop"},
    {"CCTAREM", "Cta_Rem"},  {"CCODCONF", "ConfKey"},  {"CMODCAJA", "ModCajas"}, {"CCODOPE", "Operaci"},
    {"CCODTAC", "ConfTac"},  {"CCODINVEN", "Inven"},   {"CGRPCONTA", ""},        {"CCOD", "Clientes"},
};

std::string_view OwnerOf(std::string_view table, std::string_view field) {
  if (field == "CODIGO") {
    if (table == "ExpCli") return "Clientes";
    if (table == "ExpArt") return "Articulo";
    if (table == "ExpFam") return "Familias";
    return {};
  }
  if (field == "CCODIGO" && (table == "WLinDoc" || table == "WLinDocC")) return "WCabDoc";
  for (const Owner& o : kOwners)
    if (o.field == field) return o.table;
  return {};
}

struct DemoCurrency {
  std::string_view code, name, symbol;
  int price_digits, price_decimals, result_digits, result_decimals;
  double euro_value, rate;
  bool euro_zone;
};
constexpr DemoCurrency kCurrencies[] = {
    {"EUR", "Euro", "€", 7, 3, 9, 2, 1.0, 1.0, true},
    {"PTS", "Peseta", "Pts", 9, 0, 12, 0, 0.006010, 166.386, true},
    {"USD", "Dólar USA", "$", 7, 3, 9, 2, 0.92, 0, false},
    {"GBP", "Libra esterlina", "£", 7, 3, 9, 2, 1.17, 0, false},
    {"CHF", "Franco suizo", "Fr", 7, 3, 9, 2, 1.05, 0, false},
};

struct DemoVat {
  std::string_view code, name;
  double rate, surcharge;
};
constexpr DemoVat kVat[] = {
    {"1", "General", 21, 5.2}, {"2", "Reducido", 10, 1.4}, {"3", "Superreducido", 4, 0.5}, {"4", "Exento", 0, 0}};

// What a line copies from its document.
struct HeaderInfo {
  std::string serie, client, supplier, agent, currency;
  double number = 0, euro_value = 1, value = 1;
  std::int32_t date = 0;
};

// One record being written.
struct Record {
  std::uint32_t index = 0;  // 0-based
  std::uint32_t count = 0;
  Rng* rng = nullptr;
  const HeaderInfo* header = nullptr;
  std::uint32_t within_header = 0;  // line number within its document, from 0
  HeaderInfo own;                   // a document's own values, for its lines
};

// Everything the tables of one folder share while they are written.
class FolderPlan {
 public:
  FolderPlan(const DemoOptions& options, const DemoCompany* company) : options_(options), company_(company) {}

  std::uint32_t Count(std::string_view table) const { return Known(table).count; }

  // The code of the n-th record (from 1) of a table.
  std::string Code(std::string_view table, std::uint64_t n) const {
    if (table == "Divisas") return std::string(kCurrencies[(n - 1) % std::size(kCurrencies)].code);
    if (table == "Ivas") return std::string(kVat[(n - 1) % std::size(kVat)].code);
    if (table == "Articulo") {
      std::string digits = std::to_string(n);
      return "R" + std::string(digits.size() < 6 ? 6 - digits.size() : 0, '0') + digits;
    }
    const std::size_t width = Known(table).code_width;
    std::string digits = std::to_string(n);
    if (digits.size() > width) digits = digits.substr(digits.size() - width);
    return std::string(width - digits.size(), '0') + digits;
  }

  std::string Pick(std::string_view owner, Rng& rng) const {
    const std::uint32_t count = std::max<std::uint32_t>(1, Count(owner));
    if (owner == "Divisas") return std::string(rng.Percent(97) ? "EUR" : Code(owner, 1 + rng.Below(count)));
    // Some customers and articles are far busier than others.
    const std::uint64_t n = rng.Percent(50) ? rng.Below(std::max<std::uint32_t>(1, count / 10)) : rng.Below(count);
    return Code(owner, n + 1);
  }

  const DemoCurrency* Currency(std::string_view code) const {
    for (const DemoCurrency& c : kCurrencies)
      if (c.code == code) return &c;
    return nullptr;
  }

  xb::Date DocumentDate(const Record& r) const {
    const std::int32_t span = 3 * 365;
    const std::int32_t offset = r.count ? static_cast<std::int32_t>(static_cast<std::int64_t>(r.index) * span / r.count) : 0;
    return xb::Date{std::min(options_.today.julian, options_.today.julian - span + offset + static_cast<std::int32_t>(r.rng->Below(3)))};
  }
  xb::Date AnyDate(Rng& rng) const {
    return xb::Date{options_.today.julian - static_cast<std::int32_t>(rng.Below(3 * 365))};
  }

  const DemoOptions& options() const { return options_; }
  const DemoCompany* company() const { return company_; }
  std::map<std::string, std::vector<HeaderInfo>, std::less<>> headers;

 private:
  // What Count and Code need of a table, worked out once.
  struct TableFacts {
    std::uint32_t count = 0;
    std::size_t code_width = 6;
  };
  const TableFacts& Known(std::string_view table) const {
    auto it = facts_.find(table);
    if (it != facts_.end()) return it->second;
    TableFacts facts;
    if (const TableSchema* s = FindSchema(table)) {
      const bool here = company_ ? s->folder == CatalogueFolder::kCompany : s->folder == CatalogueFolder::kStart;
      facts.count = here || !company_ ? DemoRecordCount(*s, company_ ? company_->records : 0)
                                      : static_cast<std::uint32_t>(s->minimum);
      const auto fields = Structure(*s);
      if (!fields.empty()) facts.code_width = static_cast<std::size_t>(std::max(1, fields.front().length));
    }
    return facts_.emplace(std::string(table), facts).first->second;
  }

  const DemoOptions& options_;
  const DemoCompany* company_;
  mutable std::map<std::string, TableFacts, std::less<>> facts_;
};

using Filler = std::function<void(DbfTable&, Record&)>;

double MaxFor(const dbf::Field& f) {
  const int integer = f.length - (f.decimals ? f.decimals + 1 : 0);
  return integer <= 0 ? 0 : std::pow(10.0, integer) - 1;
}

void PutNum(DbfTable& t, int index, const dbf::Field& f, double v) {
  const double max = MaxFor(f);
  (void)t.PutNumber(index, std::clamp(v, -max / 10, max));
}

// How each field of a table is filled.
std::vector<Filler> PlanFields(const TableSchema& schema, const std::vector<dbf::Field>& fields, FolderPlan& plan) {
  std::vector<Filler> out;
  const std::string table(schema.table);
  const bool document = schema.role == DemoRole::kDocument;
  const bool lines = schema.role == DemoRole::kLines;
  bool number_taken = false, date_taken = false;
  const bool has_ordered = std::any_of(fields.begin(), fields.end(), [](const dbf::Field& f) { return f.name == "NCANPED"; });
  std::vector<dbf::FieldSpec> parent_fields;
  if (lines)
    if (const TableSchema* p = FindSchema(schema.parent)) parent_fields = Structure(*p);
  const bool parent_dated = std::any_of(parent_fields.begin(), parent_fields.end(),
                                       [](const dbf::FieldSpec& f) { return f.type == 'D'; });
  auto parent_has = [&](std::string_view name) {
    return std::any_of(parent_fields.begin(), parent_fields.end(), [&](const dbf::FieldSpec& f) { return f.name == name; });
  };

  for (std::size_t k = 0; k < fields.size(); ++k) {
    const dbf::Field& f = fields[k];
    const int i = static_cast<int>(k);
    const std::string& n = f.name;
    const std::string_view owner = OwnerOf(table, n);

    // ---- what a line takes from its document
    if (lines && parent_has(n) &&
        (StartsWith(n, "NNUM") || n == "CSERIE" || n == "CCODCLI" || n == "CCODPRO" || n == "CCODAGE" ||
         n == "CCODDIV" || n == "NVALEURO" || n == "NVALDIV")) {
      out.push_back([i, f, n](DbfTable& t, Record& r) {
        const HeaderInfo& h = *r.header;
        if (StartsWith(n, "NNUM")) PutNum(t, i, f, h.number);
        else if (n == "CSERIE") (void)t.PutCharacter(i, h.serie);
        else if (n == "CCODCLI") (void)t.PutCharacter(i, h.client);
        else if (n == "CCODPRO") (void)t.PutCharacter(i, h.supplier);
        else if (n == "CCODAGE") (void)t.PutCharacter(i, h.agent);
        else if (n == "CCODDIV") (void)t.PutCharacter(i, h.currency);
        else if (n == "NVALEURO") PutNum(t, i, f, h.euro_value);
        else PutNum(t, i, f, h.value);
      });
      continue;
    }
    // ---- a document's own number
    if (document && !number_taken && f.type == 'N' && StartsWith(n, "NNUM")) {
      number_taken = true;
      out.push_back([i, f](DbfTable& t, Record& r) {
        r.own.number = r.index + 1;
        PutNum(t, i, f, r.own.number);
      });
      continue;
    }

    switch (f.type) {
      case 'C': {
        if (table == "Articulo" && n == "CREF") {
          out.push_back([i, &plan](DbfTable& t, Record& r) { (void)t.PutCharacter(i, plan.Code("Articulo", r.index + 1)); });
        } else if (table == "Kits" && n == "CREF") {
          // Every fortieth article from the eighth is a kit of three components.
          out.push_back([i, &plan](DbfTable& t, Record& r) {
            const std::uint32_t kits = std::max<std::uint32_t>(1, (plan.Count("Articulo") + 32) / 40);
            (void)t.PutCharacter(i, plan.Code("Articulo", 40 * ((r.index / 3) % kits) + 8));
          });
        } else if (table == "Kits" && n == "CREFCOMP") {
          out.push_back([i, &plan](DbfTable& t, Record& r) {
            const std::uint32_t articles = std::max<std::uint32_t>(1, plan.Count("Articulo"));
            const std::uint32_t kits = std::max<std::uint32_t>(1, (articles + 32) / 40);
            const std::uint32_t component = (40 * ((r.index / 3) % kits) + 8 + 1 + r.index % 3 - 1) % articles + 1;
            (void)t.PutCharacter(i, plan.Code("Articulo", component));
          });
        } else if (!owner.empty() && owner != table) {
          out.push_back([i, n, owner = std::string(owner), document, &plan](DbfTable& t, Record& r) {
            const std::string code = plan.Pick(owner, *r.rng);
            (void)t.PutCharacter(i, code);
            if (n == "CCODCLI") r.own.client = code;
            else if (n == "CCODPRO") r.own.supplier = code;
            else if (n == "CCODAGE") r.own.agent = code;
            else if (n == "CCODDIV") r.own.currency = code;
          });
        } else if (owner == table || (k == 0 && (schema.role == DemoRole::kFixed || schema.role == DemoRole::kMaster))) {
          out.push_back([i, table, &plan](DbfTable& t, Record& r) { (void)t.PutCharacter(i, plan.Code(table, r.index + 1)); });
        } else if (n == "CSERIE") {
          out.push_back([i, table](DbfTable& t, Record& r) {
            std::string serie = "A";
            if (table == "FacCliT") serie = r.index % 40 == 39 ? "C" : r.index % 7 == 3 ? "B" : "A";
            else if (StartsWith(table, "Ticket") || StartsWith(table, "HTicket") || table == "MovimT") serie = "T";
            r.own.serie = serie;
            (void)t.PutCharacter(i, serie);
          });
        } else if (n == "CNOMFAM" || n == "CDESRAP") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::FamilyName(r.index)); });
        } else if (n == "CNOMPROV") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::ProvinceName(r.index)); });
        } else if (n == "CNOMCLI" || n == "CNOMPRO" || n == "CNOMCOM" || n == "CAPEAGE" || n == "CCONTACTO" ||
                   (n == "CNOMBRE" && (table == "Personal" || table == "Bancos"))) {
          out.push_back([i](DbfTable& t, Record& r) {
            (void)t.PutCharacter(i, r.rng->Percent(60) ? demo::CompanyName(*r.rng) : demo::PersonName(*r.rng));
          });
        } else if (n == "CNOMAGE") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::PersonName(*r.rng)); });
        } else if (n == "CDETALLE" || n == "CDES_TAC") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::ArticleName(*r.rng)); });
        } else if (n == "CDIRECCION") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::Street(*r.rng)); });
        } else if (n == "CPOBLACION") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::Town(*r.rng)); });
        } else if (n == "CTELEFONO") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::Phone(*r.rng)); });
        } else if (n == "CDNICIF" || n == "CNIFDNI" || n == "CNIF") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::Dni(*r.rng)); });
        } else if (n == "CSUBCTA") {
          const std::string prefix = table == "Proveedo" ? "400" : table == "Clientes" || table == "SubClien" ? "430" : "572";
          out.push_back([i, prefix](DbfTable& t, Record& r) { (void)t.PutCharacter(i, prefix + demo::Digits(*r.rng, 9)); });
        } else if (n == "CCODEDI" || n == "CCODEBAR") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::Ean13(*r.rng)); });
        } else if (n == "CHORAINI") {
          out.push_back([i](DbfTable& t, Record& r) {
            char text[8];
            std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(8 + r.rng->Below(12)),
                          static_cast<int>(r.rng->Below(4) * 15));
            (void)t.PutCharacter(i, text);
          });
        } else if (n == "CCONTADOR") {
          out.push_back([i](DbfTable& t, Record& r) {
            char text[4];
            std::snprintf(text, sizeof text, "%02u", static_cast<unsigned>(r.within_header % 99 + 1));
            (void)t.PutCharacter(i, text);
          });
        } else if (n == "CMATRIZ" || n == "CRECIBO" || n == "CCOMPENSA") {
          out.push_back([i, n](DbfTable& t, Record& r) {
            if (n == "CCOMPENSA" && !r.rng->Percent(10)) return;
            (void)t.PutCharacter(i, "A" + demo::Digits(*r.rng, 7) + "01");
          });
        } else if (n == "CTIPODOCU" || n == "CTIPO") {
          out.push_back([i](DbfTable& t, Record& r) {
            static constexpr std::string_view kinds[] = {"FA", "AL", "PE", "PR", "TI", "AB"};
            (void)t.PutCharacter(i, kinds[r.index % std::size(kinds)]);
          });
        } else if (n == "CCLAVEC" || n == "CCLAVEA" || n == "CCLAVE") {
          out.push_back([i, n](DbfTable& t, Record& r) {
            (void)t.PutCharacter(i, n == "CCLAVE" ? "C" : n == "CCLAVEC" ? (r.rng->Percent(80) ? "C" : "G")
                                                                         : (r.rng->Percent(80) ? "A" : "F"));
          });
        } else if (n == "CPROP1" || n == "CPROP2" || n == "CPROP") {
          out.push_back([i](DbfTable& t, Record& r) {
            static constexpr std::string_view values[] = {"S", "M", "L", "XL", "ROJO", "AZUL", "VERDE", "NEGRO"};
            if (r.rng->Percent(50)) (void)t.PutCharacter(i, values[r.rng->Below(std::size(values))]);
          });
        } else if (n == "NIVEL1" || n == "NIVEL2" || n == "CODORIG" || n == "CODDEST" || n == "CIDENDIR") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, "0" + std::to_string(1 + r.rng->Below(5))); });
        } else if (n == "CLAVE1") {
          out.push_back([i](DbfTable& t, Record&) { (void)t.PutCharacter(i, "CG"); });
        } else if (n == "CLAVE2") {
          out.push_back([i](DbfTable& t, Record&) { (void)t.PutCharacter(i, "FA"); });
        } else if (n == "CLAVE3") {
          // blank
        } else if (n == "BANCO" || n == "CENTIDAD") {
          out.push_back([i](DbfTable& t, Record& r) {
            static constexpr std::string_view banks[] = {"2100", "0049", "0182", "0075", "2038", "0081"};
            (void)t.PutCharacter(i, banks[r.rng->Below(std::size(banks))]);
          });
        } else if (n == "CAGENCIA" || n == "CUADERNO" || n == "TIPOOPERA" || n == "CCUENTA") {
          out.push_back([i, f](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::Digits(*r.rng, f.length)); });
        } else if (n == "ESTADO") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, r.rng->Percent(70) ? "P" : "E"); });
        } else if (n == "CPUERTO") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, "COM" + std::to_string(1 + r.index % 4)); });
        } else if (n == "SUALBARAN" || n == "SUFACTURA" || n == "CNUMDEV") {
          out.push_back([i](DbfTable& t, Record& r) {
            if (r.rng->Percent(80)) (void)t.PutCharacter(i, "AB-" + demo::Digits(*r.rng, 6));
          });
        } else if (n == "FICHEROCSB" || n == "CFICHERO") {
          out.push_back([i](DbfTable& t, Record& r) {
            (void)t.PutCharacter(i, "C:\\VENDARO\\FICHEROS\\F" + std::to_string(r.index + 1) + ".TXT");
          });
        } else {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutCharacter(i, demo::Phrase(*r.rng)); });
        }
        break;
      }
      case 'N': {
        auto put = [&](std::function<double(Record&)> value) {
          out.push_back([i, f, value = std::move(value)](DbfTable& t, Record& r) { PutNum(t, i, f, value(r)); });
        };
        if (n == "NCANPED") {
          put([](Record& r) { return static_cast<double>(1 + r.rng->Below(48)); });
        } else if (n == "NCANENT" && has_ordered) {
          // Served in full, in part or not yet: what the pending quantities come from.
          const int ordered = static_cast<int>(std::find_if(fields.begin(), fields.end(), [](const dbf::Field& x) {
                                                 return x.name == "NCANPED";
                                               }) - fields.begin());
          out.push_back([i, f, ordered](DbfTable& t, Record& r) {
            const double asked = dbf::DecodeNumber(t.record(), t.fields()[static_cast<std::size_t>(ordered)]);
            const double served = r.rng->Percent(60) ? asked : static_cast<double>(r.rng->Below(static_cast<std::uint64_t>(asked) + 1));
            PutNum(t, i, f, served);
          });
        } else if (n == "NCANENT" || n == "NCANTIDAD" || n == "NCANT") {
          const double top = table == "Kits" ? 4 : table == "CabProd" ? 200 : n == "NCANT" ? 6 : 24;
          put([top](Record& r) {
            const double q = static_cast<double>(1 + r.rng->Below(static_cast<std::uint64_t>(top)));
            return r.rng->Percent(10) ? q - 0.5 : q;
          });
        } else if (n == "NPREUNIT" || n == "NPREDIV" || n == "NPRECIO" || n == "NPVP" || n == "NCOSTO") {
          put([](Record& r) { return r.rng->Amount(0.5, 250, 2); });
        } else if (n == "NDTO") {
          put([](Record& r) { return r.rng->Percent(80) ? 0.0 : 5.0 * static_cast<double>(1 + r.rng->Below(3)); });
        } else if (n == "NDTOESP" || n == "NDPP") {
          put([](Record& r) { return r.rng->Percent(85) ? 0.0 : static_cast<double>(2 + r.rng->Below(2)); });
        } else if (n == "NDTOLIN") {
          put([](Record& r) { return r.rng->Percent(95) ? 0.0 : static_cast<double>(1 + r.rng->Below(5)); });
        } else if (n == "NIVA") {
          put([](Record& r) {
            const std::uint64_t x = r.rng->Below(10);
            return x < 7 ? 21.0 : x < 9 ? 10.0 : 4.0;
          });
        } else if (n == "NIVAPORTES") {
          put([](Record&) { return 21.0; });
        } else if (n == "NPORTES") {
          put([](Record& r) { return r.rng->Percent(90) ? 0.0 : 6.5; });
        } else if (n == "NTIPOFAC") {
          put([](Record& r) { return r.rng->Percent(90) ? 1.0 : 2.0; });
        } else if (n == "NTIPOIVA") {
          put([](Record& r) { return r.rng->Percent(98) ? 1.0 : 2.0; });
        } else if (n == "NPORCIVA") {
          put([](Record& r) { return r.rng->Percent(98) ? 0.0 : 21.0; });
        } else if (n == "NIRPF") {
          put([](Record& r) { return r.rng->Percent(95) ? 0.0 : 15.0; });
        } else if (n == "NRECFINANC") {
          put([](Record& r) { return r.rng->Percent(97) ? 0.0 : 1.5; });
        } else if (n == "NTRECFIN") {
          put([](Record& r) { return static_cast<double>(1 + r.rng->Below(2)); });
        } else if (n == "NVALEURO" || n == "NVALDIV") {
          out.push_back([i, f, n, &plan](DbfTable& t, Record& r) {
            const DemoCurrency* c = plan.Currency(r.own.currency.empty() ? "EUR" : r.own.currency);
            const double v = c ? (c->euro_zone ? (c->rate ? 1 / c->rate : 1.0) : c->euro_value) : 1.0;
            if (n == "NVALEURO") r.own.euro_value = v;
            else r.own.value = v;
            PutNum(t, i, f, v);
          });
        } else if (n == "NESTADO") {
          const bool receipts = StartsWith(table, "Recibos");
          put([receipts](Record& r) {
            if (!receipts) return static_cast<double>(r.rng->Below(3));
            const std::uint64_t x = r.rng->Below(20);
            return x < 10 ? 1.0 : x < 17 ? 2.0 : 3.0;
          });
        } else if (n == "NCONTADOR" || n == "NTIPO") {
          put([](Record& r) { return static_cast<double>(1 + r.rng->Below(3)); });
        } else if (n == "NCLIPRO") {
          put([](Record& r) { return static_cast<double>(1 + r.rng->Below(2)); });
        } else if (n == "NLINEA") {
          put([](Record& r) { return static_cast<double>(r.header ? r.within_header + 1 : r.index % 20 + 1); });
        } else if (n == "NNUMREM") {
          put([&plan](Record& r) {
            return r.rng->Percent(60) ? 0.0 : static_cast<double>(1 + r.rng->Below(std::max<std::uint32_t>(1, plan.Count("Remesas"))));
          });
        } else if (n == "NNUMPED" || n == "NNUMORDEN" || n == "NNUMFAC") {
          const std::string_view target = n == "NNUMPED" ? "PedCliT" : n == "NNUMORDEN" ? "CabProd" : "FacCliT";
          put([&plan, target](Record& r) {
            return static_cast<double>(1 + r.rng->Below(std::max<std::uint32_t>(1, plan.Count(target))));
          });
        } else if (n == "NCLAVE" || n == "NFONT" || n == "ORDEN" || n == "TRANS" || n == "NTRANS" ||
                   n == "NORDVISITA" || n == "NORDEN" || n == "NPOS" || n == "NACTION") {
          put([](Record& r) { return static_cast<double>(r.index + 1); });
        } else if (n == "ASIEN") {
          put([](Record& r) { return static_cast<double>(r.index / 3 + 1); });
        } else if (StartsWith(n, "VALOR") || n == "NIMPORTE" || n == "NTOTAL" || n == "NDEBE" || n == "NHABER" ||
                   n == "NRIESGO" || n == "NSTOCK" || n == "NSTOCKMIN") {
          put([](Record& r) { return r.rng->Amount(1, 3000, 2); });
        } else if (n == "NRIESGOALC" || n == "NMOROSOS" || n == "NPENDREC" || n == "NPENDSER" || n == "NENTACU" ||
                   n == "NSALACU") {
          // Whatever an earlier run left: the recomputations put it right.
          put([](Record& r) { return r.rng->Amount(0, 9999, 2); });
        } else if (n == "NCANT_TAC") {
          put([](Record& r) { return r.rng->Amount(0, 100, 3); });
        } else if (n == "NCOMISION" || n == "NPORCEN" || n == "NDTO") {
          put([](Record& r) { return static_cast<double>(1 + r.rng->Below(10)); });
        } else {
          put([f](Record& r) { return static_cast<double>(r.rng->Below(static_cast<std::uint64_t>(std::min(MaxFor(f), 999.0)) + 1)); });
        }
        break;
      }
      case 'D': {
        if (document && !date_taken) {
          date_taken = true;
          out.push_back([i, &plan](DbfTable& t, Record& r) {
            const xb::Date d = plan.DocumentDate(r);
            r.own.date = d.julian;
            (void)t.PutDate(i, d.julian);
          });
        } else if (lines && n == "DFECVCTO") {
          out.push_back([i](DbfTable& t, Record& r) {
            (void)t.PutDate(i, r.header->date + 30 * static_cast<std::int32_t>(1 + r.within_header % 3));
          });
        } else if (lines && n == "DFECHA" && parent_dated) {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutDate(i, r.header->date); });
        } else if (n == "DFECCIERRE") {
          out.push_back([i, &plan](DbfTable& t, Record& r) {
            if (r.rng->Percent(60)) (void)t.PutDate(i, plan.AnyDate(*r.rng).julian);
          });
        } else {
          out.push_back([i, &plan](DbfTable& t, Record& r) { (void)t.PutDate(i, plan.AnyDate(*r.rng).julian); });
        }
        break;
      }
      case 'L': {
        int percent = 50;
        if (n == "LFACTURADO") percent = table == "AlbCliT" ? 70 : 80;
        else if (n == "LCERRADA") percent = 80;
        else if (n == "LRECARGO") percent = 10;
        else if (n == "LIVAINCL") percent = 5;
        else if (n == "LSUPLIDOS") percent = 2;
        else if (n == "LPAGADO") percent = 90;
        else if (n == "LBMPTACTIL") percent = 20;
        if (table == "Articulo" && n == "LKIT") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutLogical(i, r.index % 40 == 7); });
        } else if (table == "Articulo" && n == "LANTICIPO") {
          out.push_back([i](DbfTable& t, Record& r) { (void)t.PutLogical(i, r.index % 997 == 500); });
        } else {
          out.push_back([i, percent](DbfTable& t, Record& r) { (void)t.PutLogical(i, r.rng->Percent(percent)); });
        }
        break;
      }
      default:
        out.push_back([i](DbfTable& t, Record& r) {
          if (r.rng->Percent(15)) (void)t.PutMemo(i, demo::Memo(*r.rng));
        });
        break;
    }
  }
  return out;
}

// Writes a table: creates it, then `count` records, each filled by `fill`; some deleted.
class TableWriter {
 public:
  TableWriter(const std::string& folder, const TableSchema& schema, DemoSummary* summary)
      : schema_(schema), summary_(summary), path_(folder + std::string(schema.table) + ".dbf") {}

  bool Create(std::string* error) {
    xb::rdd::FileSystem& fs = xb::rdd::WorkAreas::Get().file_system();
    Status s = DbfTable::Create(fs, path_, Structure(schema_), dbf::MemoKind::kFpt);
    if (s.ok()) {
      xb::rdd::TableOpenOptions options;
      options.memo_kind = dbf::MemoKind::kFpt;
      s = DbfTable::Open(fs, path_, options, &table_);
    }
    if (!s.ok()) *error = path_ + ": " + s.message();
    return s.ok();
  }

  DbfTable& table() { return *table_; }
  const std::vector<dbf::Field>& fields() const { return table_->fields(); }
  int Field(std::string_view name) const { return table_->FieldIndex(name); }

  bool Append(std::string* error) {
    const Status s = table_->Append();
    if (!s.ok()) *error = path_ + ": " + s.message();
    if (summary_) ++summary_->records;
    return s.ok();
  }
  void Delete() {
    (void)table_->SetDeleted(true);
    if (summary_) ++summary_->deleted;
  }
  bool Close(std::string* error) {
    const Status s = table_->Close();
    if (!s.ok()) *error = path_ + ": " + s.message();
    if (summary_) ++summary_->tables;
    return s.ok();
  }

 private:
  const TableSchema& schema_;
  DemoSummary* summary_;
  std::string path_;
  std::unique_ptr<DbfTable> table_;
};

bool WriteGeneric(const std::string& folder, const TableSchema& schema, FolderPlan& plan, std::uint32_t count,
                  DemoSummary* summary, std::string* error) {
  TableWriter w(folder, schema, summary);
  if (!w.Create(error)) return false;
  const std::vector<Filler> fillers = PlanFields(schema, w.fields(), plan);
  const std::vector<HeaderInfo>* parents = nullptr;
  if (schema.role == DemoRole::kLines) {
    auto it = plan.headers.find(schema.parent);
    if (it != plan.headers.end() && !it->second.empty()) parents = &it->second;
  }
  std::vector<HeaderInfo> own;
  if (schema.role == DemoRole::kDocument) own.reserve(count);
  Rng rng(demo::Seed(schema.table, plan.company() ? plan.company()->code : "DBF"));
  const bool may_delete = schema.role == DemoRole::kMaster || schema.role == DemoRole::kDocument ||
                          schema.role == DemoRole::kLines || (schema.role == DemoRole::kFixed && count >= 10);
  std::uint32_t last_parent = UINT32_MAX, within = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!w.Append(error)) return false;
    Record r;
    r.index = i;
    r.count = count;
    r.rng = &rng;
    if (parents) {
      const std::uint32_t p = static_cast<std::uint32_t>(static_cast<std::uint64_t>(i) * parents->size() / count);
      within = p == last_parent ? within + 1 : 0;
      last_parent = p;
      r.header = &(*parents)[p];
      r.within_header = within;
    }
    for (const Filler& fill : fillers) fill(w.table(), r);
    if (schema.role == DemoRole::kDocument) {
      if (r.own.currency.empty()) r.own.currency = "EUR";
      own.push_back(std::move(r.own));
    }
    // One record in fifty, and the fifth of a small fixed table, is found deleted.
    if (may_delete && (schema.role == DemoRole::kFixed ? i == 5 : rng.Percent(2))) w.Delete();
  }
  if (schema.role == DemoRole::kDocument) plan.headers[std::string(schema.table)] = std::move(own);
  return w.Close(error);
}

bool WriteCurrencies(const std::string& folder, const TableSchema& schema, DemoSummary* summary, std::string* error) {
  TableWriter w(folder, schema, summary);
  if (!w.Create(error)) return false;
  DbfTable& t = w.table();
  for (const DemoCurrency& c : kCurrencies) {
    if (!w.Append(error)) return false;
    (void)t.PutCharacter(w.Field("CCODDIV"), c.code);
    (void)t.PutCharacter(w.Field("CDETDIV"), c.name);
    (void)t.PutNumber(w.Field("NENTPREC"), c.price_digits);
    (void)t.PutNumber(w.Field("NDECPREC"), c.price_decimals);
    (void)t.PutNumber(w.Field("NENTRES"), c.result_digits);
    (void)t.PutNumber(w.Field("NDECRES"), c.result_decimals);
    (void)t.PutNumber(w.Field("NVALEURO99"), c.euro_value);
    (void)t.PutNumber(w.Field("NTASACONV"), c.rate);
    (void)t.PutLogical(w.Field("LZONAEURO"), c.euro_zone);
    (void)t.PutNumber(w.Field("NVALDIV"), c.euro_zone ? (c.rate ? 1 / c.rate : 1) : c.euro_value);
    (void)t.PutCharacter(w.Field("CSIMBOLO"), c.symbol);
  }
  return w.Close(error);
}

bool WriteVat(const std::string& folder, const TableSchema& schema, DemoSummary* summary, std::string* error) {
  TableWriter w(folder, schema, summary);
  if (!w.Create(error)) return false;
  DbfTable& t = w.table();
  for (const DemoVat& v : kVat) {
    if (!w.Append(error)) return false;
    (void)t.PutCharacter(w.Field("CTIPOIVA"), v.code);
    (void)t.PutCharacter(w.Field("CDETIVA"), v.name);
    (void)t.PutNumber(w.Field("NPORCIVA"), v.rate);
    (void)t.PutNumber(w.Field("NPORCREQ"), v.surcharge);
  }
  return w.Close(error);
}

bool WriteSettings(const std::string& folder, const TableSchema& schema, const DemoCompany& company,
                   DemoSummary* summary, std::string* error) {
  TableWriter w(folder, schema, summary);
  if (!w.Create(error) || !w.Append(error)) return false;
  DbfTable& t = w.table();
  (void)t.PutCharacter(w.Field("CCODDIV"), "EUR");
  (void)t.PutNumber(w.Field("NENTPREC"), 7);
  (void)t.PutNumber(w.Field("NDECPREC"), 3);
  (void)t.PutNumber(w.Field("NENTRES"), 9);
  (void)t.PutNumber(w.Field("NDECRES"), 2);
  (void)t.PutLogical(w.Field("LIRPFAGR"), false);
  (void)t.PutLogical(w.Field("LGRAFCLI"), company.statistics);
  (void)t.PutLogical(w.Field("LDTOPP"), true);
  (void)t.PutLogical(w.Field("LDTOESP"), true);
  (void)t.PutCharacter(w.Field("CNOMEMP"), company.name);
  (void)t.PutNumber(w.Field("NIVAPORTES"), 21);
  return w.Close(error);
}

bool WriteCompanyTable(const std::string& folder, const TableSchema& schema, const std::vector<DemoCompany>& companies,
                       DemoSummary* summary, std::string* error) {
  TableWriter w(folder, schema, summary);
  if (!w.Create(error)) return false;
  DbfTable& t = w.table();
  Rng rng(demo::Seed("Empresa"));
  for (const DemoCompany& c : companies) {
    if (!w.Append(error)) return false;
    (void)t.PutCharacter(w.Field("CODEMP"), c.code);
    (void)t.PutCharacter(w.Field("CNOMBRE"), c.name);
    (void)t.PutCharacter(w.Field("CNIF"), c.nif);
    (void)t.PutLogical(w.Field("LACTIVA"), c.blocked);
    (void)t.PutNumber(w.Field("USO"), c.users);
    (void)t.PutCharacter(w.Field("CDIRECCION"), demo::Street(rng));
    (void)t.PutCharacter(w.Field("CPOBLACION"), demo::Town(rng));
    (void)t.PutCharacter(w.Field("CTELEFONO"), demo::Phone(rng));
  }
  return w.Close(error);
}

bool WriteVersion(const std::string& folder, const TableSchema& schema, DemoSummary* summary, std::string* error) {
  TableWriter w(folder, schema, summary);
  if (!w.Create(error) || !w.Append(error)) return false;
  DbfTable& t = w.table();
  (void)t.PutCharacter(w.Field("PRODUCTO"), "QZ Vendaro E Ombrisa");
  (void)t.PutCharacter(w.Field("VERSION"), "2003");
  (void)t.PutDate(w.Field("FECHA"), xb::Date::FromYmd(2003, 6, 1).julian);
  (void)t.PutCharacter(w.Field("DRIVER"), "ADS");
  (void)t.PutCharacter(w.Field("COMPATIBLE"), "2003/1");
  return w.Close(error);
}

// Creates the catalogue's tags of the tables in `folder` (and the extra ones given).
bool IndexFolder(const std::string& folder, CatalogueFolder which, std::string* error) {
  struct Collect : OrganiserEvents {
    std::string first;
    void TableFailed(const TableFailure& f) override {
      if (first.empty()) first = f.path + ": " + f.description;
    }
  } events;
  CatalogueIndexer indexer(Folders{folder, folder}, events, /*pack=*/false);
  for (const CatalogueRow& row : IndexCatalogue())
    if (row.folder == which && !row.after_statistics) indexer.IndexRow(row);
  if (which == CatalogueFolder::kStart) {
    indexer.IndexTag("Empresa", folder, "CodEmp", "CODEMP", false, 0);
    indexer.IndexTag("Empresa", folder, "NomE", "Upper(cNombre ) + cNif", false, 0);
    const StartFolderTag& macros = MacroTableTag();
    if (xb::rdd::WorkAreas::Get().file_system().Exists(TablePath(folder, macros.table)))
      indexer.IndexTag(macros.table, folder, macros.tag, macros.key, false, 0);
  }
  indexer.Close();
  if (!events.first.empty()) *error = events.first;
  return events.first.empty();
}

// Every 5th customer invoice line sells 99,999,999.999 units at 999,999,999.9999: about
// 1e17 each, where Graph's amounts hold at most 16 digits.
bool OverflowInvoiceLines(const std::string& folder, std::string* error) {
  const std::string path = folder + "FacCliL.dbf";
  std::unique_ptr<DbfTable> t;
  xb::rdd::TableOpenOptions options;
  options.memo_kind = dbf::MemoKind::kFpt;
  Status s = DbfTable::Open(xb::rdd::WorkAreas::Get().file_system(), path, options, &t);
  const int qty = t ? t->FieldIndex("NCANENT") : -1, price = t ? t->FieldIndex("NPREUNIT") : -1;
  std::uint32_t count = 0;
  if (s.ok()) s = t->RecordCount(&count);
  for (std::uint32_t r = 1; s.ok() && r <= count; r += 5) {
    s = t->GoTo(r);
    if (s.ok()) s = t->PutNumber(qty, 99999999.999);
    if (s.ok()) s = t->PutNumber(price, 999999999.9999);
  }
  if (t) {
    const Status closed = t->Close();
    if (s.ok()) s = closed;
  }
  if (!s.ok()) *error = path + ": " + s.message();
  return s.ok();
}

}  // namespace

std::vector<DemoCompany> DemoCompanies(const DemoOptions& options) {
  return {
      {"01", "Distribuciones Núñez e Hijos, S.L.", "B26123456", false, 0, true, options.records,
       options.overflowing_statistics},
      {"02", "Panadería La Espiga de Castañeda", "B09876543", true, 0, true, options.small_records},
      {"03", "Ferretería Ibáñez y Peña, S.A.", "A31555777", false, 2, true, options.small_records},
      {"04", "Cafetería El Águila", "12345678Z", false, 0, false, options.small_records},
  };
}

std::uint32_t DemoRecordCount(const TableSchema& schema, std::uint64_t size) {
  if (schema.role == DemoRole::kFixed || schema.role == DemoRole::kSettings) return static_cast<std::uint32_t>(schema.minimum);
  // The weights of the tables that grow add up to about a million.
  static const std::uint64_t total = [] {
    std::uint64_t sum = 0;
    for (const TableSchema& s : Schemas()) sum += static_cast<std::uint64_t>(s.per_million);
    return sum;
  }();
  const std::uint64_t scaled = static_cast<std::uint64_t>(schema.per_million) * size / total;
  return static_cast<std::uint32_t>(std::max<std::uint64_t>(scaled, static_cast<std::uint64_t>(schema.minimum)));
}

bool WriteDemoStart(const std::string& folder, const std::vector<DemoCompany>& companies, const DemoOptions& options,
                    DemoSummary* summary, std::string* error) {
  FolderPlan plan(options, nullptr);
  for (const TableSchema& schema : Schemas()) {
    if (schema.folder != CatalogueFolder::kStart) continue;
    if (!options.users && schema.table == "Macros") continue;
    bool ok = false;
    if (schema.table == "Empresa") ok = WriteCompanyTable(folder, schema, companies, summary, error);
    else if (schema.table == "VerVDRe") ok = WriteVersion(folder, schema, summary, error);
    else ok = WriteGeneric(folder, schema, plan, DemoRecordCount(schema, 0), summary, error);
    if (!ok) return false;
  }
  return !options.indexes || IndexFolder(folder, CatalogueFolder::kStart, error);
}

bool WriteDemoCompany(const std::string& folder, const DemoCompany& company, const DemoOptions& options,
                      DemoSummary* summary, std::string* error) {
  FolderPlan plan(options, &company);
  // Documents before their lines.
  std::vector<const TableSchema*> order;
  for (const TableSchema& s : Schemas())
    if (s.folder == CatalogueFolder::kCompany && s.role != DemoRole::kLines) order.push_back(&s);
  for (const TableSchema& s : Schemas())
    if (s.folder == CatalogueFolder::kCompany && s.role == DemoRole::kLines) order.push_back(&s);
  for (const TableSchema* schema : order) {
    bool ok = false;
    if (schema->table == "Divisas") ok = WriteCurrencies(folder, *schema, summary, error);
    else if (schema->table == "Ivas") ok = WriteVat(folder, *schema, summary, error);
    else if (schema->table == "Claves") ok = WriteSettings(folder, *schema, company, summary, error);
    else ok = WriteGeneric(folder, *schema, plan, DemoRecordCount(*schema, company.records), summary, error);
    if (!ok) return false;
  }
  if (company.overflowing_statistics && !OverflowInvoiceLines(folder, error)) return false;
  return !options.indexes || IndexFolder(folder, CatalogueFolder::kCompany, error);
}

bool WriteDemoTree(const std::string& root, const DemoOptions& options, DemoSummary* summary, std::string* error) {
  namespace fs = std::filesystem;
  const fs::path base(root);
  auto folder = [&](const std::string& name) {
    const fs::path p = base / name;
    std::error_code ec;
    fs::create_directories(p, ec);
    if (ec) *error = p.string() + ": " + ec.message();
    return ec ? std::string() : (p / "").string();
  };
  const std::vector<DemoCompany> companies = DemoCompanies(options);
  const std::string start = folder("DBF");
  if (start.empty() || folder("VDR").empty() || folder("TMP").empty() || folder("INF").empty()) return false;
  if (!WriteDemoStart(start, companies, options, summary, error)) return false;
  if (options.users && !WriteDemoUsers(start, error)) return false;
  for (const DemoCompany& c : companies) {
    const std::string f = folder("DBF" + c.code);
    if (f.empty() || !WriteDemoCompany(f, c, options, summary, error)) return false;
  }
  return true;
}

}  // namespace app
