// TQZWeb: the work table of an HTML export, its fonts and documents, and the writing of the
// page files and navigation pages.
#include "output/html_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <utility>

#include "data/program_settings.h"
#include "output/listing_state.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/panel_link.h"
#include "services/table_helpers.h"
#include "services/user_session.h"
#include "ui/controls/tmeter.h"
#include "ui/controls/tsay.h"
#include "ui/core/msg_box.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace output {
namespace {

using xb::Value;

xb::rdd::WorkAreas& Areas() { return xb::rdd::WorkAreas::Get(); }

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

std::string Digits(long long value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lld", width, value);
  return buffer;
}

std::string BaseName(const std::string& path) {
  const auto at = path.find_last_of("\\/:");
  return at == std::string::npos ? path : path.substr(at + 1);
}

bool WriteWhole(const std::string& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

bool IsFolder(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Erases a folder with everything in it.
void EraseTree(const std::string& folder) {
  const std::string base = WithSlash(folder);
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA((base + "*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) EraseTree(base + name);
      else ::DeleteFileA((base + name).c_str());
    } while (::FindNextFileA(h, &found));
    ::FindClose(h);
  }
  ::RemoveDirectoryA(folder.c_str());
}

// The progress box "Generando páginas...": a meter over the pages written.
class PageProgress {
 public:
  explicit PageProgress(int total) : total_(std::max(total, 1)) {
    dialog_ = xb::MakeRef<ui::TDialog>();
    ui::TDialog::NewParams p;
    p.style = DS_MODALFRAME | WS_POPUP | WS_BORDER | WS_CAPTION;
    p.caption = "Generando páginas...";
    p.font = svc::DefaultDialogFont();
    p.width = 200;
    p.height = 75;
    dialog_->New(p);
    meter_ = xb::MakeRef<ui::TMeter>();
    auto done = done_;
    meter_->New({.row = 12, .col = 8, .set_get = Value(xb::Block::Native([done](xb::Args& a) {
                   if (a.Count() > 0 && a.Arg(1).IsNumber()) *done = a.Num(1);
                   return Value::Number(*done);
                 })),
                 .total = static_cast<double>(total_), .parent = dialog_, .width = 84, .height = 10, .pixel = true});
    dialog_->Activate({.centered = true, .modal = false});
  }
  ~PageProgress() {
    if (dialog_ && dialog_->hWnd != nullptr && ::IsWindow(dialog_->hWnd)) dialog_->End();
  }
  void Step() {
    if (meter_ && meter_->hWnd != nullptr) meter_->Set(*done_ + 1);
  }

 private:
  int total_;
  std::shared_ptr<double> done_ = std::make_shared<double>(0);
  ui::DialogRef dialog_;
  xb::Ref<ui::TMeter> meter_;
};

// The last page of `document` in the selected work table, 0 when it has none: the last row before
// the next document in the table's order (document, page, row, column).
int LastPageOf(int document) {
  xb::CallFunction("DBSEEK", {xb::CallFunction("STR", {Value::Integer(document + 1), Value::Integer(5)}),
                              Value::Logical(true)});
  if (svc::Area().eof()) xb::CallFunction("DBGOBOTTOM");
  else svc::Area().Skip(-1);
  if (svc::Area().eof() || svc::Area().bof() || static_cast<int>(svc::FieldNumber("DOCUMENT")) != document) return 0;
  return static_cast<int>(svc::FieldNumber("PAGE"));
}

}  // namespace

// ---- structures --------------------------------------------------------------------------------

const std::vector<FieldSpec>& AStruQZWeb() {
  static const std::vector<FieldSpec> fields = {
      {"DOCUMENT", 'N', 16, 0},   {"PAGE", 'N', 16, 0},        {"TDATA", 'N', 2, 0},     {"DATA", 'C', 200, 0},
      {"ROW", 'N', 16, 6},        {"COL", 'N', 16, 6},         {"TOP", 'N', 16, 6},      {"LEFT", 'N', 16, 6},
      {"BOTTOM", 'N', 16, 6},     {"RIGHT", 'N', 16, 6},       {"HEIGHT", 'N', 16, 6},   {"WIDTH", 'N', 16, 6},
      {"ADJUST", 'C', 1, 0},      {"NFONT", 'N', 3, 0},        {"FONT", 'C', 100, 0},    {"FONTSIZE", 'N', 3, 0},
      {"BOLD", 'L', 1, 0},        {"ITALIC", 'L', 1, 0},       {"COLOR", 'N', 10, 0},    {"GROSOR", 'N', 3, 0},
      {"ESTILO", 'N', 3, 0},      {"FILL", 'L', 1, 0},         {"MAXLENGTH", 'N', 16, 6}, {"LINESPACING", 'N', 16, 6},
      {"CHARSPACING", 'N', 16, 6}, {"STRETCH", 'L', 1, 0},
  };
  return fields;
}

const std::vector<FieldSpec>& AStru2QZWeb() {
  static const std::vector<FieldSpec> fields = {
      {"PAGE", 'N', 5, 0},    {"ROW", 'N', 5, 0},     {"COL", 'N', 5, 0},      {"VALUE", 'C', 255, 0},
      {"CLASS", 'C', 15, 0},  {"ALIGN", 'C', 10, 0},  {"CLRTEXT", 'C', 10, 0}, {"CLRBACK", 'C', 10, 0},
  };
  return fields;
}

// ---- life --------------------------------------------------------------------------------------

TQZWeb::TQZWeb() : xb::Object(Cls()) {}
TQZWeb::~TQZWeb() { End(); }

void TQZWeb::New(int tipo, const std::string& title, bool landscape, bool document_based) {
  nTipo = tipo;
  cTitle = title.empty() ? std::string("Título") : title;
  lApaisado = landscape;
  lDocumentBased = document_based;
  cWorkDir = WithSlash(data::cPathExe()) + "~HTML" + svc::cCodUser() + "\\";
  ::CreateDirectoryA(cWorkDir.c_str(), nullptr);
  const bool work_dir = IsFolder(cWorkDir);
  // The first unused name: its folder is made exclusively, so another export cannot take it.
  // A folder that cannot be made for any reason but its name being taken ends the search.
  const long long start = static_cast<long long>(::GetTickCount() % 100000);
  for (int i = 0; work_dir && i < 100000 && cHTMLDir.empty(); ++i) {
    const std::string name = "T" + Digits((start + i) % 100000, 5);
    if (svc::FileExists(cWorkDir + name + ".dbf")) continue;
    if (::CreateDirectoryA((cWorkDir + name).c_str(), nullptr)) {
      cHTMLDir = cWorkDir + name + "\\";
      cHTMLDbf = cWorkDir + name;
    } else if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      break;
    }
  }
  const std::string test = cHTMLDir + "~Test.HTM";
  if (cHTMLDir.empty() || !WriteWhole(test, "")) {
    ui::MsgStop(Value::String("No se pudo crear la carpeta de trabajo " + cWorkDir), "Atención");
    ::RemoveDirectoryA(cHTMLDir.c_str());
    ::RemoveDirectoryA(cWorkDir.c_str());
    cHTMLDir.clear();
    return;
  }
  ::DeleteFileA(test.c_str());
  lOk = OpenTable();
  if (!lOk) {
    ui::MsgStop(Value::String("No se pudo crear la carpeta de trabajo " + cWorkDir), "Atención");
    EraseTree(cHTMLDir);
    ::RemoveDirectoryA(cWorkDir.c_str());
  }
}

bool TQZWeb::OpenTable() {
  std::vector<svc::FieldDef> fields;
  for (const FieldSpec& f : AStruQZWeb()) fields.push_back({f.name, f.type, f.length, f.decimals});
  svc::SelectedAreaScope keep;
  if (!svc::CreateTable(cHTMLDbf, fields)) return false;
  cAlias = "QZWEB" + cHTMLDbf.substr(cHTMLDbf.size() - 5);
  if (!svc::OpenTableQuietly(cHTMLDbf, cAlias, true)) return false;
  svc::CreateTags({{"DbfHtml", "Str(Document,5 ) + Str(Page,5 ) + Str(Row,5 ) + Str(Col,5 )"}});
  lCreated = true;
  return true;
}

void TQZWeb::End() {
  if (ended_) return;
  ended_ = true;
  FinishPage();
  if (lCreated) {
    svc::SelectedAreaScope keep;
    if (const int n = Areas().AreaOfAlias(cAlias); n > 0) {
      Areas().SelectArea(n);
      svc::CloseArea();
    }
    svc::EraseFile(svc::IndexOf(cHTMLDbf));
    svc::EraseFile(svc::DbfOf(cHTMLDbf));
    lCreated = false;
  }
  if (!cHTMLDir.empty()) {
    // Everything of this export but the documents the panel still has to send.
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA((cHTMLDir + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = cHTMLDir + name;
        if (std::find(kept_.begin(), kept_.end(), path + "\\") != kept_.end()) continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) EraseTree(path);
        else ::DeleteFileA(path.c_str());
      } while (::FindNextFileA(h, &found));
      ::FindClose(h);
    }
    ::RemoveDirectoryA(cHTMLDir.c_str());
    ::RemoveDirectoryA(cWorkDir.c_str());
  }
  lOk = false;
}

