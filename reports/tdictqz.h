// TDictQZ: the report generator's data dictionary as an object. Its class data (the folder,
// the open flags, the browses, the aliases of the open tables) are shared by every object of
// the class. New creates or repairs the tables and makes their indexes; Activate opens them
// as one view and shows the maintenance window (through the hook the windowed part installs).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/array.h"
#include "runtime/object.h"

namespace reports {

class TDictQZ : public xb::Object {
 public:
  TDictQZ();
  static const xb::Class& Cls();

  // New(cPath, , lDebug): the folders made, the structures checked, the indexes made (forced
  // when a structure was created or changed). The selected area is kept.
  TDictQZ& New(const std::string& folder, bool debug = false);
  // Activate(cMode, ...): the tables opened (Informes and RelTab exclusively in the checking
  // modes "CHK", "CHKREL") as one view and the window shown unless `show` is false.
  bool Activate(const std::string& mode = "ID", bool show = true);
  // End: the window ended, the view closed, the dictionary marked closed; the aliases of a
  // dictionary that was open before this one's Activate are in aDbfs again.
  void End();
  void Reindex(bool force = false);
  // BuildFonts: aHTMLFonts from the Fonts table, one {"FNT_" + number, style} a font, the
  // face Arial when it is missing.
  void BuildFonts();
  // OpenTable: the described table `table` opened shared from its folder (the branch's or its
  // RUTA with EXACTA, else the company's) with its index, under `alias` (default its name);
  // the alias, or "" after the message "Tabla " + name + " no encontrada" for an unknown one.
  std::string OpenTable(const std::string& table, const std::string& alias = {});

  // The alias of an open dictionary table by name ("" when closed).
  static std::string AliasOf(std::string_view table);

  xb::Value oInforme, oWnd, nEntorno, nMnu2Option, oMainTree, lReload, aHTMLFonts;
  bool lAbierto = false;
  std::string cTitle;

  // Class data.
  static std::string& cPath();
  static std::string& cTempPath();
  static bool& lShowWindow();
  static bool& lDebug();
  static xb::Array& alOpen();
  static xb::Array& aoBrws();
  static xb::Array& aDbfs();

 protected:
  // For the classes derived from TDICTQZ.
  explicit TDictQZ(const xb::Class& cls);

 private:
  int view_ = 0;
  std::vector<std::string> outer_dbfs_;
};

// The window of an activated dictionary (installed by reports/win): shows it, and ends it;
// `method` runs a maintenance method sent from compiled text (its name in upper case:
// "TABLAS", "CAMPOS", "CABINFORMES", "ARBOL_INFORMES" ...).
struct DictionaryWindowHook {
  std::function<void(TDictQZ&)> show;
  std::function<void(TDictQZ&)> end;
  std::function<xb::Value(TDictQZ&, const std::string& method, xb::Args&)> method;
};

// The maintenance methods the window answers, as compiled text sends them.
const std::vector<std::string>& DictionaryWindowMethods();
void SetDictionaryWindowHook(DictionaryWindowHook hook);

// The 22 tables a dictionary opens, in the order of aDbfs.
const std::vector<std::string>& OpenedDictionaryTables();

// Registers TDICTQZ.
void RegisterTDictQZ();

}  // namespace reports
