// TINFORME, the report definitions as compiled text sees them: a TDICTQZ with the data of a
// report being edited and run (their initial values as the class declares them) and the
// methods that open the report list and the trees, run a report, delete or restore one and
// change its columns. The dialogs' methods (the report dialog, the column list ...) are
// added by the windowed part (AddTInformeMethod). A method that needs the dictionary opens
// it for the call when it is closed.
//
//   oInf := TInforme():New()
//   oInf:RunGenInforme( "VENTAS" )
//   oInf:ActivateArbol()
#pragma once

#include <string>
#include <string_view>

#include "reports/report_run.h"
#include "reports/tdictqz.h"
#include "runtime/object.h"

namespace reports {

class TInformeObject : public TDictQZ {
 public:
  TInformeObject();
  static const xb::Class& Cls();

  // The run behind RunGenInforme, RunInforme and RunDirectInforme; after each its report,
  // master, condition text and pages are copied to the object's data.
  TInforme run;

  // The object's DATA by name (xBase spelling, any case).
  xb::Value Get(std::string_view name);
  void Set(std::string_view name, const xb::Value& value);
  // The run's state copied to the data.
  void SyncRun();
};

// The dictionary open for one call: opened (in the known folder, else CPATHINFORME) when it
// is closed, closed again at the end; ok() is false when it could not be opened.
class InformeDictionary {
 public:
  InformeDictionary();
  ~InformeDictionary();
  InformeDictionary(const InformeDictionary&) = delete;
  InformeDictionary& operator=(const InformeDictionary&) = delete;
  bool ok() const;

 private:
  xb::Ref<TDictQZ> dict_;
};

// The class data of the report being edited: its columns' work fields (acColumnas),
// descriptions (acDesColum), types (acTipColum), printed flags (aImpColum), widths
// (aCndAncho) and decimals (aCndDecimal), filled from Columnas. Answers the number of columns.
int FillEditedColumns(std::string_view code);

// Adds (or replaces) a message of TINFORME.
void AddTInformeMethod(std::string_view message, xb::MethodFn fn);

// Registers the class TINFORME and its function.
void RegisterTInforme();

}  // namespace reports