// ---- fonts ---------------------------------------------------------------------------------------

TQZWeb::WebFont TQZWeb::GetFont(int n) const {
  for (const WebFont& f : acFonts)
    if (f.number == n) return f;
  return acFonts.empty() ? WebFont{1, nullptr, "Arial", 10, false, false, 0, "FNT_1"} : acFonts.front();
}

int TQZWeb::AddFont(WebFont font) {
  if (font.number == 0) {
    int top = 0;
    for (const WebFont& f : acFonts) top = std::max(top, f.number);
    font.number = top + 1;
  }
  if (font.class_name.empty()) font.class_name = "FNT_" + std::to_string(font.number);
  for (WebFont& f : acFonts) {
    if (f.number == font.number) {
      f = font;
      return font.number;
    }
  }
  acFonts.push_back(font);
  return font.number;
}

int TQZWeb::FontByHandle(HFONT handle) const {
  if (handle == nullptr) return 0;
  for (const WebFont& f : acFonts)
    if (f.handle == handle) return f.number;
  return 0;
}

int TQZWeb::SelectFont(const std::string& alias, int key) {
  WebFont f{key + 6, nullptr, "Arial", 10, false, false, 0, {}};
  svc::SelectedAreaScope keep;
  if (const int n = Areas().AreaOfAlias(alias); n > 0) {
    Areas().SelectArea(n);
    if (svc::Seek(Value::Integer(key))) {
      f.face = svc::FieldText("CFACENAME");
      while (!f.face.empty() && f.face.back() == ' ') f.face.pop_back();
      f.points = static_cast<int>(svc::FieldNumber("NHEIGHT"));
      f.bold = svc::FieldLogical("LBOLD");
      f.italic = svc::FieldLogical("LITALIC");
      f.colour = static_cast<COLORREF>(svc::FieldNumber("NCOLOR"));
      if (f.face.empty()) f.face = "Arial";
      if (f.points <= 0) f.points = 10;
    }
  }
  return AddFont(f);
}

