#include "app/org/table_schemas.h"

#include <cstdlib>

#include "runtime/codepage.h"

namespace app {
namespace {

constexpr CatalogueFolder kCompany = CatalogueFolder::kCompany;
constexpr CatalogueFolder kStart = CatalogueFolder::kStart;
constexpr DemoRole kFixed = DemoRole::kFixed;
constexpr DemoRole kMaster = DemoRole::kMaster;
constexpr DemoRole kDocument = DemoRole::kDocument;
constexpr DemoRole kLines = DemoRole::kLines;
constexpr DemoRole kSettings = DemoRole::kSettings;

// Masters and documents carry their code or number in the first field.
constexpr TableSchema kSchemas[] = {
    // ---- the start folder ----------------------------------------------------------------
    {"Empresa", kStart, "CODEMP C2 CNOMBRE C30 CNIF C15 LACTIVA L USO N2 CDIRECCION C40 CPOBLACION C30 CTELEFONO C15",
     kFixed, "", 0, 4},
    {"VerVDRe", kStart, "PRODUCTO C25 VERSION C25 FECHA D DRIVER C10 EMPRESA C25 USUARIO C25 COMPATIBLE C10",
     kSettings, "", 0, 1},
    {"Macros", kStart, "NOMBRE C20 CDESCRIP C40 MMACRO M", kFixed, "", 0, 12},
    {"Listados", kStart, "NIVEL1 C2 NIVEL2 C2 CODIGO C10 CDESCRIP C40 CFUNCION C30", kFixed, "", 0, 40},
    {"ListadoB", kStart, "NIVEL1 C2 NIVEL2 C2 CODIGO C10 CDESCRIP C40 CFUNCION C30", kFixed, "", 0, 25},
    {"WItemDoc", kStart, "NCLAVE N6 CDESCRIP C30 CCAMPO C30 NLONGITUD N3", kFixed, "", 0, 60},
    {"Fonts", kStart, "NFONT N3 CNOMBRE C30 NALTO N3 NANCHO N3 LNEGRITA L LCURSIVA L", kFixed, "", 0, 8},
    {"Bancos", kStart, "CENTIDAD C4 CAGENCIA C4 CNOMBRE C40 CDIRECCION C40 CPOBLACION C30", kFixed, "", 0, 120},
    {"Naciones", kStart, "CCODIGO C3 CNOMBRE C30 CCODDIV C3", kFixed, "", 0, 30},
    {"Bandera", kStart, "ORDEN N3 CNOMBRE C30 CFICHERO C40", kFixed, "", 0, 30},
    {"Cajas", kStart, "CCODCAJA C3 CDESCAJA C30 CMODCAJA C3 CPUERTO C4", kFixed, "", 0, 6},
    {"ModCajas", kStart, "CCODIGO C3 CDESMOD C30", kFixed, "", 0, 4},
    {"Bascula", kStart, "CNOMBRE C30 CPUERTO C4 NVELOCIDAD N6", kFixed, "", 0, 3},
    {"Cajon", kStart, "CNOMBRE C30 CPUERTO C4 CSECUENCIA C20", kFixed, "", 0, 3},
    {"Tickets", kStart, "CNOMBRE C30 CPUERTO C4 NLINEAS N3", kFixed, "", 0, 3},
    {"Visor", kStart, "CNOMBRE C30 CPUERTO C4 NCOLUMNAS N3", kFixed, "", 0, 3},
    {"MPago", kStart, "CNOMBRE C30 LEFECTIVO L", kFixed, "", 0, 5},
    {"Terminal", kStart, "CODIGO C3 CNOMBRE C30 CPUERTO C4", kFixed, "", 0, 4},
    {"Avisos", kStart, "CODORIG C2 CODDEST C2 FECHA D ESTADO C1 CTEXTO C70 MTEXTO M", kFixed, "", 0, 50},

    // ---- company settings and auxiliary tables -----------------------------------------------
    {"Claves", kCompany,
     "CCODDIV C3 NENTPREC N2 NDECPREC N1 NENTRES N2 NDECRES N1 LIRPFAGR L LGRAFCLI L LDTOPP L LDTOESP L "
     "CNOMEMP C40 NIVAPORTES N5.2",
     kSettings, "", 0, 1},
    {"Divisas", kCompany,
     "CCODDIV C3 CDETDIV C20 NENTPREC N2 NDECPREC N1 NENTRES N2 NDECRES N1 NVALEURO99 N16.6 NTASACONV N16.6 "
     "LZONAEURO L NVALDIV N16.6 CSIMBOLO C3",
     kFixed, "", 0, 5},
    {"Ivas", kCompany, "CTIPOIVA C1 CDETIVA C30 NPORCIVA N5.2 NPORCREQ N5.2", kFixed, "", 0, 4},
    {"Zonas", kCompany, "CCODZONA C3 CNOMZONA C30", kFixed, "", 0, 12},
    {"Provinc", kCompany, "CCODPROV C2 CNOMPROV C30", kFixed, "", 0, 52},
    {"Familias", kCompany,
     "CCODFAM C5 CNOMFAM C30 CCODPROP1 C3 CCODPROP2 C3 NCANT_TAC N10.3 CDES_TAC C20 LBMPTACTIL L", kFixed, "", 0, 60},
    {"Rappels", kCompany, "CCODRAP C3 CDESRAP C30 NPORCEN N5.2", kFixed, "", 0, 8},
    {"Grp_Vent", kCompany, "CGRPCONTA C3 CGRPNOM C30 CSUBCTA C12", kFixed, "", 0, 6},
    {"Grp_Comp", kCompany, "CGRPCONTA C3 CGRPNOM C30 CSUBCTA C12", kFixed, "", 0, 6},
    {"Cta_Rem", kCompany, "CCTAREM C3 CNOMCTA C30 CENTIDAD C4 CAGENCIA C4 CCUENTA C10", kFixed, "", 0, 4},
    {"FPago", kCompany, "CCODPAGO C2 CDESPAGO C30 NPLAZOS N2 NDIAS N3", kFixed, "", 0, 12},
    {"HFPago", kCompany, "DFECHA D NCONTADOR N1 CCODPAGO C2 NIMPORTE N14.2", kMaster, "", 300, 20},
    {"Seccion", kCompany, "CCODSEC C3 CDESSEC C30", kFixed, "", 0, 8},
    {"Operaci", kCompany, "CCODOPE C3 CDESOPE C30", kFixed, "", 0, 10},
    {"WCabDoc", kCompany, "CTIPO C2 CCODIGO C5 CDESCRIP C30", kFixed, "", 0, 12},
    {"WLinDoc", kCompany, "CCODIGO C5 NLINEA N4 NCOLUMNA N5 CTEXTO C40", kFixed, "", 0, 120},
    {"WLinDocC", kCompany, "CCODIGO C5 NLINEA N2 NCOLUMNA N5 CTEXTO C40", kFixed, "", 0, 60},
    {"ConfKey", kCompany, "CCODCONF C3 CDESCRIP C30", kFixed, "", 0, 5},
    {"ConfKeyD", kCompany, "CCODCONF C3 NPOS N2 CTECLA C10", kFixed, "", 0, 40},
    {"ConfKeyC", kCompany, "CCODCONF C3 NACTION N2 CTEXTO C20", kFixed, "", 0, 30},
    {"ConfKeyP", kCompany, "CCODCONF C3 NACTION N2 CTEXTO C20", kFixed, "", 0, 30},
    {"ConfTac", kCompany, "CCODTAC C3 CDESCRIP C30", kFixed, "", 0, 6},
    {"GrupCli", kCompany, "CCODIGO C3 CDESCRIP C30", kFixed, "", 0, 10},
    {"Graph", kCompany,
     "CLAVE1 C2 CCOD C6 CLAVE2 C2 CLAVE3 C2 VALOR1 N16.2 VALOR2 N16.2 VALOR3 N16.2 VALOR4 N16.2 VALOR5 N16.2 "
     "VALOR6 N16.2 VALOR7 N16.2 VALOR8 N16.2 VALOR9 N16.2 VALOR10 N16.2 VALOR11 N16.2 VALOR12 N16.2 "
     "VALOR1AA N16.2 VALOR2AA N16.2 VALOR3AA N16.2 VALOR4AA N16.2 VALOR5AA N16.2 VALOR6AA N16.2 "
     "VALOR7AA N16.2 VALOR8AA N16.2 VALOR9AA N16.2 VALOR10AA N16.2 VALOR11AA N16.2 VALOR12AA N16.2",
     kMaster, "", 3000, 4},
    {"Prop", kCompany, "CCODPROP C3 CNOMPROP C30", kFixed, "", 0, 6},
    {"PropD", kCompany, "CCODPROP C3 CPROP C5 NORDEN N3 CDESCRIP C30", kFixed, "", 0, 40},
    {"CodBarP", kCompany, "CREF C18 CPROP1 C5 CPROP2 C5 CCODEBAR C18", kMaster, "", 8000, 20},
    {"CodBarC", kCompany, "CCODIGO C3 CDESCRIP C30", kFixed, "", 0, 5},
    {"Transpor", kCompany, "CCODTRAN C3 CNOMTRAN C30 CTELEFONO C15", kFixed, "", 0, 8},
    {"MovimCaj", kCompany, "DFECHA D CCODMCAJA C3 CCODCAJA C3 NIMPORTE N14.2 CCONCEPTO C40", kMaster, "", 10000, 20},
    {"HMovimCa", kCompany, "DFECHA D DFECCIERRE D NCONTADOR N1 CCODCAJA C3 NIMPORTE N14.2 CCONCEPTO C40",
     kMaster, "", 20000, 20},
    {"CodCaja", kCompany, "CCODCAJA C3 CDESCRIP C30", kFixed, "", 0, 6},
    {"MovimT", kCompany,
     "NTIPO N1 CSERIE C1 NNUMTICKET N9 DFECHA D DFECCIERRE D NCONTADOR N1 NNUMVALE N9 CNUMDEV C10 NIMPORTE N14.2",
     kMaster, "", 30000, 20},

    // ---- masters ---------------------------------------------------------------------------
    {"Proveedo", kCompany,
     "CCODPRO C6 CNOMPRO C40 CNIFDNI C15 CSUBCTA C12 CDIRECCION C40 CPOBLACION C30 CCODPROV C2 CTELEFONO C15 "
     "CCODDIV C3 MOBSERV M",
     kMaster, "", 500, 8},
    {"ProveedC", kCompany, "CCODPRO C6 CCONTACTO C40 CTELEFONO C15", kMaster, "", 300, 5},
    {"Clientes", kCompany,
     "CCODCLI C6 CNOMCLI C40 CDNICIF C15 CCODGRUP C3 CSUBCTA C12 CCODEDI C13 CDIRECCION C40 CPOBLACION C30 "
     "CCODPROV C2 CTELEFONO C15 CCODAGE C3 CCODPAGO C2 CCODDIV C3 NRIESGO N14.2 NRIESGOALC N14.2 NMOROSOS N14.2 "
     "LRECARGO L MOBSERV M",
     kMaster, "", 5000, 12},
    {"ClienteC", kCompany, "CCODCLI C6 CCONTACTO C40 CTELEFONO C15", kMaster, "", 2000, 5},
    {"ICliente", kCompany, "CCODCLI C6 CNOMCLI C40 CDNICIF C15 CDIRECCION C40", kMaster, "", 1000, 5},
    {"DirCli", kCompany, "CCODCLI C6 CIDENDIR C3 CNOMCOM C40 CCODEDI C13 CDIRECCION C40 CPOBLACION C30",
     kMaster, "", 4000, 8},
    {"Almacen", kCompany, "CCODALM C3 CNOMBRE C30", kFixed, "", 0, 4},
    {"Stocks", kCompany, "CCODALM C3 CREF C18 CPROP1 C5 CPROP2 C5 NSTOCK N14.3 NSTOCKMIN N14.3", kMaster, "", 20000, 20},
    {"Articulo", kCompany,
     "CREF C18 CDETALLE C40 CCODFAM C5 LBMPTACTIL L NCANT_TAC N10.3 CDES_TAC C20 LKIT L LANTICIPO L CTIPOIVA C1 "
     "NPVP N14.4 NCOSTO N14.4 NPENDREC N14.3 NPENDSER N14.3 NENTACU N14.3 NSALACU N14.3 CCODPRO C6 MOBSERV M",
     kMaster, "", 10000, 24},
    {"ArticulC", kCompany, "CREF C18 CTEXTO C40", kMaster, "", 3000, 5},
    {"PrecDiv", kCompany, "CREF C18 CCODDIV C3 CPROP1 C5 CPROP2 C5 NPRECIO N14.4", kMaster, "", 3000, 5},
    {"PrecProv", kCompany, "CREF C18 CCODPRO C6 CCODDIV C3 CPROP1 C5 CPROP2 C5 CDETALLE C40 NPRECIO N14.4",
     kMaster, "", 8000, 12},
    {"Kits", kCompany, "CREF C18 CREFCOMP C18 CDETALLE C40 NCANTIDAD N10.3", kMaster, "", 1500, 6},
    {"ArtCom", kCompany, "CREF C18 MCOMENT M", kMaster, "", 1000, 4},
    {"EtiqProp", kCompany, "CREF C18 CPROP1 C5 CPROP2 C5 NCANTIDAD N6", kMaster, "", 2000, 5},
    {"Agentes", kCompany, "CCODAGE C3 CAPEAGE C40 CNOMAGE C20 NCOMISION N5.2 CDNICIF C15", kMaster, "", 50, 4},
    {"AgentesC", kCompany, "CCODAGE C3 CCONTACTO C40", kMaster, "", 30, 3},
    {"Depart", kCompany, "CCODDEP C3 CDESDEP C30", kFixed, "", 0, 6},
    {"HDepart", kCompany, "DFECHA D NCONTADOR N1 CCODDEP C3 NIMPORTE N14.2", kMaster, "", 500, 10},
    {"TipLlama", kCompany, "CTIPLLAM C3 CDESCRIP C30", kFixed, "", 0, 6},
    {"Promoc", kCompany, "CDESCRIP C30 CREF C18 CPROP1 C5 CPROP2 C5 DFECINI D DFECFIN D CCODFAM C5 NDTO N5.2",
     kMaster, "", 500, 6},
    {"Llamadas", kCompany, "DFECHA D CHORAINI C5 CTIPLLAM C3 NCLIPRO N1 CCODCP C6 CTEXTO C60", kMaster, "", 5000, 10},
    {"Personal", kCompany, "CCODEMP C3 CCODSEC C3 CNOMBRE C40", kFixed, "", 0, 12},
    {"Componen", kCompany, "CCODART C18 CMATPRIM C18 CPROP1 C5 CPROP2 C5 NCANTIDAD N10.3", kMaster, "", 1500, 6},
    {"Producto", kCompany, "CCODART C18 CDESCRIP C40 NTIEMPO N6.2", kMaster, "", 500, 4},
    {"PlantCab", kCompany, "CCODPLAN C3 CDESPLAN C30", kFixed, "", 0, 10},
    {"PlantLin", kCompany, "CCODPLAN C3 CREF C18 NCANTIDAD N10.3", kMaster, "", 500, 10},
    {"PlantCli", kCompany, "CCODPLAN C3 CCODCLI C6", kMaster, "", 500, 5},
    {"PlantCom", kCompany, "CCODPLAN C3 CTEXTO C60", kMaster, "", 200, 4},
    {"PlantAtp", kCompany, "CCODPLAN C3 CCODCLI C6 CREF C18 CPROP1 C5 CPROP2 C5 NPRECIO N14.4", kMaster, "", 1000, 5},
    {"Atipicas", kCompany,
     "CCLAVEC C1 CCODCLI C6 CCLAVEA C1 CREF C18 CPROP1 C5 CPROP2 C5 CCODDIV C3 NPRECIO N14.4 NDTO N5.2",
     kMaster, "", 5000, 8},
    {"SubClien", kCompany, "CCLAVE C1 CCODCLI C6 CCODDIV C3 CSUBCTA C12", kMaster, "", 2000, 5},
    {"Rutas", kCompany, "CODRUTA C3 NOMRUTA C30", kFixed, "", 0, 5},
    {"ExpCli", kCompany, "CODRUTA C3 CODIGO C6 CNOMCOM C40 NORDVISITA N5", kMaster, "", 3000, 8},
    {"ExpArt", kCompany, "CODRUTA C3 CODIGO C18 CDETALLE C40", kMaster, "", 5000, 8},
    {"ExpPed", kCompany, "CODRUTA C3 NNUMPED N7 CCODCLI C6 DFECHA D", kMaster, "", 2000, 5},
    {"Inven", kCompany, "CCODINVEN C3 CNOMINVEN C30 DFECHA D", kFixed, "", 0, 4},
    {"ExpFam", kCompany, "CODRUTA C3 CODIGO C5 CNOMFAM C30", kFixed, "", 0, 20},

    // ---- documents ---------------------------------------------------------------------------
    {"PedProT", kCompany,
     "NNUMPED N7 CCODPRO C6 DFECPED D CCODDIV C3 NVALEURO N16.6 NDTOESP N5.2 NDPP N5.2 LRECIBIDO L",
     kDocument, "", 2000, 4},
    {"PedProL", kCompany, "NNUMPED N7 CREF C18 CDETALLE C40 NCANPED N12.3 NCANENT N12.3 NPREUNIT N14.4 NDTO N5.2",
     kLines, "PedProT", 20000, 10},
    {"PedProC", kCompany, "NNUMPED N7 NLINEA N3 CTEXTO C60", kLines, "PedProT", 1000, 2},
    {"AlbProT", kCompany,
     "NNUMALB N7 CCODPRO C6 SUALBARAN C15 DFECALB D CCODDIV C3 NVALEURO N16.6 NVALDIV N16.6 LFACTURADO L",
     kDocument, "", 5000, 4},
    {"AlbProL", kCompany, "NNUMALB N7 CREF C18 CDETALLE C40 NCANENT N12.3 NPREDIV N14.4 NDTO N5.2 NDTOLIN N12.2",
     kLines, "AlbProT", 50000, 10},
    {"AlbProC", kCompany, "NNUMALB N7 NLINEA N3 CTEXTO C60", kLines, "AlbProT", 2000, 2},
    {"PedCliT", kCompany, "NNUMPED N7 CCODCLI C6 CCODAGE C3 DFECPED D CCODDIV C3 NVALEURO N16.6", kDocument, "", 10000, 4},
    {"PedCliL", kCompany, "NNUMPED N7 CREF C18 CDETALLE C40 NCANPED N12.3 NCANENT N12.3 NPREUNIT N14.4 NDTO N5.2",
     kLines, "PedCliT", 50000, 10},
    {"PedCliC", kCompany, "NNUMPED N7 NLINEA N3 CTEXTO C60", kLines, "PedCliT", 3000, 2},
    {"IPedCliT", kCompany, "NNUMPED N7 CCODCLI C6 DFECPED D", kDocument, "", 1000, 3},
    {"IPedCliL", kCompany, "NNUMPED N7 CREF C18 NCANPED N12.3", kLines, "IPedCliT", 5000, 6},
    {"IPedCliC", kCompany, "NNUMPED N7 CTEXTO C60", kLines, "IPedCliT", 500, 2},
    {"AlbCliT", kCompany,
     "NNUMALB N7 CCODCLI C6 CCODAGE C3 DFECALB D LFACTURADO L CCODDIV C3 NVALEURO N16.6 NVALDIV N16.6 "
     "NDTOESP N5.2 NDPP N5.2 NPORTES N12.2",
     kDocument, "", 30000, 6},
    {"AlbCliL", kCompany,
     "NNUMALB N7 CREF C18 CDETALLE C40 NCANENT N12.3 NPREUNIT N14.4 NDTO N5.2 NDTOLIN N12.2 NIVA N5.2",
     kLines, "AlbCliT", 150000, 14},
    {"AlbCliC", kCompany, "NNUMALB N7 NLINEA N3 CTEXTO C60", kLines, "AlbCliT", 5000, 2},
    {"FacCliT", kCompany,
     "CSERIE C1 NNUMFAC N7 CCODCLI C6 CCODAGE C3 DFECFAC D NTIPOFAC N1 CCODDIV C3 NVALEURO N16.6 NVALDIV N16.6 "
     "NDTOESP N5.2 NDPP N5.2 NPORTES N12.2 NIVAPORTES N5.2 LIVAINCL L NTIPOIVA N1 LRECARGO L NIRPF N5.2 "
     "NPORCIVA N5.2 NRECFINANC N5.2 NTRECFIN N1 CCODPAGO C2",
     kDocument, "", 30000, 6},
    {"FacCliL", kCompany,
     "CSERIE C1 NNUMFAC N7 CREF C18 CCODAGE C3 CDETALLE C40 NCANENT N12.3 NPREUNIT N14.4 NDTO N5.2 NDTOLIN N12.2 "
     "NIVA N5.2 LSUPLIDOS L",
     kLines, "FacCliT", 150000, 14},
    {"FacCliC", kCompany, "CSERIE C1 NNUMFAC N7 NLINEA N3 CTEXTO C60", kLines, "FacCliT", 5000, 2},
    {"FacCliD", kCompany, "CSERIE C1 NNUMFAC N7 CDIRECCION C40 CPOBLACION C30", kLines, "FacCliT", 3000, 2},
    {"FacProT", kCompany,
     "NNUMFAC N7 CSERIE C1 CCODPRO C6 DFECFAC D NTIPOFAC N1 CCODDIV C3 NVALEURO N16.6 NVALDIV N16.6 NDTOESP N5.2 "
     "NDPP N5.2 SUFACTURA C15",
     kDocument, "", 3000, 4},
    {"FacProL", kCompany,
     "NNUMFAC N7 CSERIE C1 CREF C18 CDETALLE C40 NCANENT N12.3 NPREUNIT N14.4 NDTO N5.2 NDTOLIN N12.2 NIVA N5.2 "
     "LSUPLIDOS L",
     kLines, "FacProT", 30000, 10},
    {"FacProC", kCompany, "NNUMFAC N7 NLINEA N3 CTEXTO C60", kLines, "FacProT", 1000, 2},
    {"Recibos", kCompany,
     "CSERIE C1 NNUMFAC N7 CCONTADOR C2 NNUMREM N7 DFECVCTO D CCODCLI C6 DFECCIERRE D NCONTADOR N1 NIMPORTE N14.2 "
     "NESTADO N1 CCODDIV C3 NVALEURO N16.6 NVALDIV N16.6",
     kLines, "FacCliT", 40000, 8},
    {"RecibosP", kCompany,
     "CSERIE C1 NNUMFAC N7 CCONTADOR C2 NNUMREM N7 DFECVCTO D CCODPRO C6 DFECCIERRE D NCONTADOR N1 NIMPORTE N14.2 "
     "NESTADO N1 CCODDIV C3 NVALEURO N16.6",
     kLines, "FacProT", 5000, 4},
    {"Agrupar", kCompany, "CMATRIZ C10 CRECIBO C10 NIMPORTE N14.2", kMaster, "", 2000, 4},
    {"AgruparP", kCompany, "CMATRIZ C10 CRECIBO C10 NIMPORTE N14.2", kMaster, "", 500, 2},
    {"Remesas", kCompany, "NNUMREM N7 NTRANS N6 DFECHA D CCTAREM C3 NIMPORTE N14.2", kDocument, "", 1000, 3},
    {"ConfRemT", kCompany, "CCODIGO C3 CDESCRIP C30", kFixed, "", 0, 3},
    {"ConfRemL", kCompany, "CCODIGO C3 NORDEN N2 CCAMPO C10 NLONGITUD N3", kFixed, "", 0, 24},
    {"TicketT", kCompany, "CSERIE C1 NNUMTICKET N9 NESTADO N1 CCODCLI C6 DFECHA D NDTO N5.2 NTOTAL N14.2", kDocument, "",
     5000, 4},
    {"TicketL", kCompany,
     "CSERIE C1 NNUMTICKET N9 CCODEMP C3 CREF C18 NCANT N12.3 NPREUNIT N14.4 NDTO N5.2 NDTOLIN N12.2 NIVA N5.2",
     kLines, "TicketT", 20000, 8},
    {"TicketD", kCompany, "CSERIE C1 NNUMTICKET N9 CTEXTO C40", kLines, "TicketT", 2000, 2},
    {"TicketC", kCompany, "CSERIE C1 NNUMTICKET N9 NIMPORTE N14.2", kLines, "TicketT", 5000, 2},
    {"HTicketT", kCompany,
     "CSERIE C1 NNUMTICKET N9 NESTADO N1 CCODCLI C6 DFECHA D LPAGADO L DFECCIERRE D NCONTADOR N1 NDTO N5.2 NTOTAL N14.2",
     kDocument, "", 50000, 6},
    {"HTicketL", kCompany,
     "CSERIE C1 NNUMTICKET N9 CCODEMP C3 CREF C18 NCANT N12.3 NPREUNIT N14.4 NDTO N5.2 NDTOLIN N12.2 NIVA N5.2",
     kLines, "HTicketT", 170000, 14},
    {"HTicketD", kCompany, "CSERIE C1 NNUMTICKET N9 CTEXTO C40", kLines, "HTicketT", 5000, 2},
    {"HTicketC", kCompany, "CSERIE C1 NNUMTICKET N9 NIMPORTE N14.2", kLines, "HTicketT", 50000, 4},
    {"LiquidT", kCompany, "NNUMLIQU N7 CCODAGE C3 DFECHA D NIMPORTE N14.2", kDocument, "", 500, 3},
    {"LiquidL", kCompany, "NNUMLIQU N7 CSERIE C1 NNUMFAC N7 NIMPORTE N14.2", kLines, "LiquidT", 5000, 4},
    {"LiquidC", kCompany, "NNUMLIQU N7 CTEXTO C60", kLines, "LiquidT", 200, 2},
    {"ObraT", kCompany, "NNUMPARTE N7 DFECHA D CCODEMP C3 CCODCLI C6", kDocument, "", 1000, 3},
    {"ObraL", kCompany, "NNUMPARTE N7 NNUMORDEN N7 CREF C18 NCANTIDAD N10.3 NHORAS N6.2", kLines, "ObraT", 5000, 4},
    {"CabProd", kCompany, "NNUMORDEN N7 CREF C18 DFECCIERRE D LCERRADA L NCANTIDAD N12.3 DFECHA D",
     kDocument, "", 1500, 4},
    {"DetProd", kCompany, "NNUMORDEN N7 CREF C18 NCANTIDAD N12.3", kLines, "CabProd", 5000, 4},
    {"LinProd", kCompany, "NNUMORDEN N7 CREFPRIMA C18 NCANTIDAD N12.3", kLines, "CabProd", 5000, 4},
    {"ComProd", kCompany, "NNUMORDEN N7 CTEXTO C60", kLines, "CabProd", 500, 2},
    {"PagDev", kCompany,
     "CSERIE C1 NNUMFAC N7 CCONTADOR C2 CCODCLI C6 NNUMREM N7 CCOMPENSA C10 NIMPORTE N14.2 DFECHA D",
     kLines, "FacCliT", 10000, 4},
    {"PagDevP", kCompany,
     "CSERIE C1 NNUMFAC N7 CCONTADOR C2 CCODPRO C6 NNUMREM N7 CCOMPENSA C10 NIMPORTE N14.2 DFECHA D",
     kLines, "FacProT", 2000, 2},
    {"HistMovi", kCompany, "CPRODUCTO C18 CALMACEN C3 DFECHA D NCANTIDAD N12.3 CTIPO C2 NNUMDOC N9",
     kMaster, "", 100000, 20},
    {"PreCliT", kCompany, "NNUMPRE N7 CCODCLI C6 NNUMPED N7 CCODAGE C3 DFECPRE D", kDocument, "", 3000, 3},
    {"PreCliL", kCompany, "NNUMPRE N7 CREF C18 NCANTIDAD N12.3 NPREUNIT N14.4", kLines, "PreCliT", 12000, 6},
    {"PreCliC", kCompany, "NNUMPRE N7 CTEXTO C60", kLines, "PreCliT", 1000, 2},
    {"PreCliD", kCompany, "NNUMPRE N7 CDIRECCION C40", kLines, "PreCliT", 1000, 2},
    {"Cierre", kCompany, "DFECHA D NCONTADOR N1 NIMPORTE N14.2", kMaster, "", 1000, 6},
    {"CierreCa", kCompany, "CCODCAJA C3 DFECHA D NCONTADOR N1 NIMPORTE N14.2", kMaster, "", 2000, 6},
    {"Tempdia", kCompany, "ASIEN N6 FECHA D CSUBCTA C12 CCONCEPTO C40 NDEBE N14.2 NHABER N14.2", kMaster, "", 20000, 10},
    {"Anexo", kCompany, "TRANS N6 BANCO C4 CUADERNO C2 TIPOOPERA C2 ESTADO C1 FICHEROCSB C40 NIMPORTE N14.2",
     kMaster, "", 2000, 4},
    {"Huecos", kCompany, "CTIPODOCU C2 NNUMERO N9 CSERIE C1", kFixed, "", 0, 30},
};

bool SameName(std::string_view a, std::string_view b) {
  const xb::CodePage& cp = xb::CodePageEn();
  return xb::Upper(cp, a) == xb::Upper(cp, b);
}

}  // namespace

std::span<const TableSchema> Schemas() { return kSchemas; }

const TableSchema* FindSchema(std::string_view table) {
  for (const TableSchema& s : kSchemas)
    if (SameName(s.table, table)) return &s;
  return nullptr;
}

std::vector<xb::rdd::dbf::FieldSpec> Structure(const TableSchema& schema) {
  std::vector<xb::rdd::dbf::FieldSpec> out;
  std::string_view rest = schema.fields;
  auto word = [&rest]() {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    const std::size_t end = rest.find(' ');
    std::string_view w = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    return w;
  };
  for (;;) {
    const std::string_view name = word();
    if (name.empty()) break;
    const std::string_view type = word();
    xb::rdd::dbf::FieldSpec f;
    f.name = std::string(name);
    f.type = type.empty() ? 'C' : type.front();
    const std::string size(type.empty() ? std::string_view() : type.substr(1));
    f.length = std::atoi(size.c_str());
    if (const std::size_t dot = size.find('.'); dot != std::string::npos) f.decimals = std::atoi(size.c_str() + dot + 1);
    out.push_back(std::move(f));
  }
  return out;
}

}  // namespace app
