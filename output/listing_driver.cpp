#include "output/listing_driver.h"

#include <windows.h>

#include <array>
#include <climits>
#include <cstdio>
#include <exception>
#include <memory>

#include "data/program_settings.h"
#include "output/document_headers.h"
#include "output/html_listing.h"
#include "output/listing_file.h"
#include "output/printer_table.h"
#include "output/tprinter2.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/operators.h"
#include "services/dialog_helpers.h"
#include "services/table_helpers.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/tget.h"
#include "ui/core/msg_box.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

struct DriverState {
  int destination = 0;
  Value line_block;
  Value line_ref = Value::NewRef(Value::Integer(0));
  Value page_ref = Value::NewRef(Value::Integer(0));
  Value for_block;
  bool in_footer = false;
  bool group_footer = false;
  bool skip = false;
  bool aborted = false;
  int spool = 0;
  int foot_lines = 0;
  int margin = 0;
  xb::Ref<TFileC> file;
  int file_row = 0, file_col = 0;
  ui::DialogRef progress;
  bool progress_file = false;
  DWORD start = 0;
  DWORD shown_second = 0;
  SpoolerFilter filter;
};

DriverState& S() {
  static DriverState state;
  return state;
}

int Spool(const char* call, int result) { return S().filter ? S().filter(call, result) : result; }

Value Fire(int event) {
  if (S().line_block.IsNil()) return Value();
  const std::array<Value, 3> args = {Value::Integer(event), S().line_ref, S().page_ref};
  return xb::EvalValue(S().line_block, args);
}

bool EvalL(const Value& block, bool def) {
  if (block.IsNil()) return def;
  const Value v = xb::EvalValue(block, {});
  return v.IsLogical() ? v.AsLogical() : def;
}
Value EvalV(const Value& block) { return block.IsNil() ? Value() : xb::EvalValue(block, {}); }

bool Eof() { return xb::CallFunction("EOF").AsLogical(); }
void Skip(int n = 1) { xb::CallFunction("DBSKIP", {Value::Integer(n)}); }
std::int64_t RecNo() { return xb::CallFunction("RECNO").AsInt(); }
void GoTo(std::int64_t n) { xb::CallFunction("DBGOTO", {Value::Integer(n)}); }
void SelectAlias(const std::string& alias) {
  if (!alias.empty()) xb::CallFunction("DBSELECTAREA", {Value::String(alias)});
}
bool Same(const Value& a, const Value& b) {
  if (a.IsNil() || b.IsNil()) return a.IsNil() && b.IsNil();
  return xb::OpExactEqual(a, b).AsLogical();
}

void SetPage(int page) { S().page_ref.AsRefCell()->value = Value::Integer(page); }

Value Window() { return xb::IsFunctionRegistered("WLIST") ? xb::CallFunction("WLIST") : Value(); }

void SendWindow(std::string_view message, std::initializer_list<Value> args = {}) {
  const Value window = Window();
  if (window.IsObject()) xb::Send(window, message, args);
}

void Refresh() { ui::SysRefresh(); }

HWND MainWindow() { return ui::GetWndApp(); }

// The file destination's writer: moves to the row, a new page when the row is above the one
// written (four CR LF, rows from 0 again), then to the column with spaces.
void FileWrite(const std::string& text) {
  if (S().file) S().file->nWrite(Value::String(text));
}

void FileMoveTo(int row, int col) {
  if (row < S().file_row) {
    FileWrite("\r\n\r\n\r\n\r\n");
    S().file_row = 0;
    S().file_col = 0;
  }
  while (S().file_row < row) {
    FileWrite("\r\n");
    ++S().file_row;
    S().file_col = 0;
  }
  if (col > S().file_col) {
    FileWrite(std::string(static_cast<std::size_t>(col - S().file_col), ' '));
    S().file_col = col;
  }
}