int TQZWeb::Select2Font(HFONT handle, const std::string& face, int points, bool bold, bool italic, COLORREF colour) {
  for (const WebFont& f : acFonts)
    if (f.handle == handle && f.face == face && f.points == points) return f.number;
  return AddFont({0, handle, face, points, bold, italic, colour, {}});
}

// ---- items ---------------------------------------------------------------------------------------

int TQZWeb::CurrentPage() const { return nTipo == 1 && !lDocumentBased ? nPaginaL() : nPage; }

void TQZWeb::Record(const Item& item) {
  if (!lCreated) return;
  svc::SelectedAreaScope keep;
  const int n = Areas().AreaOfAlias(cAlias);
  if (n <= 0) return;
  Areas().SelectArea(n);
  const WebFont font = GetFont(item.font);
  svc::Area().Append();
  auto num = [](std::string_view field, double v) { svc::PutField(field, Value::Number(v)); };
  num("DOCUMENT", lDocumentBased ? nDocument : 0);
  num("PAGE", CurrentPage());
  num("TDATA", item.kind);
  svc::PutField("DATA", Value::String(item.data.substr(0, 200)));
  num("ROW", item.row);
  num("COL", item.col);
  num("TOP", item.top);
  num("LEFT", item.left);
  num("BOTTOM", item.bottom);
  num("RIGHT", item.right);
  num("HEIGHT", item.height);
  num("WIDTH", item.width);
  svc::PutField("ADJUST", Value::String(item.adjust));
  num("NFONT", font.number);
  svc::PutField("FONT", Value::String(font.face.substr(0, 100)));
  num("FONTSIZE", std::clamp(font.points, 0, 999));
  svc::PutField("BOLD", Value::Logical(font.bold));
  svc::PutField("ITALIC", Value::Logical(font.italic));
  num("COLOR", item.colour);
  num("GROSOR", std::clamp(item.grosor, 0, 999));
  num("ESTILO", std::clamp(item.estilo, 0, 999));
  svc::PutField("FILL", Value::Logical(item.fill));
  svc::PutField("STRETCH", Value::Logical(false));
}

