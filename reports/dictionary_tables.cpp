#include "reports/dictionary_tables.h"

#include <cctype>

#include "runtime/function_table.h"
#include "runtime/value.h"

namespace reports {
namespace {

using xb::Value;

const std::vector<DictTable>& Tables() {
  static const std::vector<DictTable> tables = {
      {"Tablas",
       {{"TABLA", 'C', 10, 0}, {"RUTA", 'C', 100, 0}, {"FICHERO", 'C', 50, 0}, {"DESCRIPC", 'C', 60, 0},
        {"EXACTA", 'L', 1, 0}, {"VISIBLE", 'C', 1, 0}, {"TEMPORAL", 'L', 1, 0}, {"PRODUCTOS", 'C', 100, 0}},
       {{"Tabla", "Upper( Tabla )"},
        {"Fichero", "Upper( Fichero )"},
        {"Descrip", "Upper( Descripc )"},
        {"TablaVi", "Upper( Tabla + Visible )"}}},
      {"Campos",
       {{"TABLA", 'C', 10, 0}, {"ORDEN", 'N', 3, 0}, {"CAMPO", 'C', 15, 0}, {"TIPO", 'C', 1, 0},
        {"LONGITUD", 'N', 3, 0}, {"DECIMAL", 'N', 3, 0}, {"DESCRIPC", 'C', 60, 0}, {"VISIBLE", 'C', 1, 0},
        {"MASCARA", 'C', 60, 0}, {"ANCHOMAX", 'N', 3, 0}, {"VALORES", 'L', 1, 0}, {"DIVISA", 'C', 1, 0},
        {"FUNCTIT", 'C', 50, 0}, {"PRODUCTOS", 'C', 100, 0}},
       {{"Tabla", "Upper( Tabla + Str( Orden, 3 ) + Campo )"},
        {"Campo", "Upper( Campo )"},
        {"Descrip", "Upper( Descripc )"},
        {"TCampo", "Upper( Tabla + Campo )"},
        {"Visible", "Upper( Tabla + Visible )"}}},
      {"Indices",
       {{"TABLA", 'C', 10, 0}, {"ORDEN", 'N', 2, 0}, {"TAG", 'C', 15, 0}, {"EXPRESION", 'C', 120, 0},
        {"UNICO", 'L', 1, 0}, {"DESCRIPC", 'C', 60, 0}},
       {{"Tabla", "Upper( Tabla + StrZero( Orden, 2 ) )"},
        {"TabTag", "Upper( Tabla + Tag )"},
        {"Descrip", "Upper( Descripc )"}}},
      {"Relacion",
       {{"TABORIGEN", 'C', 10, 0}, {"EXPBUSCAR", 'C', 100, 0}, {"TABDESTINO", 'C', 10, 0},
        {"INDDESTINO", 'C', 15, 0}, {"DESCRIPC", 'C', 60, 0}, {"IDREL", 'N', 5, 0}, {"DIRECTA", 'L', 1, 0},
        {"PRODUCTOS", 'C', 100, 0}},
       {{"TablaOr", "Upper( TabOrigen + Str( IdRel, 5 ) )"},
        {"TablaDe", "Upper( TabDestino )"},
        {"Descrip", "Upper( Descripc )"},
        {"IdRel", "Str( IdRel, 5 )"}}},
      {"RelTab",
       {{"TABORIGEN", 'C', 10, 0}, {"TABDESTINO", 'C', 10, 0}, {"IDREL", 'N', 5, 0}, {"IDDIRECTA", 'N', 5, 0},
        {"PRODUCTOS", 'C', 200, 0}},
       {{"OrigDes", "Upper( TabOrigen + TabDestino )"},
        {"TabDe", "Upper( TabDestino )"},
        {"IdRel", "Str( IdRel, 5 )"},
        {"IdDirecta", "Str( IdDirecta, 5 )"},
        {"RelTab", "Upper( TabOrigen + TabDestino ) + Str( IdRel, 5 ) + Str( IdDirecta, 5 )"}}},
      {"CampoRes",
       {{"TABLA", 'C', 10, 0}, {"CAMPO", 'C', 15, 0}, {"VALOR", 'C', 3, 0}, {"RESULTA", 'C', 20, 0}},
       {{"TCampo", "Upper( Tabla + Campo )"}}},
      {"Expresio",
       {{"CODIGO", 'C', 10, 0}, {"DESCRIPC", 'C', 60, 0}, {"TABLA", 'C', 10, 0}, {"EXPRESION", 'C', 100, 0},
        {"FUNDATOS", 'C', 100, 0}, {"FUNCOLUMNA", 'C', 100, 0}, {"ENTORNO", 'C', 10, 0}, {"GRUPO", 'L', 1, 0},
        {"PRODUCTOS", 'C', 100, 0}},
       {{"Codigo", "Upper( Codigo )"},
        {"Descrip", "Upper( Descripc )"},
        {"Entorno", "Upper( Entorno )"},
        {"Tabla", "Upper( Tabla )"}}},
      {"ExprCol",
       {{"CODIGO", 'C', 10, 0}, {"PARAMETRO", 'N', 2, 0}, {"TIPO", 'C', 1, 0}, {"LONGITUD", 'N', 3, 0},
        {"DECIMAL", 'N', 3, 0}, {"MASCARA", 'C', 60, 0}, {"DESCRIPC", 'C', 60, 0}, {"CAMPO", 'C', 10, 0},
        {"ANCHOMAX", 'N', 3, 0}, {"DIVISA", 'C', 1, 0}, {"VISIBLE", 'C', 1, 0}},
       {{"Codigo", "Upper( Codigo )"}, {"Descrip", "Upper( Descripc )"}}},
      {"Entorno",
       {{"ENTORNO", 'C', 10, 0}, {"DESCRIPC", 'C', 60, 0}, {"TABLA", 'C', 10, 0}, {"ORDEN", 'N', 3, 0},
        {"INICIAL", 'C', 1, 0}},
       {{"Entorno", "Upper( Entorno + Str( Orden, 3 ) )"}, {"Entorn2", "Inicial"}}},
      {"Informes",
       {{"INFORME", 'C', 10, 0},   {"CATEGORIA", 'C', 5, 0},  {"TABLAMAST", 'C', 10, 0}, {"DESCRIPC", 'C', 60, 0},
        {"CABECERA", 'C', 3, 0},   {"TITULO", 'C', 250, 0},   {"DESDE", 'C', 50, 0},     {"HASTA", 'C', 50, 0},
        {"LJUMP", 'L', 1, 0},      {"MARGEN", 'N', 3, 0},     {"LINEASR", 'N', 1, 0},    {"FNT_TIT", 'N', 3, 0},
        {"FNT_LIN", 'N', 3, 0},    {"FNT_SUB", 'N', 3, 0},    {"FNT_TOT", 'N', 3, 0},    {"DESGLOSE", 'L', 1, 0},
        {"ORIENTACIO", 'N', 1, 0}, {"PRODUCTOS", 'C', 100, 0}, {"MAESTRO", 'L', 1, 0},   {"INFMASTER", 'C', 10, 0},
        {"SUBCAT", 'C', 5, 0},     {"DIRECTO", 'L', 1, 0},    {"ACCESO1", 'C', 200, 0},  {"ACCESO2", 'C', 200, 0}},
       {{"Informe", "Upper( Informe )"},
        {"Categoria", "Upper( Categoria )"},
        {"Descrip", "Upper( Descripc )"},
        {"InfMaster", "Upper( InfMaster )"},
        {"SubCat", "Upper( Categoria + SubCat + Descripc )"}}},
      {"Condicio",
       {{"INFORME", 'C', 10, 0}, {"TIPO", 'C', 1, 0}, {"ORDEN", 'C', 1, 0}, {"ENLACE", 'N', 1, 0},
        {"TABLA", 'C', 10, 0}, {"CAMPO", 'C', 30, 0}, {"OPERADOR", 'N', 2, 0}, {"VALOR", 'C', 80, 0},
        {"FLDTIPO", 'C', 1, 0}, {"INFDOC", 'C', 1, 0}, {"TEXTOTIT", 'C', 30, 0}, {"TEXTOPIE", 'C', 30, 0},
        {"COLUMNA", 'C', 10, 0}, {"IMPRIME", 'C', 30, 0}},
       {{"Informe", "Upper( Informe ) + InfDoc + Tipo + Orden"}}},
      {"Columnas",
       {{"INFORME", 'C', 10, 0},  {"IDCOL", 'N', 3, 0},    {"TIPOCOL", 'N', 1, 0},    {"TITULO", 'C', 100, 0},
        {"DATOS", 'C', 150, 0},   {"ANCHO", 'N', 3, 0},    {"NUMDECIMAL", 'N', 1, 0}, {"ALINEACION", 'C', 1, 0},
        {"TOTAL", 'L', 1, 0},     {"PICTURE", 'L', 1, 0},  {"MASCARA", 'C', 60, 0},   {"CAMPO", 'C', 15, 0},
        {"TIPO", 'C', 1, 0},      {"LONGITUD", 'N', 3, 0}, {"DECIMAL", 'N', 3, 0},    {"CODEXPR", 'C', 10, 0},
        {"PARAMETRO", 'N', 2, 0}, {"CAMPOREL", 'C', 15, 0}, {"LINEA", 'N', 1, 0},     {"PINICIAL", 'N', 3, 0},
        {"FUNDATOS", 'C', 50, 0}, {"DESCRIPC", 'C', 60, 0}, {"ANCHOMAX", 'N', 3, 0},  {"IMPRIMIR", 'L', 1, 0},
        {"DIVISA", 'C', 1, 0},    {"FUNCTIT", 'C', 50, 0}, {"VISIBLE", 'C', 1, 0},    {"INIGRUPO", 'L', 1, 0}},
       {{"Informe", "Upper( Informe + StrZero( IdCol, 3 ) )"},
        {"Campo", "Upper( CampoRel )"},
        {"InfoCol", "Upper( Informe + Str( TipoCol, 1 ) )"},
        {"Listar", "Upper( Informe ) + Str( Linea, 3 ) + Str( PInicial, 3 )"}}},
      {"Recol",
       {{"INFORME", 'C', 10, 0}, {"IDCOL", 'N', 3, 0}, {"ORDEN", 'N', 3, 0}, {"TABBUSCAR", 'C', 10, 0},
        {"INDBUSCAR", 'C', 15, 0}, {"EXPBUSCAR", 'C', 100, 0}, {"INFDOC", 'C', 1, 0}, {"IDCUERPO", 'N', 3, 0}},
       {{"InCoOrd", "Upper( Informe + InfDoc + Str( IDCuerpo, 3 ) + Str( IdCol, 3 ) + Str( Orden, 3 ) )"}}},
      {"CnfColum",
       {{"INFORME", 'C', 10, 0}, {"IDCOL", 'N', 3, 0}, {"FNT_TIT", 'N', 3, 0}, {"FNT_LIN", 'N', 3, 0},
        {"FNT_SUB", 'N', 3, 0}, {"FNT_TOT", 'N', 3, 0}},
       {{"Informe", "Upper( Informe ) + Str( IDCol, 3 )"}}},
      {"Inicial",
       {{"INFORME", 'C', 10, 0}, {"ORDEN", 'N', 1, 0}, {"FUNCION", 'C', 100, 0}, {"DESCRIPC", 'C', 60, 0},
        {"INFDOC", 'C', 1, 0}},
       {{"Informe", "Upper( Informe + InfDoc )"}}},
      {"Graficos",
       {{"CODIGO", 'C', 10, 0}, {"CATEGORIA", 'C', 10, 0}, {"DESCRIPC", 'C', 60, 0}, {"FUNCION", 'C', 150, 0}},
       {{"Codigo", "Upper( Codigo )"}, {"Descripc", "Upper( Descripc )"}, {"Categor", "Upper( Categoria )"}}},
      {"GrafCat",
       {{"CODIGO", 'C', 10, 0}, {"DESCRIPC", 'C', 50, 0}},
       {{"Codigo", "Upper( Codigo )"}, {"Descripc", "Upper( Descripc )"}}},
      {"Fonts",
       {{"NFONT", 'N', 3, 0}, {"CFACENAME", 'C', 25, 0}, {"LBOLD", 'L', 1, 0}, {"LITALIC", 'L', 1, 0},
        {"NWIDTH", 'N', 6, 2}, {"NHEIGHT", 'N', 6, 2}, {"NCOLOR", 'N', 10, 0}},
       {{"Fonts", "nFont"}, {"Nombre", "Upper( cFaceName ) + Str( nColor, 10 )"}}},
      {"Categor",
       {{"CATEGORIA", 'C', 5, 0}, {"DESCRIPC", 'C', 60, 0}, {"INFDOC", 'C', 1, 0}, {"MAESTRA", 'C', 10, 0},
        {"CUERPO1", 'C', 10, 0}, {"CUERPO2", 'C', 10, 0}, {"CUERPO3", 'C', 10, 0}, {"COMENTARIO", 'C', 10, 0},
        {"PRODUCTOS", 'C', 100, 0}},
       {{"Categoria", "Upper( Categoria )"}, {"Descrip", "Upper( Descripc )"}, {"InfDoc", "InfDoc + Upper( Categoria )"}}},
      {"CabeH",
       {{"COD", 'C', 3, 0}, {"DESCRIP", 'C', 100, 0}, {"POSICION", 'N', 5, 1}, {"ACTIVO", 'L', 1, 0},
        {"PFINAL", 'N', 5, 1}},
       {{"Codigo", "Cod"}, {"Descrip", "Upper( Descrip )"}}},
      {"CabeD",
       {{"COD", 'C', 3, 0}, {"DATO", 'N', 3, 0}, {"TEXTO", 'C', 100, 0}, {"LINEA", 'N', 5, 1},
        {"COLUMNA", 'N', 5, 1}, {"LINEA2", 'N', 5, 1}, {"COLUMNA2", 'N', 5, 1}, {"LONGMAX", 'N', 5, 1},
        {"INTERLINEA", 'N', 5, 1}, {"AJUSTE", 'C', 1, 0}, {"ACTIVO", 'L', 1, 0}, {"GROSOR", 'N', 3, 0},
        {"FUENTE", 'N', 3, 0}},
       {{"Codigo", "Cod + Str(Linea, 5, 1) + Str(Columna, 5, 1)"}}},
      {"SubCat",
       {{"SUBCAT", 'C', 5, 0}, {"DESCRIPC", 'C', 60, 0}, {"CATEGORIA", 'C', 5, 0}, {"PRODUCTOS", 'C', 100, 0}},
       {{"SubCat", "Upper( SubCat )"}, {"Categoria", "Upper( Categoria + SubCat )"}}},
      {"MtrDirec",
       {{"TEXTO", 'C', 100, 0}, {"FILA", 'N', 3, 0}, {"COLUMNA", 'N', 3, 0}, {"TFUENTE", 'N', 1, 0},
        {"SUBRAYADO", 'L', 1, 0}, {"ALINEACION", 'C', 1, 0}, {"STARTGRP", 'L', 1, 0}, {"GRUPO", 'N', 3, 0}},
       {}},
  };
  return tables;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

Value StruAndTags(std::string_view name) {
  const DictTable& t = *FindDictTable(name);
  return Value(xb::Array::Of({Value(StructureArray(t)), Value(TagArray(t))}));
}

}  // namespace

const std::vector<DictTable>& DictionaryTables() { return Tables(); }

const DictTable* FindDictTable(std::string_view name) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (const DictTable& t : Tables()) {
    if (SameName(t.name, name)) return &t;
  }
  return nullptr;
}

xb::Array StructureArray(const DictTable& table) {
  xb::Array a = xb::Array::New();
  for (const auto& f : table.fields) {
    a.Append(Value(xb::Array::Of({Value::String(f.name), Value::String(std::string(1, f.type)),
                                  Value::Integer(f.length), Value::Integer(f.decimals)})));
  }
  return a;
}

xb::Array TagArray(const DictTable& table) {
  xb::Array a = xb::Array::New();
  for (const DictTag& t : table.tags) a.Append(Value(xb::Array::Of({Value::String(t.name), Value::String(t.key)})));
  return a;
}

xb::Array aFicheros() {
  xb::Array a = xb::Array::New();
  for (const DictTable& t : Tables()) a.Append(Value(xb::Array::Of({Value::String(t.name), Value::Logical(t.indexed())})));
  return a;
}

xb::Array aStruFicheros() {
  xb::Array a = xb::Array::New();
  for (const DictTable& t : Tables()) a.Append(Value(StructureArray(t)));
  return a;
}

xb::Array aIndexFicheros() {
  xb::Array a = xb::Array::New();
  for (const DictTable& t : Tables()) {
    if (t.indexed()) a.Append(Value(TagArray(t)));
  }
  return a;
}

xb::Array aStruCabeH() { return StruAndTags("CabeH").AsArray(); }
xb::Array aStruCabeD() { return StruAndTags("CabeD").AsArray(); }

void RegisterDictionaryTables() {
  xb::RegisterFunction("AFICHEROS", [](xb::Args&) { return Value(aFicheros()); });
  xb::RegisterFunction("ASTRUFICHEROS", [](xb::Args&) { return Value(aStruFicheros()); });
  xb::RegisterFunction("AINDEXFICHEROS", [](xb::Args&) { return Value(aIndexFicheros()); });
  xb::RegisterFunction("ASTRUCABEH", [](xb::Args&) { return Value(aStruCabeH()); });
  xb::RegisterFunction("ASTRUCABED", [](xb::Args&) { return Value(aStruCabeD()); });
}

}  // namespace reports