// A page ended and the next started in the middle of a record (SAYLISTADO on a printer).
bool BreakPage() {
  xb::Ref<TPrinter2> prn = Impresora();
  const int type = prn->nTipoFont;
  const bool bold = prn->lBold;
  if (S().foot_lines > 0) {
    S().in_footer = true;
    Fire(kPageFooter);
    S().in_footer = false;
  }
  if (IsPrinterDestination(S().destination)) {
    int result = Spool("EndPage", Print2Fp());
    if (result >= 0) result = Spool("StartPage", Print2Cp());
    if (result < 0) {
      S().spool = result;
      ErrorListado(result);
      return false;
    }
  }
  SetPage(nPaginaL() + 1);
  DlgListar(3, {}, {}, nPaginaL());
  SetLineaL(0);
  if (S().group_footer) {
    const std::int64_t record = RecNo();
    Skip(-1);
    if (!EvalL(S().for_block, true)) Skip(-1);
    Fire(kPageHeader);
    GoTo(record);
    S().skip = true;
  } else {
    Fire(kPageHeader);
  }
  if (type >= 4) {
    prn->ActivarFuente(type);
  } else {
    prn->lBold = bold;
    prn->ActivarFuente(type == 0 ? 1 : type);
  }
  return true;
}

std::string Elapsed(DWORD ms) {
  char text[16];
  const unsigned seconds = static_cast<unsigned>(ms / 1000);
  std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60 % 100, seconds % 60);
  return text;
}

// Runs its cleanup when the walk is left by an exception (a run-time error, a BREAK); the
// normal end of the walk does its own.
template <class Cleanup>
class WalkGuard {
 public:
  explicit WalkGuard(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
  ~WalkGuard() {
    if (std::uncaught_exceptions() <= exceptions_) return;
    try {
      cleanup_();
    } catch (...) {
    }
  }
  WalkGuard(const WalkGuard&) = delete;
  WalkGuard& operator=(const WalkGuard&) = delete;
  void Dismiss() { exceptions_ = INT_MAX; }

 private:
  Cleanup cleanup_;
  int exceptions_ = std::uncaught_exceptions();
};

void WalkToFile(const WalkParams& p) {
  S().file_row = 0;
  S().file_col = 0;
  S().for_block = p.for_;
  SetPage(0);
  SetLineaL(0);
  if (HWND main = MainWindow()) ::EnableWindow(main, FALSE);
  DlgListar(0, p.title, S().file ? S().file->cFileName : std::string(), 0);
  WalkGuard guard([] {
    DriverState& s = S();
    s.aborted = false;
    s.group_footer = false;
    if (HWND main = MainWindow()) ::EnableWindow(main, TRUE);
    DlgListar(2);
    if (s.file) s.file->Close();
    s.file = nullptr;
  });
  bool first = true;
  Value key;
  while (!Eof() && !EvalL(p.while_, false) && !S().aborted) {
    if (EvalL(p.for_, true)) {
      const Value now = EvalV(p.group);
      if (first) key = now;
      const bool changed = !first && !Same(now, key);
      first = false;
      if (nPaginaL() == 0 || changed) {
        if (changed) {
          S().group_footer = true;
          Fire(kGroupFooter);
          S().group_footer = false;
        }
        SetPage(nPaginaL() + 1);
        SetLineaL(0);
        Fire(kPageHeader);
        key = now;
      }
      Fire(kDetail);
      SetLineaL(nLineaL() + 1);
    }
    Skip();
    DlgListar(1);
    Refresh();
  }
  if (!S().aborted) {
    S().group_footer = true;
    Fire(kGroupFooter);
    S().group_footer = false;
    Fire(kEnd);
  }
  S().aborted = false;
  if (HWND main = MainWindow()) {
    ::EnableWindow(main, TRUE);
    ::SetFocus(main);
  }
  DlgListar(2);
  if (S().file) S().file->Close();
  S().file = nullptr;
  guard.Dismiss();
  EvalV(p.end);
  EndOfListingHook();
}

}  // namespace

// ---- the state ----------------------------------------------------------------------------------------

