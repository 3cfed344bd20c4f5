#include "reports/dictionary_tables.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "reports/report_functions.h"
#include "runtime/value.h"

namespace reports {
namespace {

using xb::Value;

struct TableCase {
  const char* name;
  const char* fields;  // "NAME Tw[.d] ..."
  const char* tags;    // "Tag = key; ..."
};

// The dictionary's tables in their order, as its description gives them.
const TableCase kTables[] = {
      {"Tablas", "TABLA C10 RUTA C100 FICHERO C50 DESCRIPC C60 EXACTA L1 VISIBLE C1 TEMPORAL L1 PRODUCTOS C100",
       "Tabla = Upper( Tabla ); Fichero = Upper( Fichero ); Descrip = Upper( Descripc ); TablaVi = Upper( Tabla + Visible )"},
      {"Campos", "TABLA C10 ORDEN N3 CAMPO C15 TIPO C1 LONGITUD N3 DECIMAL N3 DESCRIPC C60 VISIBLE C1 MASCARA C60 ANCHOMAX N3 VALORES L1 DIVISA C1 FUNCTIT C50 PRODUCTOS C100",
       "Tabla = Upper( Tabla + Str( Orden, 3 ) + Campo ); Campo = Upper( Campo ); Descrip = Upper( Descripc ); TCampo = Upper( Tabla + Campo ); Visible = Upper( Tabla + Visible )"},
      {"Indices", "TABLA C10 ORDEN N2 TAG C15 EXPRESION C120 UNICO L1 DESCRIPC C60",
       "Tabla = Upper( Tabla + StrZero( Orden, 2 ) ); TabTag = Upper( Tabla + Tag ); Descrip = Upper( Descripc )"},
      {"Relacion", "TABORIGEN C10 EXPBUSCAR C100 TABDESTINO C10 INDDESTINO C15 DESCRIPC C60 IDREL N5 DIRECTA L1 PRODUCTOS C100",
       "TablaOr = Upper( TabOrigen + Str( IdRel, 5 ) ); TablaDe = Upper( TabDestino ); Descrip = Upper( Descripc ); IdRel = Str( IdRel, 5 )"},
      {"RelTab", "TABORIGEN C10 TABDESTINO C10 IDREL N5 IDDIRECTA N5 PRODUCTOS C200",
       "OrigDes = Upper( TabOrigen + TabDestino ); TabDe = Upper( TabDestino ); IdRel = Str( IdRel, 5 ); IdDirecta = Str( IdDirecta, 5 ); RelTab = Upper( TabOrigen + TabDestino ) + Str( IdRel, 5 ) + Str( IdDirecta, 5 )"},
      {"CampoRes", "TABLA C10 CAMPO C15 VALOR C3 RESULTA C20",
       "TCampo = Upper( Tabla + Campo )"},
      {"Expresio", "CODIGO C10 DESCRIPC C60 TABLA C10 EXPRESION C100 FUNDATOS C100 FUNCOLUMNA C100 ENTORNO C10 GRUPO L1 PRODUCTOS C100",
       "Codigo = Upper( Codigo ); Descrip = Upper( Descripc ); Entorno = Upper( Entorno ); Tabla = Upper( Tabla )"},
      {"ExprCol", "CODIGO C10 PARAMETRO N2 TIPO C1 LONGITUD N3 DECIMAL N3 MASCARA C60 DESCRIPC C60 CAMPO C10 ANCHOMAX N3 DIVISA C1 VISIBLE C1",
       "Codigo = Upper( Codigo ); Descrip = Upper( Descripc )"},
      {"Entorno", "ENTORNO C10 DESCRIPC C60 TABLA C10 ORDEN N3 INICIAL C1",
       "Entorno = Upper( Entorno + Str( Orden, 3 ) ); Entorn2 = Inicial"},
      {"Informes", "INFORME C10 CATEGORIA C5 TABLAMAST C10 DESCRIPC C60 CABECERA C3 TITULO C250 DESDE C50 HASTA C50 LJUMP L1 MARGEN N3 LINEASR N1 FNT_TIT N3 FNT_LIN N3 FNT_SUB N3 FNT_TOT N3 DESGLOSE L1 ORIENTACIO N1 PRODUCTOS C100 MAESTRO L1 INFMASTER C10 SUBCAT C5 DIRECTO L1 ACCESO1 C200 ACCESO2 C200",
       "Informe = Upper( Informe ); Categoria = Upper( Categoria ); Descrip = Upper( Descripc ); InfMaster = Upper( InfMaster ); SubCat = Upper( Categoria + SubCat + Descripc )"},
      {"Condicio", "INFORME C10 TIPO C1 ORDEN C1 ENLACE N1 TABLA C10 CAMPO C30 OPERADOR N2 VALOR C80 FLDTIPO C1 INFDOC C1 TEXTOTIT C30 TEXTOPIE C30 COLUMNA C10 IMPRIME C30",
       "Informe = Upper( Informe ) + InfDoc + Tipo + Orden"},
      {"Columnas", "INFORME C10 IDCOL N3 TIPOCOL N1 TITULO C100 DATOS C150 ANCHO N3 NUMDECIMAL N1 ALINEACION C1 TOTAL L1 PICTURE L1 MASCARA C60 CAMPO C15 TIPO C1 LONGITUD N3 DECIMAL N3 CODEXPR C10 PARAMETRO N2 CAMPOREL C15 LINEA N1 PINICIAL N3 FUNDATOS C50 DESCRIPC C60 ANCHOMAX N3 IMPRIMIR L1 DIVISA C1 FUNCTIT C50 VISIBLE C1 INIGRUPO L1",
       "Informe = Upper( Informe + StrZero( IdCol, 3 ) ); Campo = Upper( CampoRel ); InfoCol = Upper( Informe + Str( TipoCol, 1 ) ); Listar = Upper( Informe ) + Str( Linea, 3 ) + Str( PInicial, 3 )"},
      {"Recol", "INFORME C10 IDCOL N3 ORDEN N3 TABBUSCAR C10 INDBUSCAR C15 EXPBUSCAR C100 INFDOC C1 IDCUERPO N3",
       "InCoOrd = Upper( Informe + InfDoc + Str( IDCuerpo, 3 ) + Str( IdCol, 3 ) + Str( Orden, 3 ) )"},
      {"CnfColum", "INFORME C10 IDCOL N3 FNT_TIT N3 FNT_LIN N3 FNT_SUB N3 FNT_TOT N3",
       "Informe = Upper( Informe ) + Str( IDCol, 3 )"},
      {"Inicial", "INFORME C10 ORDEN N1 FUNCION C100 DESCRIPC C60 INFDOC C1",
       "Informe = Upper( Informe + InfDoc )"},
      {"Graficos", "CODIGO C10 CATEGORIA C10 DESCRIPC C60 FUNCION C150",
       "Codigo = Upper( Codigo ); Descripc = Upper( Descripc ); Categor = Upper( Categoria )"},
      {"GrafCat", "CODIGO C10 DESCRIPC C50",
       "Codigo = Upper( Codigo ); Descripc = Upper( Descripc )"},
      {"Fonts", "NFONT N3 CFACENAME C25 LBOLD L1 LITALIC L1 NWIDTH N6.2 NHEIGHT N6.2 NCOLOR N10",
       "Fonts = nFont; Nombre = Upper( cFaceName ) + Str( nColor, 10 )"},
      {"Categor", "CATEGORIA C5 DESCRIPC C60 INFDOC C1 MAESTRA C10 CUERPO1 C10 CUERPO2 C10 CUERPO3 C10 COMENTARIO C10 PRODUCTOS C100",
       "Categoria = Upper( Categoria ); Descrip = Upper( Descripc ); InfDoc = InfDoc + Upper( Categoria )"},
      {"CabeH", "COD C3 DESCRIP C100 POSICION N5.1 ACTIVO L1 PFINAL N5.1",
       "Codigo = Cod; Descrip = Upper( Descrip )"},
      {"CabeD", "COD C3 DATO N3 TEXTO C100 LINEA N5.1 COLUMNA N5.1 LINEA2 N5.1 COLUMNA2 N5.1 LONGMAX N5.1 INTERLINEA N5.1 AJUSTE C1 ACTIVO L1 GROSOR N3 FUENTE N3",
       "Codigo = Cod + Str(Linea, 5, 1) + Str(Columna, 5, 1)"},
      {"SubCat", "SUBCAT C5 DESCRIPC C60 CATEGORIA C5 PRODUCTOS C100",
       "SubCat = Upper( SubCat ); Categoria = Upper( Categoria + SubCat )"},
      {"MtrDirec", "TEXTO C100 FILA N3 COLUMNA N3 TFUENTE N1 SUBRAYADO L1 ALINEACION C1 STARTGRP L1 GRUPO N3",
       ""},
};

std::string Fields(const xb::Array& structure) {
  std::string s;
  for (std::size_t i = 0; i < structure.size(); ++i) {
    const xb::Array f = structure[i].AsArray();
    if (!s.empty()) s += ' ';
    s += std::string(f[0].AsString()) + " " + std::string(f[1].AsString()) + std::to_string(f[2].AsInt());
    if (f[3].AsInt() != 0) s += "." + std::to_string(f[3].AsInt());
  }
  return s;
}

std::string Tags(const xb::Array& tags) {
  std::string s;
  for (std::size_t i = 0; i < tags.size(); ++i) {
    const xb::Array t = tags[i].AsArray();
    if (!s.empty()) s += "; ";
    s += std::string(t[0].AsString()) + " = " + std::string(t[1].AsString());
  }
  return s;
}

class DictionaryTablesTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
  }
};

