#include "services/login.h"

#include <windows.h>

#include <algorithm>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/hot_keys.h"
#include "services/panel_link.h"
#include "services/password.h"
#include "services/table_helpers.h"
#include "services/user_look.h"
#include "services/user_search.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "ui/bridge/image_strip.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tget.h"
#include "ui/controls/tmeter.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/twindow.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr std::size_t kComparedLength = 8;
constexpr COLORREF kWrongText = 16777215;
constexpr COLORREF kWrongPane = 128;
constexpr const char* kUsersAlias = "QzUsuarios";
constexpr const char* kConfigAlias = "QzConfig";

void RefuseActive() { data::Ui().MsgStop("No puede seleccionar un usuario activo", "Acceso denegado"); }

// The version table's first record as {field name, value} pairs; nothing when it does not
// open (another program holds it).
xb::Array ReadVersionRecord(const std::string& file) {
  xb::Array pairs = xb::Array::New();
  std::string table = file;
  if (xb::Upper(xb::CodePageEn(), xb::rdd::PathExtension(table)) == ".DBF") table.resize(table.size() - 4);
  SelectedAreaScope keep;
  if (!OpenTableQuietly(table, "_QzVersion", true)) return pairs;
  OpenedArea version(true);
  xb::rdd::WorkArea& area = Area();
  area.SetControllingOrder(0);
  area.GoTop();
  for (int f = 1; f <= area.FieldCount(); ++f)
    pairs.Append(Value(xb::Array::Of({Value::String(area.FieldAt(f)->name), area.GetField(f)})));
  return pairs;
}

xb::rdd::WorkArea* AreaOfAlias(const std::string& alias) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(alias));
}

// The log-in dialog over the user table open under kUsersAlias.
class LoginDialog {
 public:
  explicit LoginDialog(const LoginParams& params) : params_(params) {}

  bool Run() {
    dialog_ = ResourceDialog(Value::Integer(params_.touch ? 20042 : 20041), " Identificación de usuario");
    MakeBrowse();
    password_value_ = ui::SetGet::Of(Value::String(std::string(kPasswordLength, ' ')));
    password_ = xb::MakeRef<ui::TGet>();
    password_->ReDefine(120, {.set_get = password_value_.block, .parent = dialog_, .picture = "@K",
                              .fore = ::GetSysColor(COLOR_WINDOWTEXT), .back = ::GetSysColor(COLOR_WINDOW)});
    password_->lPassword = true;
    password_->bLostFocus = Action([this] { ShowMatch(); });
    buttons_.push_back(Button(dialog_, 550, [this] { Check(); }));
    buttons_.push_back(Button(dialog_, 551, [this] { dialog_->End(IDCANCEL); }));
    buttons_.push_back(Button(dialog_, 602, [this] { FreeSelected(); }));
    buttons_.push_back(Button(dialog_, 552, [this] { Search(); }));
    if (params_.touch) {
      password_->nTipoTeclado = "C";
      Button(dialog_, 603, [this] { ShowKeyboard(); });
    }
    Picture(dialog_, 771, params_.bitmap);
    meter_value_ = ui::SetGet::Of(Value::Integer(0));
    auto meter = xb::MakeRef<ui::TMeter>();
    meter->ReDefine({.id = 101, .set_get = meter_value_.block, .total = 100, .parent = dialog_, .no_percentage = true});
    RunDialog(dialog_, [this] {
      browse_->SetFocus();
      // While it is open the dialog is the window the management panel answers.
      SetAppHwnd(dialog_->hWnd);
      Qzcc_SendHwnd();
      return false;
    });
    // Its window is gone: replies and close requests go to the main window again.
    Qzcc_SendHwnd(true);
    return passed_;
  }