int nDestinoListado() { return S().destination; }
int nDestinoListado(int destination) { return S().destination = destination; }
bool IsPrinterDestination(int d) { return d == kMainPrinter || d == kDialogPrinter; }
bool IsHtmlDestination(int d) { return d == kHtml || d == kHtmlMail; }
int nPaginaL() { return static_cast<int>(S().page_ref.Deref().AsInt()); }
void SetPaginaL(int page) { SetPage(page); }
int nLineaL() { return static_cast<int>(S().line_ref.Deref().AsInt()); }
void SetLineaL(int line) { S().line_ref.AsRefCell()->value = Value::Integer(line); }
int nMargenImp() { return S().margin; }
int nMargenImp(int margin) { return S().margin = margin; }
bool lAbortado() { return S().aborted; }
void Abortar(bool on) { S().aborted = on; }
void SetSpoolerFilter(SpoolerFilter filter) { S().filter = std::move(filter); }
Value ListingLineRef() { return S().line_ref; }
Value ListingPageRef() { return S().page_ref; }
void SetListingBlock(const Value& block) { S().line_block = block; }

std::string ListingText(const Value& value, const std::string& picture) {
  if (!picture.empty()) {
    const Value text = xb::CallFunction("TRANSFORM", {value, Value::String(picture)});
    return text.IsString() ? std::string(text.AsString()) : std::string();
  }
  if (value.IsDate()) return std::string(xb::CallFunction("DTOC", {value}).AsString());
  if (value.IsLogical()) return value.AsLogical() ? "T" : "F";
  if (value.IsString()) return std::string(value.AsString());
  if (value.IsNumber()) return std::string(xb::CallFunction("STR", {value}).AsString());
  return "Error de tipo";
}

void EndOfListingHook() {
  if (xb::IsFunctionRegistered("WL_ENDHOOK")) xb::CallFunction("WL_ENDHOOK");
}

// ---- messages and the progress dialog -------------------------------------------------------------------

void ErrorListado(int code) {
  static const char* const kTexts[] = {"Error General", "Error por interrupcion del usuario", "Trabajo Cancelado",
                                       "Espacio en disco insuficiente", "Memoria insuficiente"};
  const std::string text = code <= -1 && code >= -5 ? kTexts[-code - 1] : "";
  ui::MsgStop(Value::String(text), "ERROR DE LISTADO");
}

void DlgListar(int state, const std::string& title, const std::string& destination, int page) {
  DriverState& s = S();
  if (state == 0) {
    if (s.progress) DlgListar(2);
    s.progress_file = nDestinoListado() == kTextFile;
    ui::DialogRef dialog = svc::ResourceDialog(Value::Integer(20044), std::nullopt, 0, {});
    svc::Label(dialog, 101, title);
    svc::Label(dialog, 102, s.progress_file ? "--" : "1");
    svc::Label(dialog, 103, "00:00");
    svc::Label(dialog, 104, destination);
    svc::Button(dialog, 551, [] { Abortar(true); });
    dialog->Activate({.centered = true, .modal = false});
    s.progress = dialog;
    if (HWND main = MainWindow()) ::EnableWindow(main, FALSE);
    s.start = ::GetTickCount();
    s.shown_second = 0;
    return;
  }
  if (!s.progress || s.progress->hWnd == nullptr) return;
  HWND hwnd = s.progress->hWnd;
  switch (state) {
    case 1: {
      const DWORD second = (::GetTickCount() - s.start) / 1000;
      if (second != s.shown_second) {
        s.shown_second = second;
        ::SetDlgItemTextA(hwnd, 103, Elapsed(second * 1000).c_str());
      }
      break;
    }
    case 2:
      if (HWND main = MainWindow()) ::EnableWindow(main, TRUE);
      s.progress = nullptr;
      ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
      if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
      if (HWND main = MainWindow()) ::SetFocus(main);
      break;
    case 3:
      if (!s.progress_file) ::SetDlgItemTextA(hwnd, 102, std::to_string(page).c_str());
      break;
    default:
      break;
  }
}

