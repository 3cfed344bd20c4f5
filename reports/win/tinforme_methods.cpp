#include "reports/win/tinforme_methods.h"

#include "reports/tinforme_object.h"
#include "reports/win/column_dialogs.h"
#include "reports/win/report_dialog.h"
#include "reports/win/report_list.h"
#include "reports/win/report_tree.h"
#include "reports/win/tbrwdataqz.h"
#include "runtime/codepage.h"
#include "runtime/lib/strings.h"

namespace reports {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

std::string Code(Args& a, int n) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(a.Str(n))); }

// A method over one report code (its first argument) answering whether it did its work; the
// dictionary open for the call.
void OnReport(const char* message, bool (*fn)(const std::string&)) {
  AddTInformeMethod(message, [fn](Object&, Args& a) {
    InformeDictionary dict;
    return Value::Logical(dict.ok() && fn(Code(a, 1)));
  });
}

}  // namespace

void InstallTInformeMethods() {
  // DoInforme( nAction, cInforme, nAdd ): 1 add (nAdd 1 a report, 2 a subcategory, 3 a
  // category; none: asked), 2 modify, 3 delete, 4 columns, 5 run, 6 duplicate.
  AddTInformeMethod("DOINFORME", [](Object&, Args& a) {
    InformeDictionary dict;
    const int action = static_cast<int>(a.Int(1));
    if (!dict.ok() || action < 1 || action > 6) return Value::Logical(false);
    const std::int64_t add = a.Int(3);
    const AddChoice choice = add >= 1 && add <= 3 ? static_cast<AddChoice>(add) : AddChoice{};
    return Value::Logical(DoInforme(static_cast<InformeAction>(action), Code(a, 2), choice));
  });
  // MngInformes( lEdit, cInforme, cCategoria, cSubCat )
  AddTInformeMethod("MNGINFORMES", [](Object&, Args& a) {
    InformeDictionary dict;
    return Value::Logical(dict.ok() && MngInformes(a.Log(1), Code(a, 2), Code(a, 3), Code(a, 4)));
  });
  OnReport("DUPLICATEINFORME", [](const std::string& code) { return DuplicateInformeDialog(code); });
  OnReport("RELINFORME", [](const std::string& code) { return RelInforme(code); });
  OnReport("COLUMNAS", [](const std::string& code) {
    Columnas(code);
    return true;
  });
  OnReport("ADDCOLUMNA", [](const std::string& code) { return AddColumna(code); });
  OnReport("CALCCOLUMNA", [](const std::string& code) { return CalcColumna(code); });
  OnReport("DOPREVIEW", [](const std::string& code) { return PreviewColumnas(code); });
  // EditColumna( cInforme, nIdCol )
  AddTInformeMethod("EDITCOLUMNA", [](Object&, Args& a) {
    InformeDictionary dict;
    return Value::Logical(dict.ok() && EditColumna(Code(a, 1), static_cast<int>(a.Int(2))));
  });
  OnReport("DOGRAFICO", [](const std::string& code) { return DoGrafico(code); });
  AddTInformeMethod("RESTAURAINF", [](Object&, Args&) { return Value::Logical(RestauraInfTree()); });
  // NewKeyChar( nKey ): a character for the open tree; New2KeyChar( nKey ): for the report
  // list. True when it ran something.
  AddTInformeMethod("NEWKEYCHAR", [](Object&, Args& a) { return Value::Logical(OpenTreeKey(static_cast<int>(a.Int(1)))); });
  AddTInformeMethod("NEW2KEYCHAR", [](Object&, Args& a) {
    TBrwDataQZ* list = ReportList();
    return Value::Logical(list != nullptr && list->BrowseKeys(static_cast<int>(a.Int(1))));
  });
  AddTInformeMethod("END", [](Object&, Args&) {
    if (!EndOpenTree())
      if (TBrwDataQZ* list = ReportList()) list->End();
    return Value();
  });
}

}  // namespace reports