// ---- documents -----------------------------------------------------------------------------------

bool TQZWeb::BeginDocument(const std::string& title, std::vector<std::string> to, std::vector<std::string> cc,
                           std::vector<std::string> bcc, const std::string& text, const std::string& name) {
  // "~" + the millisecond counter as 7 digits, the next unused one, in the work folder: made
  // there or nowhere (a builder without its work folder would make it in the current folder).
  std::string folder;
  if (!cHTMLDir.empty()) {
    const long long start = static_cast<long long>(::GetTickCount() % 10000000);
    for (int i = 0; i < 1000 && folder.empty(); ++i) {
      const std::string sub = "~" + Digits((start + i) % 10000000, 7);
      if (::CreateDirectoryA((cHTMLDir + sub).c_str(), nullptr)) folder = sub;
      else if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
  }
  if (folder.empty()) {
    ui::MsgStop(Value::String("No se pudo crear la carpeta de trabajo " + (cHTMLDir.empty() ? cWorkDir : cHTMLDir)),
                "Atención");
    lOk = false;
    return false;
  }
  Document d;
  d.nDocument = ++nTotalDocuments;
  nDocument = d.nDocument;
  nPage = nTipo == 1 ? 1 : 0;
  d.cTitle = title;
  d.aTo = std::move(to);
  d.aCc = std::move(cc);
  d.aBcc = std::move(bcc);
  d.cTexto = text;
  d.cDocument = Digits(d.nDocument, 2);
  d.cTempDir = folder + "\\";
  d.cNavega = cHTMLDir + d.cTempDir + html::NavigationName(d.nDocument);
  std::string doc_name = html::SafeName(name.empty() ? title : name);
  for (char& c : doc_name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\'' || std::string_view("áéíóúÁÉÍÓÚàèìòùÀÈÌÒÙäëïöüÄËÏÖÜñÑ").find(c) != std::string_view::npos || u == 0)
      c = '_';
  }
  d.cDocName = doc_name.empty() ? "Documento" + d.cDocument : doc_name;
  aDocuments.push_back(std::move(d));
  return true;
}

int TQZWeb::CountDocuments() const { return static_cast<int>(aDocuments.size()); }

int TQZWeb::CountPagesForDocument(int document) const {
  if (!lCreated) return 0;
  svc::SelectedAreaScope keep;
  const int n = Areas().AreaOfAlias(cAlias);
  if (n <= 0) return 0;
  Areas().SelectArea(n);
  return LastPageOf(document);
}

std::string TQZWeb::DocumentDir(int document) const {
  for (const Document& d : aDocuments)
    if (d.nDocument == document) return cHTMLDir + d.cTempDir;
  return cHTMLDir;
}

std::string TQZWeb::cPage(int document, int page, bool with_dir) const {
  return (with_dir ? DocumentDir(document) : std::string()) + html::PageName(document, page);
}

