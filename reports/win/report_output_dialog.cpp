#include "reports/win/report_output_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>

#include "reports/report_definitions.h"
#include "reports/tdictqz.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/resources.h"
#include "ui/core/msg_box.h"

namespace reports {
namespace {

enum : int {
  kCode = 101, kCategory = 102, kTitle = 103, kPrinter = 104,
  kToPrinter = 110, kToFile = 111, kToHtml = 112,
  kNormal = 120, kDraft = 121,
  kPreview = 130, kShadow = 131,
  kCopies = 140, kFile = 150, kBrowse = 151, kSetup = 152, kHelp = 3,
};

struct Context {
  StDestino* destino;
  std::string code, category, title, caption;
};

// The default printer as "name en port", or "No instalada".
std::string DefaultPrinter() {
  char device[512] = {};
  GetProfileStringA("windows", "device", "", device, sizeof device);
  std::string text(device);
  if (text.empty()) return "No instalada";
  const std::size_t first = text.find(',');
  const std::size_t second = first == std::string::npos ? first : text.find(',', first + 1);
  const std::string name = text.substr(0, first);
  const std::string port = second == std::string::npos ? std::string() : text.substr(second + 1);
  return port.empty() ? name : name + " en " + port;
}

// The description of a category code (the code itself when Categor does not have it).
std::string CategoryDescription(const std::string& category) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int c = areas.AreaOfAlias(TDictQZ::AliasOf("Categor"));
  if (c == 0) return category;
  xb::rdd::WorkArea& cat = *areas.Area(c);
  const std::uint32_t at = cat.recno();
  std::string name = category;
  for (cat.GoTop(); !cat.eof(); cat.Skip(1)) {
    const xb::Value code = cat.GetField(cat.FieldPos("CATEGORIA"));
    if (code.IsString() && xb::AllTrim(code.AsString()) == xb::AllTrim(category)) {
      const xb::Value d = cat.GetField(cat.FieldPos("DESCRIPC"));
      if (d.IsString()) name = std::string(xb::AllTrim(d.AsString()));
    }
  }
  if (at > 0) cat.GoTo(at);
  return name;
}

std::string CategoryName(const std::string& code) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int n = areas.AreaOfAlias(TDictQZ::AliasOf("Informes"));
  const int c = areas.AreaOfAlias(TDictQZ::AliasOf("Categor"));
  if (n == 0 || c == 0) return {};
  auto text = [](xb::rdd::WorkArea& a, const char* f) {
    const xb::Value v = a.GetField(a.FieldPos(f));
    return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
  };
  std::string category;
  xb::rdd::WorkArea& inf = *areas.Area(n);
  const std::uint32_t at = inf.recno();
  const int order = inf.controlling_order();
  inf.SetControllingOrder(0);
  for (inf.GoTop(); !inf.eof(); inf.Skip(1))
    if (text(inf, "INFORME") == code) category = text(inf, "CATEGORIA");
  inf.SetControllingOrder(order);
  if (at > 0) inf.GoTo(at);
  xb::rdd::WorkArea& cat = *areas.Area(c);
  std::string name;
  for (cat.GoTop(); !cat.eof(); cat.Skip(1))
    if (!category.empty() && text(cat, "CATEGORIA") == category) name = text(cat, "DESCRIPC");
  return name;
}

// Controls that depend on the destination: mode, copies and set-up only for the printer;
// the file only for a text file.
void Enable(HWND dlg) {
  const bool printer = IsDlgButtonChecked(dlg, kToPrinter) == BST_CHECKED;
  const bool file = IsDlgButtonChecked(dlg, kToFile) == BST_CHECKED;
  for (int id : {kNormal, kDraft, kCopies, kSetup}) EnableWindow(GetDlgItem(dlg, id), printer);
  for (int id : {kFile, kBrowse}) EnableWindow(GetDlgItem(dlg, id), file);
}

bool Accept(HWND dlg, StDestino& d) {
  const int destino = IsDlgButtonChecked(dlg, kToFile) == BST_CHECKED ? 2
                      : IsDlgButtonChecked(dlg, kToHtml) == BST_CHECKED ? 3 : 1;
  char buffer[512] = {};
  GetDlgItemTextA(dlg, kFile, buffer, sizeof buffer);
  const std::string file(xb::AllTrim(buffer));
  const int copies = static_cast<int>(GetDlgItemInt(dlg, kCopies, nullptr, FALSE));
  if (destino == 1 && copies < 1) {
    ui::MsgStop(xb::Value::String("El número de copias debe ser mayor que 0."), " Atención");
    return false;
  }
  if (destino == 2 && !lFichero(file)) return false;
  d.nDestino = destino;
  d.nModo = IsDlgButtonChecked(dlg, kDraft) == BST_CHECKED ? 2 : 1;
  d.nCopias = std::max(copies, 1);
  d.cFileDst = xb::PadR(file, 100);
  const bool normal_printer = destino == 1 && d.nModo == 1;
  d.lPreview = normal_printer && IsDlgButtonChecked(dlg, kPreview) == BST_CHECKED;
  d.lShadow = normal_printer && IsDlgButtonChecked(dlg, kShadow) == BST_CHECKED;
  if (destino == 3 && !d.lPreview) d.lPreview = true;
  d.lOk = true;
  return true;
}

INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<Context*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      c = reinterpret_cast<Context*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      const StDestino& d = *c->destino;
      if (!c->caption.empty()) SetWindowTextA(dlg, c->caption.c_str());
      SetDlgItemTextA(dlg, kCode, c->code.c_str());
      SetDlgItemTextA(dlg, kCategory, c->category.c_str());
      SetDlgItemTextA(dlg, kTitle, c->title.c_str());
      SetDlgItemTextA(dlg, kPrinter, DefaultPrinter().c_str());
      CheckRadioButton(dlg, kToPrinter, kToHtml, d.nDestino == 2 ? kToFile : d.nDestino == 3 ? kToHtml : kToPrinter);
      CheckRadioButton(dlg, kNormal, kDraft, d.nModo == 2 ? kDraft : kNormal);
      CheckDlgButton(dlg, kPreview, d.lPreview ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dlg, kShadow, d.lShadow ? BST_CHECKED : BST_UNCHECKED);
      SetDlgItemInt(dlg, kCopies, static_cast<UINT>(std::max(d.nCopias, 1)), FALSE);
      SendDlgItemMessageA(dlg, kCopies, EM_LIMITTEXT, 2, 0);
      SetDlgItemTextA(dlg, kFile, std::string(xb::AllTrim(d.cFileDst)).c_str());
      Enable(dlg);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kToPrinter:
        case kToFile:
        case kToHtml: Enable(dlg); return TRUE;
        case kBrowse: {
          char file[MAX_PATH] = {};
          GetDlgItemTextA(dlg, kFile, file, sizeof file);
          OPENFILENAMEA ofn{};
          ofn.lStructSize = sizeof ofn;
          ofn.hwndOwner = dlg;
          ofn.lpstrFilter = "Ficheros de texto (*.txt)\0*.txt\0";
          ofn.lpstrFile = file;
          ofn.nMaxFile = sizeof file;
          ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
          if (GetSaveFileNameA(&ofn)) SetDlgItemTextA(dlg, kFile, file);
          return TRUE;
        }
        case kSetup: {
          PRINTDLGA pd{};
          pd.lStructSize = sizeof pd;
          pd.hwndOwner = dlg;
          pd.Flags = PD_PRINTSETUP;
          PrintDlgA(&pd);
          if (pd.hDevMode) GlobalFree(pd.hDevMode);
          if (pd.hDevNames) GlobalFree(pd.hDevNames);
          SetDlgItemTextA(dlg, kPrinter, DefaultPrinter().c_str());
          return TRUE;
        }
        case kHelp: PostMessageA(dlg, WM_KEYDOWN, VK_F1, 0); return TRUE;
        case IDOK:
          if (Accept(dlg, *c->destino)) EndDialog(dlg, IDOK);
          return TRUE;
        case IDCANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
        default: break;
      }
      break;
    default: break;
  }
  return FALSE;
}

}  // namespace

bool SelDestino(StDestino& destino, const std::string& code, const std::string& title, const std::string& category,
                const std::string& caption) {
  // Default: the printer when one is installed, else a text file.
  if (!destino.lOk && DefaultPrinter() == "No instalada" && destino.nDestino == 1) destino.nDestino = 2;
  Context c{&destino, code, category.empty() ? CategoryName(code) : CategoryDescription(category), title, caption};
  HMODULE module = ui::CurrentResources();
  const INT_PTR answer = DialogBoxParamA(module, "TI_IMPRDOC_NEW", GetActiveWindow(), &Proc, reinterpret_cast<LPARAM>(&c));
  return answer == IDOK;
}

bool WideQuestion() {
  char text[512] = {}, title[128] = {};
  LoadStringA(ui::CurrentResources(), 22205, text, sizeof text);
  LoadStringA(ui::CurrentResources(), 22206, title, sizeof title);
  return ui::MsgYesNo(xb::Value::String(text), title);
}

void RegisterSelDestino() {
  // TI_SELDESTINO(cCodigo, cCategoria, cTitulo, cCaption): the choice as the structure
  // oStDestino (its lOk false when cancelled).
  static const xb::Class& cls = [] () -> const xb::Class& {
    xb::Class& c = xb::Class::Define("OSTDESTINO");
    c.Var("LOK", xb::Value::Logical(false));
    c.Var("NDESTINO", xb::Value::Integer(1));
    c.Var("LPREVIEW", xb::Value::Logical(true));
    c.Var("NMODO", xb::Value::Integer(1));
    c.Var("NCOPIAS", xb::Value::Integer(1));
    c.Var("CFILEDST", xb::Value::String(std::string(100, ' ')));
    c.Var("LSHADOW", xb::Value::Logical(false));
    return c;
  }();
  xb::RegisterFunction("TI_SELDESTINO", [](xb::Args& a) {
    StDestino d;
    d.cFileDst = std::string(100, ' ');
    d.lOk = SelDestino(d, std::string(xb::AllTrim(a.Str(1))), std::string(xb::AllTrim(a.Str(3))),
                       std::string(xb::AllTrim(a.Str(2))), std::string(a.Str(4)));
    const xb::Value st(cls.New());
    xb::Send(st, "_LOK", {xb::Value::Logical(d.lOk)});
    xb::Send(st, "_NDESTINO", {xb::Value::Integer(d.nDestino)});
    xb::Send(st, "_LPREVIEW", {xb::Value::Logical(d.lPreview)});
    xb::Send(st, "_NMODO", {xb::Value::Integer(d.nModo)});
    xb::Send(st, "_NCOPIAS", {xb::Value::Integer(d.nCopias)});
    xb::Send(st, "_CFILEDST", {xb::Value::String(d.cFileDst)});
    xb::Send(st, "_LSHADOW", {xb::Value::Logical(d.lShadow)});
    return st;
  });
}

}  // namespace reports
