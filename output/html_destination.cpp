// Where the pages of an HTML export go: the dialog WEB_DESTINO and its folder check LDIROK,
// the move into the chosen folder, the browser and the mail spool of the management panel,
// and the documents sent each to its own recipients.
#include <algorithm>
#include <fstream>
#include <memory>

#include "output/html_export.h"
#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "services/dialog_helpers.h"
#include "services/mail_spool.h"
#include "services/panel_link.h"
#include "ui/core/msg_box.h"

namespace output {
namespace {

using xb::Value;

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

std::string ItemText(HWND dialog, int id) {
  char buffer[MAX_PATH * 2] = {};
  ::GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return Trimmed(buffer);
}

std::string BaseName(const std::string& path) {
  const auto at = path.find_last_of("\\/:");
  return at == std::string::npos ? path : path.substr(at + 1);
}

Value Texts(const std::vector<std::string>& items) {
  xb::Array a = xb::Array::New();
  for (const std::string& s : items) a.Append(Value::String(s));
  return Value(a);
}

// The files of a message erased once the panel reports it done, then its folders when empty.
Value EraseWhenDone(std::vector<std::string> files, std::vector<std::string> folders) {
  return Value(xb::Block::Native([files, folders](xb::Args&) {
    for (const std::string& f : files) ::DeleteFileA(f.c_str());
    for (const std::string& d : folders) ::RemoveDirectoryA(d.c_str());
    return Value();
  }));
}

constexpr const char* kNoPanel = "No se encuentra el Panel de Gestión. Las páginas se han guardado en ";

}  // namespace

bool lDirOk(const std::string& folder, const std::string& subfolder) {
  const std::string base = WithSlash(folder);
  const std::string path = base + subfolder;
  ::CreateDirectoryA(base.c_str(), nullptr);
  const bool created = ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  const std::string test = WithSlash(path) + "~TEST.TST";
  bool writable = false;
  {
    HANDLE h = ::CreateFileA(test.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      writable = ::WriteFile(h, "~", 1, &written, nullptr) && written == 1;
      ::CloseHandle(h);
      ::DeleteFileA(test.c_str());
    }
  }
  if (created && writable) return true;
  if (created) ::RemoveDirectoryA(path.c_str());
  ui::MsgAlert(Value::String(writable ? "El directorio ya existe, por favor, seleccione otro"
                                      : "Directorio No válido, por favor seleccione otro"),
               "Atención");
  return false;
}

void TQZWeb::SetUbication() {
  const std::string default_name = html::SafeName(cTitle);
  char current[MAX_PATH] = {};
  ::GetCurrentDirectoryA(sizeof current, current);
  const std::string default_folder = WithSlash(current) + "HTML\\";
  const bool mail_default = nHTMLView == 128;

  ui::DialogRef dialog = svc::ResourceDialog(Value::String("WEB_DESTINO"), std::string("Destino del Listado/Informe."));
  ui::TDialog* d = dialog.get();
  struct Choice {
    bool accepted = false;
    std::string folder, subfolder, name;
    bool dated = false, mail = false, browse = false;
  };
  auto choice = std::make_shared<Choice>();
  svc::Button(dialog, 410, [d] {
    std::string chosen = xb::IsFunctionRegistered("CGETDIR")
                             ? std::string(xb::CallFunction("CGETDIR", {Value::String("Seleccione directorio")}).AsString())
                             : std::string();
    if (!chosen.empty()) ::SetDlgItemTextA(d->hWnd, 100, WithSlash(chosen).c_str());
  });
  svc::Button(dialog, 301, [d] {
    ::EnableWindow(::GetDlgItem(d->hWnd, 302), ::IsDlgButtonChecked(d->hWnd, 301) != BST_CHECKED);
  });
  svc::Button(dialog, 302, [d] {
    ::EnableWindow(::GetDlgItem(d->hWnd, 301), ::IsDlgButtonChecked(d->hWnd, 302) != BST_CHECKED);
  });
  svc::Button(dialog, 400, [d, choice] {
    Choice c;
    c.folder = WithSlash(ItemText(d->hWnd, 100));
    c.subfolder = html::SafeName(ItemText(d->hWnd, 101));
    c.name = html::SafeName(ItemText(d->hWnd, 102));
    c.dated = ::IsDlgButtonChecked(d->hWnd, 300) == BST_CHECKED;
    c.mail = ::IsDlgButtonChecked(d->hWnd, 301) == BST_CHECKED;
    c.browse = ::IsDlgButtonChecked(d->hWnd, 302) == BST_CHECKED;
    if (c.folder.empty() || c.subfolder.empty() || c.name.empty()) {
      ui::MsgAlert(Value::String("Directorio No válido, por favor seleccione otro"), "Atención");
      return;
    }
    if (c.dated) {
      const std::string date(xb::CallFunction("DTOC", {xb::CallFunction("DATE")}).AsString());
      const std::string time(xb::CallFunction("TIME").AsString());
      c.subfolder = html::SafeName(c.subfolder + "_" + date + "_" + time);
    }
    if (!lDirOk(c.folder, c.subfolder)) return;

    c.accepted = true;
    *choice = c;
    d->End(IDOK);
  });
  svc::Button(dialog, 401, [d] { d->End(IDCANCEL); });
  svc::Button(dialog, 402, [] {
    ::keybd_event(VK_F1, 0, 0, 0);
    ::keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
  });
  svc::RunDialog(dialog, [d, default_folder, default_name, mail_default] {
    ::SetDlgItemTextA(d->hWnd, 100, default_folder.c_str());
    ::SetDlgItemTextA(d->hWnd, 101, default_name.c_str());
    ::SetDlgItemTextA(d->hWnd, 102, default_name.c_str());
    ::CheckDlgButton(d->hWnd, 301, mail_default ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(::GetDlgItem(d->hWnd, 302), !mail_default);
    return true;
  });

  std::vector<std::string> files = FilesOf(0);
  if (!choice->accepted) {
    for (const std::string& f : files) ::DeleteFileA(f.c_str());
    return;
  }
  cHTMLDirDestino = choice->folder + choice->subfolder + "\\";
  // The navigation page under its chosen name, then every page and image.
  std::vector<std::string> placed;
  bool failed = false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string target = cHTMLDirDestino + (i == 0 ? choice->name + ".htm" : BaseName(files[i]));
    if (!::MoveFileExA(files[i].c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING))
      failed = true;
    placed.push_back(target);
  }
  if (failed) {
    ui::MsgAlert(Value::String("Se ha producido un error al crear el directorio destino."), " Atención");
    return;
  }
  const std::string navigator = placed.front();
  if (!choice->mail && !choice->browse) return;
  if (svc::QzccHwnd() == nullptr) {
    ui::MsgAlert(Value::String(kNoPanel + cHTMLDirDestino), " Atención");
    return;
  }
  if (choice->mail) {
    svc::MailParams m;
    m.recipients = Texts({});
    m.copies = Texts({});
    m.blind_copies = Texts({});
    m.subject = cTitle;
    m.text = cTitle;
    m.files = Texts(placed);
    const bool browse = choice->browse;
    m.callback = Value(xb::Block::Native([navigator, browse](xb::Args&) {
      if (browse) svc::QzccWebBrowse(navigator);
      return Value();
    }));
    m.show_dialog = true;
    m.auto_send = true;
    svc::oMailSpool()->NewMsg(m);
  } else {
    svc::QzccWebBrowse(navigator);
  }
}

void TQZWeb::SendDocumentsViaEmail() {
  std::vector<std::string> taken;
  for (Document& d : aDocuments) {
    std::string name = d.cDocName;
    for (int n = 1; std::find(taken.begin(), taken.end(), name) != taken.end(); ++n) name = d.cDocName + std::to_string(n);
    taken.push_back(name);
    const std::string navigator = cHTMLDir + d.cTempDir + name + ".htm";
    if (::MoveFileExA(d.cNavega.c_str(), navigator.c_str(), MOVEFILE_REPLACE_EXISTING)) d.cNavega = navigator;
  }
  if (svc::QzccHwnd() == nullptr) {
    for (const Document& d : aDocuments) kept_.push_back(cHTMLDir + d.cTempDir);
    ui::MsgAlert(Value::String(kNoPanel + cHTMLDir), " Atención");
    return;
  }
  for (Document& d : aDocuments) {
    const std::vector<std::string> files = FilesOf(d.nDocument);
    const std::string folder = cHTMLDir + d.cTempDir;
    kept_.push_back(folder);
    svc::MailParams m;
    m.recipients = Texts(d.aTo);
    m.copies = Texts(d.aCc);
    m.blind_copies = Texts(d.aBcc);
    m.subject = d.cTitle;
    m.text = d.cTexto.empty() ? std::string(" ") : d.cTexto;
    m.files = Texts(files);
    m.callback = EraseWhenDone(files, {folder, cHTMLDir, cWorkDir});
    m.show_dialog = false;
    m.auto_send = true;
    d.nIdMail = svc::oMailSpool()->NewMsg(m);
  }
}

}  // namespace output