std::string TQZWeb::AddImage(const std::string& file, const std::string& name) {
  const std::string base = html::SafeName(name.empty() ? BaseName(file) : name);
  const int document = lDocumentBased ? nDocument : 0;
  const std::string target = DocumentDir(document) + base;
  std::vector<std::string>* list = &aImages;
  for (Document& d : aDocuments)
    if (d.nDocument == document) list = &d.aImages;
  if (std::find(list->begin(), list->end(), target) == list->end()) {
    if (file != target && !::CopyFileA(file.c_str(), target.c_str(), FALSE)) return base;
    list->push_back(target);
  }
  return base;
}

std::vector<std::string> TQZWeb::FilesOf(int document) const {
  std::vector<std::string> files;
  const Document* doc = nullptr;
  for (const Document& d : aDocuments)
    if (d.nDocument == document) doc = &d;
  files.push_back(doc ? doc->cNavega : cHTMLNavigator);
  const int pages = doc ? doc->nPages : nTotalPages;
  for (int p = 1; p <= pages; ++p) files.push_back(cPage(document, p, true));
  for (const std::string& image : doc ? doc->aImages : aImages) files.push_back(image);
  return files;
}

// ---- writing the pages ------------------------------------------------------------------------

void TQZWeb::Activate() {
  if (!lOk || !lCreated) return;
  if (lDocumentBased) nTotalPages = 0;
  else nTotalPages = nTipo == 1 ? nPaginaL() : nPage;
  {
    svc::SelectedAreaScope keep;
    const int n = Areas().AreaOfAlias(cAlias);
    if (n <= 0) return;
    Areas().SelectArea(n);
    // The rows are read a page at a time, in the index's order (document, page, row, column), so
    // a long report never holds all its pages.
    auto at = [](int document, int page) {
      return std::pair{static_cast<int>(svc::FieldNumber("DOCUMENT")), static_cast<int>(svc::FieldNumber("PAGE"))} <
             std::pair{document, page};
    };
    auto read_page = [&](int document, int page) {
      std::vector<Item> items;
      while (!svc::Area().eof() && at(document, page)) svc::Area().Skip(1);
      for (; !svc::Area().eof() && at(document, page + 1); svc::Area().Skip(1)) {
        Item item;
        item.kind = static_cast<int>(svc::FieldNumber("TDATA"));
        item.data = svc::FieldText("DATA");
        item.row = svc::FieldNumber("ROW");
        item.col = svc::FieldNumber("COL");
        item.top = svc::FieldNumber("TOP");
        item.left = svc::FieldNumber("LEFT");
        item.bottom = svc::FieldNumber("BOTTOM");
        item.right = svc::FieldNumber("RIGHT");
        item.height = svc::FieldNumber("HEIGHT");
        item.width = svc::FieldNumber("WIDTH");
        item.adjust = svc::FieldText("ADJUST");
        item.font = static_cast<int>(svc::FieldNumber("NFONT"));
        item.colour = static_cast<COLORREF>(svc::FieldNumber("COLOR"));
        item.grosor = static_cast<int>(svc::FieldNumber("GROSOR"));
        item.estilo = static_cast<int>(svc::FieldNumber("ESTILO"));
        item.fill = svc::FieldLogical("FILL");
        items.push_back(std::move(item));
      }
      return items;
    };
    int total = 0;
    if (lDocumentBased) {
      for (Document& d : aDocuments) {
        d.nPages = std::max(LastPageOf(d.nDocument), 1);
        total += d.nPages;
      }
    } else {
      nTotalPages = std::max({nTotalPages, LastPageOf(0), 1});
      total = nTotalPages;
    }
    {
      PageProgress progress(total);
      auto write_document = [&](int document, int count) {
        // Placeholders first, then the navigation page, then each page in turn.
        nPagesForThisDocument = count;
        PreparePages(document);
        Navigation(document);
        const Value first = xb::CallFunction("STR", {Value::Integer(document), Value::Integer(5)});
        xb::CallFunction("DBSEEK", {first, Value::Logical(true)});
        for (int p = 1; p <= count; ++p) {
          WritePage(document, p, read_page(document, p));
          progress.Step();
        }
      };
      if (lDocumentBased) {
        for (const Document& d : aDocuments) write_document(d.nDocument, d.nPages);
      } else {
        cHTMLNavigator = cHTMLDir + html::NavigationName(0);
        write_document(0, nTotalPages);
      }
    }
  }
  if (!lDocumentBased) SetUbication();
  else SendDocumentsViaEmail();
}