// ---- printing items --------------------------------------------------------------------------------------

void SayListado(const ListingItem& item) {
  DriverState& s = S();
  int row = item.row.value_or(nLineaL());
  const int destination = s.destination;
  if (IsPrinterDestination(destination) || IsHtmlDestination(destination)) {
    xb::Ref<TPrinter2> prn = Impresora();
    if (!prn || !prn->Ok()) return;
    if (!s.in_footer) {
      SetLineaL(row);
      if (row > prn->nLineasPagina) {
        if (!BreakPage()) return;
        row = nLineaL();
      }
    }
    TPrinter2::SayOptions o;
    o.picture = item.picture;
    o.compressed = item.compressed;
    o.expanded = item.expanded;
    o.bold = item.bold;
    o.right = item.right;
    o.centre = item.centre;
    o.pixels = item.pixels;
    o.mm = item.mm;
    o.text = item.text;
    o.back = item.back;
    prn->SayPrinter(row, item.col + s.margin, item.value, o);
  } else if (destination == kWindow) {
    auto colour = [](const std::optional<COLORREF>& c) { return c ? Value::Integer(*c) : Value(); };
    SendWindow("SAYVENTANA",
               {Value::Integer(row), Value::Integer(item.col), item.value, Value::String(item.picture),
                Value::Logical(item.compressed), Value::Logical(item.expanded), Value::Logical(item.bold),
                Value::Logical(item.right), Value::Logical(item.centre), Value(), Value(), colour(item.text),
                colour(item.back), Value::Logical(item.pixels), Value::Logical(item.mm)});
  } else if (destination == kTextFile) {
    SayFile(row, item.col, item.value, item.picture, item.right, item.centre);
  }
}

void SayFile(int row, int col, const Value& value, const std::string& picture, bool right, bool centre) {
  const std::string text = ListingText(value, picture);
  const int length = static_cast<int>(text.size());
  int start = col;
  if (right) start = col - length + 1;
  else if (centre) start = col - length / 2;
  FileMoveTo(row, std::max(start, 0));
  FileWrite(text);
  S().file_col += length;
}

void LineaFile(int row1, int col1, int row2, int col2) {
  if (row1 != row2 || col2 < col1) return;
  FileMoveTo(row1, std::max(col1, 0));
  FileWrite(std::string(static_cast<std::size_t>(col2 - col1 + 1), '-'));
  S().file_col += col2 - col1 + 1;
}

void LinListado(int row1, int col1, int row2, int col2, COLORREF colour, int width, int style) {
  const int destination = S().destination;
  if (IsPrinterDestination(destination) || IsHtmlDestination(destination)) {
    if (xb::Ref<TPrinter2> prn = Impresora())
      prn->Linea(row1, col1 + S().margin, row2, col2 + S().margin, colour, width, style);
  } else if (destination == kTextFile) {
    LineaFile(row1, col1, row2, col2);
  } else if (destination == kWindow) {
    SendWindow("LINEA", {Value::Integer(row1), Value::Integer(col1), Value::Integer(row2), Value::Integer(col2),
                         Value::Integer(colour), Value::Integer(width), Value::Integer(style)});
  }
}

// ---- the walks -----------------------------------------------------------------------------------------