 private:
  void MakeBrowse() {
    xb::Array headers = xb::Array::Of({Value::String("E."), Value::String("Cód."), Value::String("Nombre usuario")});
    xb::Array sizes = xb::Array::Of({Value::Integer(16), Value::Integer(40), Value::Integer(250)});
    const Value line(xb::Block::Native([](Args&) {
      xb::rdd::WorkArea* users = AreaOfAlias(kUsersAlias);
      if (users == nullptr) return Value(xb::Array::New());
      const auto image = ui::ImageStrip::Shared().Load(users->GetField(users->FieldPos("LACTIVO")).AsLogical() ? "BMPROJO"
                                                                                                              : "BMPVERDE");
      Value picture;
      if (image) picture = Value(xb::Array::Of({Value::Integer(image->slot), Value::Integer(image->width),
                                                Value::Integer(image->height)}));
      return Value(xb::Array::Of({picture, users->GetField(users->FieldPos("CCODIGO")),
                                  users->GetField(users->FieldPos("CNOMBRE"))}));
    }));
    browse_ = xb::MakeRef<ui::TWBrowse>();
    browse_->ReDefine(110, {.line = line,
                            .parent = dialog_,
                            .headers = Value(headers),
                            .col_sizes = Value(sizes),
                            .change = Action([this] { ShowMatch(); }),
                            .dbl_click = Action([this] { Check(); }),
                            .r_clicked = Value(xb::Block::Native([this](Args& a) {
                              PopupMenu(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), browse_.get(),
                                        ButtonArray(), "ACLB");
                              return Value();
                            })),
                            .alias = std::string(kUsersAlias)});
    // Enter is a key; the letters are typed characters, so Ctrl+C or Ctrl+R (which page the
    // list) do not also close the dialog or free the user.
    browse_->bKeyDown = Value(xb::Block::Native([this](Args& a) {
      if (a.Int(1) != VK_RETURN) return Value();
      dialog_->GoNextCtrl(browse_->hWnd);
      return Value::Integer(0);
    }));
    browse_->bKeyChar = Value(xb::Block::Native([this](Args& a) { return BrowseChar(static_cast<int>(a.Int(1))); }));
  }

  Value ButtonArray() const {
    xb::Array buttons = xb::Array::New();
    for (const auto& button : buttons_) buttons.Append(Value(xb::ObjectRef(button)));
    return Value(buttons);
  }

  Value BrowseChar(int key) {
    switch (key) {
      case 'A':
      case 'a':
        Check();
        break;
      case 'C':
      case 'c':
        dialog_->End(IDCANCEL);
        break;
      case 'L':
      case 'l':
      case 'R':
      case 'r':
        FreeSelected();
        break;
      case 'B':
      case 'b':
        Search();
        break;
      default:
        return Value();
    }
    return Value::Integer(0);
  }

  std::string Typed() {
    if (password_->oGet->HasFocus()) password_->Assign();
    std::string typed(password_value_.Get().AsString());
    typed.resize(kPasswordLength, ' ');
    return typed;
  }

  // The password field in normal colours while it holds the selected user's password, white
  // on dark red otherwise.
  void ShowMatch() {
    xb::rdd::WorkArea* users = AreaOfAlias(kUsersAlias);
    if (users == nullptr || !password_ || password_->hWnd == nullptr) return;
    const bool match = PasswordMatches(Typed(), std::string(users->GetField(users->FieldPos("CCLAVE")).AsString()));
    if (match) password_->SetColor(::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW));
    else password_->SetColor(kWrongText, kWrongPane);
    password_->Refresh();
  }

  void Check() {
    if (lCheckIn(kUsersAlias, Typed(), &failed_)) {
      passed_ = true;
      dialog_->End(IDOK);
      return;
    }
    if (failed_ >= params_.tries) {
      dialog_->End(IDCANCEL);
      return;
    }
    browse_->Refresh(false);
  }

  void FreeSelected() {
    SelectedAreaScope keep;
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    areas.SelectArea(areas.AreaOfAlias(kUsersAlias));
    if (!data::lNetRecLock()) return;
    PutField("LACTIVO", Value::Logical(false));
    Area().Commit();
    Area().Unlock();
    browse_->Refresh(false);
  }

  void Search() {
    UserSearch(*browse_, kUsersAlias, UserSearchFrom::kLogin);
    browse_->SetFocus();
  }

  void ShowKeyboard() {
    const xb::Block keyboard = xb::MacroBlock("{ | uVal1, uVal2 | ShowTeclado( uVal1, uVal2 ) }");
    keyboard.Eval({Value(xb::ObjectRef(password_)), Value(xb::ObjectRef(dialog_))});
  }

  const LoginParams& params_;
  ui::DialogRef dialog_;
  xb::Ref<ui::TWBrowse> browse_;
  xb::Ref<ui::TGet> password_;
  ui::SetGet password_value_;
  ui::SetGet meter_value_;
  std::vector<xb::Ref<ui::TButton>> buttons_;
  int failed_ = 0;
  bool passed_ = false;
};

}  // namespace

bool PasswordMatches(const std::string& typed, const std::string& scrambled) {
  const xb::CodePage& cp = xb::CurrentCodePage();
  std::string given = typed.substr(0, std::min(typed.size(), kComparedLength));
  given.resize(kComparedLength, ' ');
  const std::string stored = cDesencripta(scrambled).substr(0, kComparedLength);
  return xb::Upper(cp, given) == xb::Upper(cp, stored);
}