void TQZWeb::WritePage(int document, int page, const std::vector<Item>& items) {
  if (!BeginPage(document, page)) return;
  BeginHead(page);
  WriteFontStyles();
  FinishHead();
  BeginBody();
  for (const Item& item : items) {
    std::vector<html::StyleItem> style;
    std::string class_name = "DEFAULT";
    std::string contents;
    const std::string rgb = html::Rgb(item.colour);
    switch (item.kind) {
      case 1: {
        class_name = GetFont(item.font).class_name;
        style = {{"color", rgb},
                 {"top", html::Mm(item.top)},
                 {"left", html::Mm(item.left)},
                 {"text-align", "left"},
                 {"width", "500mm"},
                 {"margin", "0"},
                 {"white-space", "nowrap"}};
        contents = html::ItemText(item.data);
        break;
      }
      case 3: {
        const std::string border = std::to_string(std::max(1, item.grosor)) + "px";
        if (item.left == item.right || item.top == item.bottom) {
          style = {{"top", html::Mm(item.top + 1)}, {"left", html::Mm(item.left)}, {"border-color", rgb},
                   {"color", "RGB( 255, 255, 255 )"}};
          if (item.left == item.right) {
            style.push_back({"height", html::Mm(item.bottom - item.top)});
            style.push_back({"width", "1mm"});
            style.push_back({"border-left-style", "solid"});
          } else {
            style.push_back({"height", "0mm"});
            style.push_back({"width", html::Mm(item.right - item.left)});
            style.push_back({"border-top-style", "solid"});
          }
          style.push_back({"border-width", border});
          style.push_back({"padding", "3px"});
          style.push_back({"margin", "0"});
        } else {
          // A slanted line: a small drawing at its corners.
          const double x0 = std::min(item.left, item.right), y0 = std::min(item.top, item.bottom);
          const double w = std::fabs(item.right - item.left), h = std::fabs(item.bottom - item.top);
          style = {{"top", html::Mm(y0)}, {"left", html::Mm(x0)}, {"width", html::Mm(w)}, {"height", html::Mm(h)},
                   {"margin", "0"}};
          auto unit = [](double v) { return html::Mm(v); };
          contents = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + unit(w) + "\" height=\"" + unit(h) +
                     "\" style=\"overflow:visible\"><line x1=\"" + unit(item.left - x0) + "\" y1=\"" +
                     unit(item.top - y0) + "\" x2=\"" + unit(item.right - x0) + "\" y2=\"" + unit(item.bottom - y0) +
                     "\" stroke=\"rgb(" + std::to_string(GetRValue(item.colour)) + "," +
                     std::to_string(GetGValue(item.colour)) + "," + std::to_string(GetBValue(item.colour)) +
                     ")\" stroke-width=\"" + border + "\"/></svg>";
        }
        break;
      }
      case 4:
        style = {{"top", html::Mm(item.top)},
                 {"left", html::Mm(item.left)},
                 {"height", html::Mm(item.bottom - item.top)},
                 {"width", html::Mm(item.right - item.left)},
                 {"color", rgb}};
        if (item.fill) style.push_back({"background-color", rgb});
        style.push_back({"border-color", rgb});
        style.push_back({"border-style", "solid"});
        style.push_back({"border-width", std::to_string(std::max(1, item.grosor)) + "px"});
        style.push_back({"margin", "0"});
        break;
      case 2: {
        std::string name = item.data;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        style = {{"top", html::Mm(item.top)},
                 {"left", html::Mm(item.left)},
                 {"height", html::Mm(item.height)},
                 {"width", html::Mm(item.width)},
                 {"background-image", "Url('" + html::PercentEncode(name) + "')"},
                 {"background-repeat", "no-repeat"},
                 {"background-size", "100% 100%"},
                 {"margin", "0"}};
        break;
      }
      default:
        continue;
    }
    WH(html::Paragraph(class_name, style, contents));
  }
  FinishBody();
  FinishPage();
}