void Listar2(const WalkParams& p) {
  DriverState& s = S();
  s.margin = p.margin;
  s.for_block = p.for_;
  const int destination = s.destination;
  const bool printer = IsPrinterDestination(destination);
  const std::int64_t start = RecNo();
  if (printer && Impresora() && Impresora()->Ok()) {
    if (p.landscape) Impresora()->SetOrientation(2, p.copies);
    else if (p.copies > 1) Impresora()->SetOrientation(1, p.copies);
  }
  xb::Ref<TPrinter2> prn = Impresora();
  if (!prn || !prn->Ok()) {
    GoTo(start);
    EvalV(p.end);
    return;
  }
  if (s.foot_lines > 0) prn->SetLinFootI(s.foot_lines);
  SetPage(0);
  SetLineaL(0);
  DlgListar(0, p.title, IsHtmlDestination(destination) ? "Generando listado..." : prn->cImpresora + ", " + prn->cPuerto, 1);
  s.spool = 0;
  WalkGuard guard([&] {
    s.group_footer = false;
    s.in_footer = false;
    if (printer) {
      if (s.spool >= 0) Print2Fp();
      Print2Ad();
    }
    s.aborted = false;
    DlgListar(2);
    if (prn->Ok()) {
      prn->SetLinFootI(0);
      prn->Normal();
    }
    s.margin = 0;
    if (IsHtmlDestination(destination)) EndHtmlListingDevice(prn);
  });
  if (printer) {
    s.spool = Spool("StartDoc", Print2Cd(p.title));
    if (s.spool >= 0) s.spool = Spool("StartPage", Print2Cp());
  }
  bool first = true;
  Value key;
  while (!Eof() && !EvalL(p.while_, false) && s.spool >= 0 && !s.aborted) {
    if (EvalL(p.for_, true)) {
      const Value now = EvalV(p.group);
      if (first) key = now;
      const bool changed = !first && !Same(now, key);
      first = false;
      if (nLineaL() > prn->nLineasPagina || nPaginaL() == 0 || changed) {
        if (changed) {
          s.group_footer = true;
          Fire(kGroupFooter);
          s.group_footer = false;
        }
        if (!(changed && !p.page_group)) {
          if (nPaginaL() > 0) {
            const PageRange& range = prn->aPages;
            const bool in_range = !range.range || (nPaginaL() >= range.from && nPaginaL() <= range.to);
            if (in_range && s.foot_lines > 0 && !changed) {
              s.in_footer = true;
              Fire(kPageFooter);
              s.in_footer = false;
              if (s.spool < -1) break;
            }
            if (printer) {
              s.spool = Spool("EndPage", Print2Fp());
              if (s.spool >= 0) s.spool = Spool("StartPage", Print2Cp());
              if (s.spool < 0) break;
            }
            DlgListar(3, {}, {}, nPaginaL() + 1);
          }
          SetPage(nPaginaL() + 1);
          SetLineaL(0);
          Fire(kPageHeader);
        } else {
          Fire(kGroupHeader);
          if (s.spool < -1) break;
          if (s.skip) s.skip = false;
          else SetLineaL(nLineaL() + 1);
        }
        key = now;
      }
      Fire(kDetail);
      SetLineaL(nLineaL() + 1);
    }
    Skip();
    DlgListar(1);
    Refresh();
  }
  if (!s.aborted && s.spool >= 0) {
    s.group_footer = true;
    Fire(kGroupFooter);
    s.group_footer = false;
    Fire(kEnd);
  }
  if (printer) {
    if (s.spool < 0) {
      ErrorListado(s.spool);
      Print2Ad();
    } else if (s.aborted) {
      s.aborted = false;
      Print2Fp();
      Print2Ad();
    } else {
      Print2Fp();
      Print2Fd();
    }
  }
  s.aborted = false;
  DlgListar(2);
  if (prn->Ok()) {
    prn->SetLinFootI(0);
    prn->Normal();
  }
  if (IsHtmlDestination(destination)) ActivateHtmlListingDevice(prn);
  guard.Dismiss();
  EvalV(p.end);
  if (!IsHtmlDestination(destination) && prn->Ok()) {
    prn->ResetearPapel();
    prn->aPages = PageRange{};
  }
  s.margin = 0;
  EndOfListingHook();
  if (IsHtmlDestination(destination)) EndHtmlListingDevice(prn);
}

