#include "app/tools/demo_text.h"

#include <cmath>

namespace app::demo {
namespace {

constexpr std::string_view kFirstNames[] = {
    "José",   "María",   "Íñigo",  "Begoña",  "Ramón",  "Nuria", "Óscar",    "Ángel",   "Sofía",  "Jesús",
    "Lucía",  "Martín",  "Inés",   "Álvaro",  "Marta",  "Raúl",  "Rocío",    "Andrés",  "Belén",  "Tomás",
    "Carmen", "Joaquín", "Amaia",  "Sebastián", "Elena", "Adrián", "Míriam", "Iván",    "Pilar",  "Víctor"};
constexpr std::string_view kSurnames[] = {
    "Muñoz",     "Ibáñez",  "Núñez",   "Peña",    "García",   "Martínez", "López",   "Gómez",   "Pérez",
    "Sánchez",   "Domínguez", "Fernández", "Castaño", "Cañete", "Álvarez", "Jiménez", "Rodríguez", "Hernández",
    "Díaz",      "Ruiz",    "Moreno",  "Muñiz",   "Gutiérrez", "Ortiz",  "Rubio",   "Marín",   "Sáez",
    "Calderón",  "Patiño",  "Echevarría", "Zúñiga", "Montaña"};
constexpr std::string_view kTrades[] = {
    "Distribuciones", "Ferretería",  "Panadería", "Cafetería",  "Droguería", "Almacenes", "Comercial",
    "Suministros",    "Carnicería",  "Pescadería", "Frutería",  "Papelería", "Librería",  "Jardinería",
    "Electricidad",   "Construcciones", "Talleres", "Óptica",    "Peluquería", "Farmacia"};
constexpr std::string_view kCompanyTails[] = {"S.L.", "S.A.", "e Hijos, S.L.", "Hermanos, S.C.", "C.B.", "S.L.U."};
constexpr std::string_view kProducts[] = {
    "Café molido",   "Azúcar moreno",  "Jamón serrano",  "Aceite de oliva", "Turrón de Jijona", "Piña en almíbar",
    "Champiñón laminado", "Mantequilla", "Bacalao salado", "Azafrán",       "Almendra marcona", "Pimentón de la Vera",
    "Queso manchego", "Vino tinto crianza", "Sidra natural", "Galletas María", "Leña de encina", "Tornillo de cabeza",
    "Llave inglesa", "Bombilla LED",   "Cuaderno de espiral", "Bolígrafo azul", "Cepillo de dientes", "Jabón de Castilla",
    "Té verde",      "Chorizo ibérico", "Miel de azahar", "Harina de trigo", "Garbanzos pedrosillanos", "Ñoras secas"};
constexpr std::string_view kQualities[] = {"1 kg", "500 g", "250 g", "caja 12 u.", "pack ahorro", "extra",
                                           "ecológico", "gran reserva", "tamaño familiar", "edición limitada"};
constexpr std::string_view kFamilies[] = {
    "Alimentación", "Bebidas",     "Droguería",  "Ferretería", "Papelería", "Frutería",  "Carnicería",
    "Panadería",    "Charcutería", "Congelados", "Lácteos",    "Conservas", "Bazar",     "Jardín",
    "Electricidad", "Limpieza",    "Perfumería", "Menaje",     "Óptica",    "Pescadería"};
constexpr std::string_view kProvinces[] = {
    "Álava",    "Albacete",   "Alicante",  "Almería",   "Ávila",      "Badajoz",   "Baleares",   "Barcelona",
    "Burgos",   "Cáceres",    "Cádiz",     "Castellón", "Ciudad Real", "Córdoba",  "A Coruña",   "Cuenca",
    "Girona",   "Granada",    "Guadalajara", "Guipúzcoa", "Huelva",   "Huesca",    "Jaén",       "León",
    "Lleida",   "La Rioja",   "Lugo",      "Madrid",    "Málaga",     "Murcia",    "Navarra",    "Ourense",
    "Asturias", "Palencia",   "Las Palmas", "Pontevedra", "Salamanca", "Santa Cruz de Tenerife", "Cantabria",
    "Segovia",  "Sevilla",    "Soria",     "Tarragona", "Teruel",     "Toledo",    "Valencia",   "Valladolid",
    "Vizcaya",  "Zamora",     "Zaragoza",  "Ceuta",     "Melilla"};
constexpr std::string_view kTowns[] = {
    "Logroño",  "Cádiz",    "Málaga",   "Córdoba",  "A Coruña", "Ávila",    "León",        "Jaén",
    "Almería",  "Cáceres",  "Alcalá de Henares", "Móstoles", "Gijón", "Béjar", "Écija",   "Úbeda",
    "Peñíscola", "Cangas de Onís", "Medina del Campo", "Tordesillas", "Villanueva de la Cañada", "Aranjuez"};
constexpr std::string_view kStreets[] = {
    "C/ Mayor",       "Avda. de la Constitución", "Plaza de España", "C/ Núñez de Balboa", "C/ Real",
    "Paseo de la Castellana", "C/ San Martín", "Ronda de Segovia", "C/ Peñalara", "Avda. de Andalucía",
    "C/ Álamo",       "Travesía del Carmen", "C/ Cañada Real", "Camino de Ganapanes", "C/ Hernán Cortés"};
constexpr std::string_view kWords[] = {
    "revisión", "pedido",   "entrega",  "almacén",  "envío",    "cobro",   "garantía", "devolución",
    "reposición", "urgente", "pendiente", "según", "conformidad", "teléfono", "atención", "sección",
    "caja",     "mañana",   "próxima",  "semana",   "albarán",  "factura", "descuento", "promoción"};

template <std::size_t N>
std::string_view Pick(Rng& rng, const std::string_view (&list)[N]) {
  return list[rng.Below(N)];
}

}  // namespace

std::uint64_t Rng::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

double Rng::Amount(double lo, double hi, int decimals) {
  const double scale = std::pow(10.0, decimals);
  const std::uint64_t steps = static_cast<std::uint64_t>((hi - lo) * scale) + 1;
  return lo + static_cast<double>(Below(steps)) / scale;
}

std::uint64_t Seed(std::string_view a, std::string_view b) {
  std::uint64_t h = 1469598103934665603ULL;
  for (std::string_view s : {a, std::string_view("|"), b})
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ULL;
  return h;
}

std::string PersonName(Rng& rng) {
  return std::string(Pick(rng, kSurnames)) + " " + std::string(Pick(rng, kSurnames)) + ", " +
         std::string(Pick(rng, kFirstNames));
}

std::string CompanyName(Rng& rng) {
  return std::string(Pick(rng, kTrades)) + " " + std::string(Pick(rng, kSurnames)) + " " +
         std::string(Pick(rng, kCompanyTails));
}

std::string ArticleName(Rng& rng) {
  return std::string(Pick(rng, kProducts)) + " " + std::string(Pick(rng, kQualities));
}

std::string FamilyName(std::uint64_t n) {
  constexpr std::size_t count = sizeof kFamilies / sizeof kFamilies[0];
  std::string name(kFamilies[n % count]);
  if (n >= count) name += " " + std::to_string(n / count + 1);
  return name;
}

std::string Phrase(Rng& rng) {
  std::string out(Pick(rng, kWords));
  out[0] = static_cast<char>(out[0] - 'a' + 'A');
  for (std::uint64_t n = 1 + rng.Below(4); n > 0; --n) out += " " + std::string(Pick(rng, kWords));
  return out;
}

std::string Street(Rng& rng) { return std::string(Pick(rng, kStreets)) + ", " + std::to_string(1 + rng.Below(140)); }
std::string Town(Rng& rng) { return std::string(Pick(rng, kTowns)); }

std::string ProvinceName(std::uint64_t n) {
  return std::string(kProvinces[n % (sizeof kProvinces / sizeof kProvinces[0])]);
}

std::string Digits(Rng& rng, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += static_cast<char>('0' + rng.Below(10));
  return out;
}

std::string Phone(Rng& rng) { return "9" + Digits(rng, 8); }

std::string Dni(Rng& rng) {
  const std::uint64_t number = rng.Below(100000000);
  std::string digits = std::to_string(number);
  digits.insert(0, 8 - digits.size(), '0');
  return digits + "TRWAGMYFPDXBNJZSQVHLCKE"[number % 23];
}

std::string Ean13(Rng& rng) {
  std::string code = "84" + Digits(rng, 10);
  int sum = 0;
  for (int i = 0; i < 12; ++i) sum += (code[static_cast<std::size_t>(i)] - '0') * (i % 2 ? 3 : 1);
  return code + static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string Memo(Rng& rng) {
  std::string out = Phrase(rng) + ".";
  for (std::uint64_t n = rng.Below(6); n > 0; --n) out += "\r\n" + Phrase(rng) + ".";
  return out;
}

}  // namespace app::demo