// ---- the page files, a piece at a time ---------------------------------------------------------

bool TQZWeb::SelectTable() const {
  const int n = lCreated ? Areas().AreaOfAlias(cAlias) : 0;
  if (n <= 0) return false;
  Areas().SelectArea(n);
  return true;
}

bool TQZWeb::BeginPage(int document, int page) {
  FinishPage();
  page_file_ = std::fopen(cPage(document, page, true).c_str(), "wb");
  if (page_file_ == nullptr) return false;
  page_document_ = document;
  WH("<HTML>");
  if (nTipo == 1 && oDevice != nullptr) {
    oDevice->lBold = false;
    oDevice->ActivarFuente(1);
  }
  return true;
}

void TQZWeb::FinishPage() {
  if (page_file_ == nullptr) return;
  WH("</HTML>");
  std::fclose(page_file_);
  page_file_ = nullptr;
}

void TQZWeb::WH(std::string_view text, bool new_line) {
  if (page_file_ == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), page_file_);
  if (new_line) std::fputs("\r\n", page_file_);
}

void TQZWeb::BeginHead(int page) { WH(html::BeginHead(cTitle, page_document_, page, lApaisado), false); }

void TQZWeb::WriteFontStyles() {
  for (const WebFont& f : acFonts)
    WH(html::FontClassBlock({f.number, f.face, f.points, f.bold, f.italic, f.class_name}), false);
}

void TQZWeb::FinishHead() { WH(html::FinishHead(), false); }
void TQZWeb::BeginBody(const std::string& colour) { WH(html::BeginBody(colour), false); }
void TQZWeb::FinishBody() { WH(html::FinishBody(), false); }

void TQZWeb::BeginDato(int kind) {
  std::string class_name = "DEFAULT";
  if (kind == 1) {
    svc::SelectedAreaScope keep;
    if (SelectTable() && !svc::Area().eof()) class_name = GetFont(static_cast<int>(svc::FieldNumber("NFONT"))).class_name;
  }
  WH(html::ParagraphStart(class_name), false);
}

void TQZWeb::Estilo(const std::string& name, const std::string& value) {
  WH(html::StyleText({html::Escape(name), html::Escape(value)}), false);
}

void TQZWeb::EndDato(int kind) {
  std::string contents;
  if (kind == 1) {
    svc::SelectedAreaScope keep;
    if (SelectTable() && !svc::Area().eof()) contents = html::ItemText(svc::FieldText("DATA"));
  }
  WH(html::ParagraphEnd(contents));
}

std::string TQZWeb::NavigatorOf(int document) const {
  for (const Document& d : aDocuments)
    if (d.nDocument == document) return d.cNavega;
  return cHTMLNavigator.empty() ? cHTMLDir + html::NavigationName(document) : cHTMLNavigator;
}

// The pages of the document being written; outside a writing, those the work table holds.
int TQZWeb::PagesOf(int document) const {
  return nPagesForThisDocument > 0 ? nPagesForThisDocument : std::max(CountPagesForDocument(document), 1);
}

void TQZWeb::PreparePages(int document) {
  const int pages = PagesOf(document);
  for (int p = 1; p <= pages; ++p) WriteWhole(cPage(document, p, true), html::Placeholder());
}

void TQZWeb::Navigation(int document) {
  WriteWhole(NavigatorOf(document), html::NavigationPage(cTitle, document, PagesOf(document)));
}

void TQZWeb::WH_NAV(std::string_view text) {
  if (std::FILE* nav = std::fopen(NavigatorOf(nDocument).c_str(), "ab")) {
    std::fwrite(text.data(), 1, text.size(), nav);
    std::fputs("\r\n", nav);
    std::fclose(nav);
  }
}

void TQZWeb::Explore(const std::string& file) { svc::QzccWebBrowse(file); }

}  // namespace output