void Listar2F(const WalkParams& p) {
  auto file = xb::MakeRef<TFileC>();
  TFileC::NewParams fp;
  fp.mode = 0;
  fp.filter = "Ficheros de texto|*.txt|Listados|*.lst;*.lis|Documentos|*.doc|Write|*.wri";
  fp.default_extension = "TXT";
  file->New(fp);
  if (!file->IsOpen()) {
    ChDirExe();
    EvalV(p.end);
    return;
  }
  S().file = file;
  WalkToFile(p);
}

void Listar2File(const WalkParams& p, const std::string& name) {
  auto file = xb::MakeRef<TFileC>();
  file->New({.file = name, .mode = 2});
  if (!file->IsOpen()) {
    EvalV(p.end);
    return;
  }
  S().file = file;
  WalkToFile(p);
}

// ---- the entry point -------------------------------------------------------------------------------------

void SelListar(ListingParams& p) {
  SelectAlias(p.alias);
  const std::int64_t start = RecNo();
  bool found = false;
  {
    HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    while (!Eof() && !EvalL(p.while_, false)) {
      if (EvalL(p.for_, true)) {
        found = true;
        break;
      }
      Skip();
    }
    ::SetCursor(previous);
  }
  GoTo(start);
  if (!found) {
    ui::MsgStop(Value::String("No hay datos con las condiciones pedidas"), "Proceso cancelado");
    EvalV(p.end);
    return;
  }
  const int mask = (p.printer ? kMainPrinter : 0) + (p.window ? kWindow : 0) + (p.file ? kTextFile : 0) +
                   (p.html ? kHtml : 0) + (p.sheet ? kSheet : 0) + (p.html_mail ? kHtmlMail : 0);
  DestinationChoice choice;
  choice.header = p.header;
  const int printer = SelDestino(mask, choice, false);
  p.header = choice.header;
  RunListing(p, choice, printer);
}

void RunListing(ListingParams& p, const DestinationChoice& choice, int printer, const std::string& file) {
  SelectAlias(p.alias);
  nDestinoListado(choice.destination);
  S().line_block = p.line;
  S().foot_lines = p.foot_lines;
  WalkParams w{.while_ = p.while_, .for_ = p.for_, .group = p.group, .title = p.title, .page_group = p.page_group,
               .alias = p.alias, .end = p.end, .margin = choice.margin, .landscape = p.landscape,
               .copies = choice.copies};
  switch (choice.destination) {
    case kWindow:
      if (xb::IsFunctionRegistered("WLISTNEW")) {
        const Value no_group = Value(xb::Block::Native([](Args&) { return Value::Logical(false); }));
        xb::CallFunction(
            "WLISTNEW",
            {p.line, Value::String(p.alias), Value::String(p.title), Value::Integer(p.win_foot_lines), p.clr_fore,
             p.clr_back, p.while_, p.group.IsNil() ? no_group : p.group, p.for_, p.end,
             Value::Integer(p.lines_per_record), Value::Logical(!p.group.IsNil()), Value::Logical(p.save_subtotals),
             p.dbl_click, p.help, Value::Logical(p.page_group), Value::String(p.header), Value::Logical(p.fonts),
             Value::Logical(p.window_to_printer), Value::Logical(p.landscape)});
      }
      break;
    case kTextFile:
      if (file.empty()) Listar2F(w);
      else Listar2File(w, file);
      break;
    case kMainPrinter:
    case kDialogPrinter:
      Print2New(choice.destination == kDialogPrinter, printer);
      if (!Impresora() || !Impresora()->Ok()) EvalV(p.end);
      else Listar2(w);
      break;
    case kHtml:
    case kHtmlMail: {
      xb::Ref<TPrinter2> device = NewHtmlListingDevice(p.title, p.landscape, printer, choice.destination);
      Impresora(device);
      if (device->Ok()) {
        Listar2(w);
      } else {
        EvalV(p.end);
        EndHtmlListingDevice(device);
      }
      break;
    }
    case kSheet:
      break;
    default:
      EvalV(p.end);
      break;
  }
  if (choice.destination != kWindow) nDestinoListado(0);
}

}  // namespace output