TEST_F(DictionaryTablesTest, TheTwentyThreeTablesTheirStructuresAndTags) {
  const xb::Array names = X("AFICHEROS()").AsArray();
  const xb::Array structures = X("ASTRUFICHEROS()").AsArray();
  const xb::Array tag_lists = X("AINDEXFICHEROS()").AsArray();
  ASSERT_EQ(names.size(), std::size(kTables));
  ASSERT_EQ(structures.size(), std::size(kTables));
  ASSERT_EQ(tag_lists.size(), std::size(kTables) - 1);
  std::size_t indexed = 0;
  for (std::size_t i = 0; i < std::size(kTables); ++i) {
    const TableCase& c = kTables[i];
    SCOPED_TRACE(c.name);
    const xb::Array entry = names[i].AsArray();
    EXPECT_EQ(entry[0].AsString(), c.name);
    const bool has_tags = *c.tags != '\0';
    EXPECT_EQ(entry[1].AsLogical(), has_tags);
    EXPECT_EQ(Fields(structures[i].AsArray()), c.fields);
    if (has_tags) {
      EXPECT_EQ(Tags(tag_lists[indexed++].AsArray()), c.tags);
    }
    const DictTable* t = FindDictTable(std::string(c.name) + "  ");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->name, c.name);
  }
  EXPECT_EQ(FindDictTable("CABEH")->name, "CabeH");
  EXPECT_EQ(FindDictTable("Listados"), nullptr);
}

TEST_F(DictionaryTablesTest, HeaderTablesAreTheDictionarysOwn) {
  for (const char* name : {"CabeH", "CabeD"}) {
    SCOPED_TRACE(name);
    const xb::Array both = X(std::string("ASTRU") + name + "()").AsArray();
    ASSERT_EQ(both.size(), 2u);
    const DictTable& t = *FindDictTable(name);
    EXPECT_EQ(Fields(both[0].AsArray()), Fields(StructureArray(t)));
    EXPECT_EQ(Tags(both[1].AsArray()), Tags(TagArray(t)));
  }
  EXPECT_EQ(X("ASTRUCABED()[1][3][3]").AsInt(), 100);
  EXPECT_EQ(X("ASTRUCABEH()[2][1][1]").AsString(), "Codigo");
  // Each call gives a list of its own.
  EXPECT_EQ(X("(a := ASTRUCABEH(), a[1][1][1] := 'X', ASTRUCABEH()[1][1][1])").AsString(), "COD");
}

}  // namespace
}  // namespace reports
