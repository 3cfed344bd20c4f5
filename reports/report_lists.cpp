#include "reports/report_lists.h"

#include <initializer_list>

#include "runtime/function_table.h"

namespace reports {
namespace {

using xb::Value;

Value Texts(std::initializer_list<const char*> texts) {
  xb::Array a = xb::Array::New();
  for (const char* t : texts) a.Append(Value::String(t));
  return Value(a);
}

Value Pair(const Value& shown, const Value& stored) { return Value(xb::Array::Of({shown, stored})); }

}  // namespace

const std::vector<ReportFunction>& ReportFunctions() {
  static const std::vector<ReportFunction> functions = {
      {"abs()", "Valor absoluto de un número.", "nNúmero", "N"},
      {"alltrim()", "Quitar los espacios en blanco iniciales y finales de una cadena.", "cCadena", "C"},
      {"cdow()", "Nombre del día de la semana de una fecha.", "dFecha", "C"},
      {"cmonth()", "Nombre del mes de una fecha.", "dFecha", "C"},
      {"ctod()", "Convertir una cadena con formato 'DD/MM/AA' a tipo fecha.", "cFecha", "F"},
      {"date()", "Fecha del sistema.", "", "F"},
      {"dtoc()", "Convertir una fecha a una cadena con formato 'DD/MM/AA'.", "dFecha", "C"},
      {"dtos()", "Convertir una fecha a una cadena con formato 'AAAAMMDD'.", "dFecha", "C"},
      {"empty()", "Comprobar si un valor está vacío.", "xValor", "L"},
      {"int()", "Parte entera de un número.", "nNúmero", "N"},
      {"left()", "Primeros caracteres de una cadena.", "cCadena, nCaracteres", "C"},
      {"len()", "Longitud de una cadena.", "cCadena", "N"},
      {"ltrim()", "Quitar los espacios en blanco iniciales de una cadena.", "cCadena", "C"},
      {"padl()", "Rellenar una cadena por la izquierda hasta una longitud.", "cCadena, nLongitud, cRelleno", "C"},
      {"padc()", "Centrar una cadena en una longitud.", "cCadena, nLongitud, cRelleno", "C"},
      {"padr()", "Rellenar una cadena por la derecha hasta una longitud.", "cCadena, nLongitud, cRelleno", "C"},
      {"round()", "Redondear un número a unos decimales.", "nNúmero, nDecimales", "N"},
      {"rtrim()", "Quitar los espacios en blanco finales de una cadena.", "cCadena", "C"},
      {"space()", "Cadena de espacios en blanco.", "nEspacios", "C"},
      {"str()", "Convertir un número a una cadena.", "nNúmero, nLongitud, nDecimales", "C"},
      {"substr()", "Parte de una cadena.", "cCadena, nInicio, nCaracteres", "C"},
      {"upper()", "Convertir una cadena a mayúsculas.", "cCadena", "C"},
      {"val()", "Convertir una cadena a número.", "cCadena", "N"},
  };
  return functions;
}

std::vector<std::string> HeaderItems(bool short_list) {
  std::vector<std::string> items = {"Campos", "Texto definido por el usuario", "Cuerpo del documento"};
  if (!short_list) items.insert(items.end(), {"Pintado de líneas", "Pintado de cajas", "Imágenes"});
  items.insert(items.end(), {"Número de página", "Fecha", "Hora", "Comentario"});
  return items;
}

void RegisterReportLists() {
  xb::RegisterFunction("TI_AAJUSTES", [](xb::Args&) { return Texts({"Izquierda", "Centrado", "Derecha"}); });
  xb::RegisterFunction("TI_ACAJUSTES", [](xb::Args&) { return Texts({"I", "C", "D"}); });
  xb::RegisterFunction("TI_ATIPOS", [](xb::Args&) { return Texts({"Carácter", "Número", "Lógico", "Fecha", "Hora"}); });
  xb::RegisterFunction("TI_ACTIPOS", [](xb::Args&) { return Texts({"C", "N", "L", "D", "H"}); });
  xb::RegisterFunction("TI_ALOGICO", [](xb::Args&) {
    return Pair(Texts({"", "y además ", "o bien"}), Texts({"", ".and.", ".or."}));
  });
  xb::RegisterFunction("TI_AOPERA", [](xb::Args&) {
    return Pair(Texts({"", "igual a", "distinto de", "menor que", "mayor que", "menor o igual que",
                       "mayor o igual que", "vacío", "no vacío", "que contenga"}),
                Texts({"", "==", "<>", "< ", "> ", "<=", ">=", "Empty(", ".not. Empty(", "$"}));
  });
  xb::RegisterFunction("TI_ANCOLORES", [](xb::Args&) {
    xb::Array a = xb::Array::New();
    for (std::int64_t c : {0LL, 8388736LL, 16711935LL, 8421376LL, 16776960LL, 255LL, 32768LL, 65280LL, 16777215LL,
                           8421504LL, 32896LL, 128LL, 65535LL, 12632256LL, 8388608LL, 16711680LL})
      a.Append(Value::Integer(c));
    return Value(a);
  });
  xb::RegisterFunction("TI_ABITMAPS", [](xb::Args&) {
    return Texts({"BM_NEGRO", "BM_ROSA", "BM_ROSAC", "BM_CYAN", "BM_CYANC", "BM_ROJOC", "BM_VERDE", "BM_VERDEC",
                  "BM_BLANCO", "BM_GRIS", "BM_MARRON", "BM_ROJO", "BM_AMARILLO", "BM_GRISC", "BM_AZUL", "BM_AZULC"});
  });
  xb::RegisterFunction("TI_ACBITMAPS", [](xb::Args&) {
    return Texts({"Negro", "Rosa", "Rosa claro", "Cyan", "Cyan claro", "Rojo claro", "Verde", "Verde claro", "Blanco",
                  "Gris", "Marrón", "Rojo", "Amarillo", "Gris claro", "Azul", "Azul claro"});
  });
  xb::RegisterFunction("TI_AITEMS", [](xb::Args& a) {
    xb::Array items = xb::Array::New();
    for (const std::string& item : HeaderItems(a.Log(1))) items.Append(Value::String(item));
    return Value(items);
  });
  xb::RegisterFunction("TI_AFUNCIONES", [](xb::Args&) {
    xb::Array list = xb::Array::New();
    for (const ReportFunction& f : ReportFunctions())
      list.Append(Value(xb::Array::Of({Value::String(f.name), Value::String(f.description),
                                       Value::String(f.arguments), Value::String(f.type)})));
    return Value(list);
  });
}

}  // namespace reports