bool lCheckIn(const std::string& alias, const std::string& typed, int* failed) {
  SelectedAreaScope keep;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = areas.AreaOfAlias(alias);
  if (area == 0) return false;
  areas.SelectArea(area);
  if (FieldLogical("LACTIVO")) {
    RefuseActive();
    return false;
  }
  if (!PasswordMatches(typed, FieldText("CCLAVE"))) {
    data::Ui().MsgStop("Clave incorrecta", "Acceso denegado");
    if (failed) ++*failed;
    return false;
  }
  // The mark is read again under the lock: another station may have logged him in since.
  data::lNetRecLock(0);
  if (FieldLogical("LACTIVO")) {
    Area().Unlock();
    RefuseActive();
    return false;
  }
  const std::string code = FieldText("CCODIGO");
  PutField("LACTIVO", Value::Logical(true));
  Area().Commit();
  Area().Unlock();
  cCodUsuario(code);
  cCodUser(code);
  SetUserName(FieldText("CNOMBRE"));
  qz_aUsuario(lConfig());
  CargaColores();
  return true;
}

bool lIdentifica(const LoginParams& given) {
  LoginParams params = given;
  if (params.version_file.empty()) params.version_file = data::cPathStart() + "VersionE.Dbf";
  if (params.bitmap.empty()) params.bitmap = "BMPENTRADA_ZAFRE";
  if (params.tries < 1) params.tries = 3;
  lIsTactil(params.touch);
  SetFileVer(params.version_file);
  SetVersionRecord(FileExists(params.version_file) ? ReadVersionRecord(params.version_file) : xb::Array::New());

  qzw_CreaUsuarios(params.create, false);
  CompruebaFicheroUsuarios();

  SelectedAreaScope keep;
  if (!OpenTable(UsuariosTable(), kUsersAlias, false)) return false;
  OpenedArea users(true);
  SelectOrder(1);
  Call("DBGOTOP");
  OpenedArea config;
  if (lConfig()) {
    if (!OpenTable(ConfigTable(), kConfigAlias, false)) return false;
    config.Adopt();
  }
  if (!params.dialog) {
    qz_aUsuario(lConfig(), 0, {}, lConfig() ? kConfigAlias : "");
    return true;
  }
  users.Select();
  const bool passed = LoginDialog(params).Run();
  if (passed) {
    SetLogoutDue(true);
    CallIfThere("SETUSER", {Value::String(cCodUser())});
    CallIfThere("INITPRNMSG");
  }
  return passed;
}

bool lTerminar(bool ask) {
  if (!ask) return true;
  ui::DialogRef dialog = ResourceDialog(Value::Integer(lIsTactil() ? 20075 : 20074));
  Picture(dialog, 600, "BMP_LOGO_QZ");
  Label(dialog, 100, " ¿ Desea finalizar la ejecución ? ");
  Button(dialog, 552, [d = dialog.get()] { d->End(552); });
  Button(dialog, 553, [d = dialog.get()] { d->End(553); });
  return RunDialog(dialog) == 552;
}

void Terminar() {
  const Value main = data::oWnd();
  if (main.IsObject()) xb::Send(main, "END");
}

void Cierre() {
  const Value printer = CallIfThere("IMPRESORA");
  if (printer.IsObject()) xb::Send(printer, "END");
}

std::string QzCurDrive() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = ::GetCurrentDirectoryA(sizeof folder, folder);
  if (length < 2 || folder[1] != ':') return {};
  return std::string(1, static_cast<char>(xb::UpperChar(xb::CodePageEn(), static_cast<unsigned char>(folder[0]))));
}

void RegisterLoginFunctions() {
  xb::RegisterFunction("LIDENTIFICA", [](Args& a) {
    LoginParams p;
    p.dialog = a.Arg(1).IsLogical() ? a.Log(1) : true;
    if (a.Arg(2).IsNumber()) p.tries = static_cast<int>(a.Int(2));
    if (a.Arg(3).IsString()) p.version_file = std::string(a.Str(3));
    if (a.Arg(4).IsString()) p.bitmap = std::string(a.Str(4));
    p.create = a.Log(5);
    p.touch = a.Log(6);
    return Value::Logical(lIdentifica(p));
  });
  xb::RegisterFunction("LCHECKIN", [](Args& a) {
    int failed = 0;
    return Value::Logical(lCheckIn(std::string(a.Str(1)), std::string(a.Str(2)), &failed));
  });
  xb::RegisterFunction("LTERMINAR", [](Args& a) { return Value::Logical(lTerminar(a.Arg(1).IsLogical() ? a.Log(1) : true)); });
  xb::RegisterFunction("TERMINAR", [](Args&) {
    Terminar();
    return Value();
  });
  xb::RegisterFunction("CIERRE", [](Args&) {
    Cierre();
    return Value();
  });
  xb::RegisterFunction("QZCURDRIVE", [](Args&) { return Value::String(QzCurDrive()); });
}

}  // namespace svc
