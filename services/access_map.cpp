#include "services/access_map.h"

#include <windows.h>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/font_choice.h"
#include "services/menu_access.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "ui/controls/tree_builder.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/msg_box.h"
#include "ui/core/tfont.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr int kDialog = 20045;
constexpr int kHelpTopic = 999200007;
constexpr COLORREF kTitleColour = 8388608;  // dark blue
constexpr const char* kTreeTitle = "Arbol desglose de opciones de Menú";

std::string Trim(std::string_view text) { return std::string(xb::AllTrim(text)); }

// The access string as the menu reads it: trimmed and padded with "0".
std::string Normalised(std::string_view text) {
  std::string access(xb::RTrim(text));
  access.resize(kAccessLength, '0');
  return access;
}

std::string WithoutAmpersands(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != '&') out += c;
  return out;
}

int AreaOf(const std::string& alias) {
  if (alias.empty()) return 0;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = areas.AreaOfAlias(alias);
  return area != 0 && areas.Area(area)->used() ? area : 0;
}

Value LevelBitmap(const char* name) {
  if (!xb::IsFunctionRegistered("XLOADBITMAP")) return {};
  return xb::CallFunction("XLOADBITMAP", {Value::Integer(0), Value::String(name)});
}

}  // namespace

const char* LevelPicture(char level) {
  switch (level) {
    case '2': return "BmpEnable";
    case '1': return "BmpReadOnly";
    default: return "BmpDisable";
  }
}

MenuTree oGetMenuTree(const std::string& menu_alias, const std::string& given) {
  MenuTree result;
  const int area = AreaOf(menu_alias);
  if (area == 0) return result;
  const std::string access = Normalised(given);
  SelectedAreaScope keep;
  xb::rdd::WorkAreas::Get().SelectArea(area);
  const data::AreaStatus status = data::aSetStatus();
  SelectOrder(0);
  const std::uint32_t count = Area().RecordCount();
  result.texts.resize(count + 1);
  result.settable.resize(count + 1, false);
  ui::TreeBegin("BmpOpen", "BmpClose");
  int open_folders = 0;
  for (Call("DBGOTOP"); !Area().eof(); Area().Skip(1)) {
    const std::uint32_t record = Area().recno();
    if (record > count) break;
    const int kind = static_cast<int>(FieldNumber("TIPOMENU"));
    const std::string prompt = Traduce(WithoutAmpersands(Trim(FieldText("ITEM"))));
    if (kind == 0) {
      result.texts[record] = prompt;
      ui::TreeItem(prompt, "BmpOpen", "BmpClose", {}, {}, false);
      ui::TreeBegin("BmpOpen", "BmpClose");
      ++open_folders;
    } else if (kind == 1 || kind == 9) {
      result.texts[record] = prompt;
      // The strings hold 255 levels: a record past them cannot be given one.
      const bool settable = record <= kAccessLength;
      result.settable[record] = settable;
      const char* picture = LevelPicture(settable ? access[record - 1] : '0');
      const Value item = ui::TreeItem(prompt, picture, picture, {}, {}, false);
      if (auto* leaf = dynamic_cast<ui::TTreeItem*>(item.AsObject().get())) leaf->Cargo = Value::Integer(record);
    } else if ((kind == 3 || kind == 4) && open_folders > 0) {
      ui::TreeEnd();
      --open_folders;
    }
  }
  for (; open_folders > 0; --open_folders) ui::TreeEnd();
  const Value list = ui::TreeEnd();
  data::GetStatus({}, status);
  result.tree = xb::Ref<ui::TLinkList>(dynamic_cast<ui::TLinkList*>(list.AsObject().get()));
  return result;
}

AccessMapEditor::AccessMapEditor(AccessMapOf of, const UserTableAliases& aliases, std::string menu_alias)
    : of_(of), aliases_(aliases), menu_alias_(std::move(menu_alias)) {}

bool AccessMapEditor::Load() {
  field_ = "ACCESOS" + std::to_string(qz_nAcceso());
  const int area = AreaOf(of_ == AccessMapOf::kUser ? aliases_.users : aliases_.groups);
  if (area == 0) return false;
  SelectedAreaScope keep;
  xb::rdd::WorkAreas::Get().SelectArea(area);
  if (Area().eof()) return false;
  if (of_ == AccessMapOf::kUser) {
    code_ = Trim(FieldText("CCODIGO"));
    if (code_ == kSupervisor) {
      data::Ui().MsgStop("El Supervisor no es configurable", "Acceso denegado");
      return false;
    }
    title_ = Trim(FieldText("CNOMBRE"));
  } else {
    code_ = xb::Upper(xb::CurrentCodePage(), Trim(FieldText("CODIGO")));
    if (code_ == kAdministrators) {
      data::Ui().MsgStop("El grupo Administradores no es configurable", "Acceso denegado");
      return false;
    }
    title_ = Trim(FieldText("DESCRIPC"));
  }
  original_ = access_ = Normalised(FieldText(field_));
  tree_ = oGetMenuTree(menu_alias_, access_);
  if (tree_.tree) tree_.tree->OpenAll();
  return true;
}

bool AccessMapEditor::Write() {
  const int area = AreaOf(of_ == AccessMapOf::kUser ? aliases_.users : aliases_.groups);
  if (area == 0) return false;
  SelectedAreaScope keep;
  xb::rdd::WorkAreas::Get().SelectArea(area);
  if (Area().eof() || !data::lNetRecLock()) return false;
  PutField(field_, Value::String(access_));
  Area().Commit();
  Area().Unlock(Area().recno());
  return true;
}

void AccessMapEditor::Picture(ui::TTreeItem& item, char level) {
  const Value picture = LevelBitmap(LevelPicture(level));
  if (picture.IsNil()) return;
  item.hBmpOpen = item.hBmpClose = picture;
}

bool AccessMapEditor::SetOne(ui::TTreeItem* item, char level) {
  if (item == nullptr || !item->Cargo.IsNumber()) return false;  // a folder
  const auto record = static_cast<std::size_t>(item->Cargo.AsInt());
  if (record == 0 || record >= tree_.settable.size() || !tree_.settable[record]) return false;
  const std::string before = access_;
  access_[record - 1] = level;
  if (!Write()) {
    access_ = before;
    return false;
  }
  Picture(*item, level);
  return access_ != before;
}

bool AccessMapEditor::SetAll(char level) {
  const std::string before = access_;
  access_.assign(kAccessLength, level);
  if (!Write()) {
    access_ = before;
    return false;
  }
  if (tree_.tree) {
    tree_.tree->Eval([&](ui::TTreeItem& item) {
      if (!item.Cargo.IsNumber()) return;
      const auto record = static_cast<std::size_t>(item.Cargo.AsInt());
      if (record < tree_.settable.size() && tree_.settable[record]) Picture(item, level);
    });
  }
  return access_ != before;
}

void AccessMapEditor::Close(std::function<bool()> propagate) {
  if (!changed()) return;
  SelectedAreaScope keep;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int users = AreaOf(aliases_.users);
  if (of_ == AccessMapOf::kUser) {
    // He no longer follows his group.
    if (users == 0) return;
    areas.SelectArea(users);
    if (Area().eof() || !data::lNetRecLock()) return;
    PutField("GRUPO", Value::String(""));
    Area().Commit();
    Area().Unlock(Area().recno());
    return;
  }
  const bool hand_on =
      propagate ? propagate()
                : ui::MsgYesNo(Value::String("Ha cambiado el mapa de accesos de un grupo de usuarios.\n\r"
                                             "¿ Desea reflejar estos cambios en el mapa de accesos de los usuarios "
                                             "pertenecientes a este grupo ?"),
                               " Información");
  if (!hand_on || users == 0) return;
  areas.SelectArea(users);
  const data::AreaStatus status = data::aSetStatus();
  for (Call("DBGOTOP"); !Area().eof(); Area().Skip(1)) {
    if (xb::Upper(xb::CurrentCodePage(), Trim(FieldText("GRUPO"))) != code_ || !data::lNetRecLock()) continue;
    PutField(field_, Value::String(access_));
    Area().Commit();
    Area().Unlock(Area().recno());
  }
  data::GetStatus({}, status);
}

namespace {

// The menu table: the one open under `alias`, else the start folder's ("MenuWin" when
// "MenuWinE" is not there) opened for the while. No alias when it cannot be opened: the
// table layer has said why.
class MenuTableFor {
 public:
  explicit MenuTableFor(const std::string& alias) {
    if (AreaOf(alias) != 0) {
      alias_ = alias;
      return;
    }
    std::string table = data::cPathStart() + "MenuWinE";
    if (!FileExists(DbfOf(table)) && FileExists(DbfOf(data::cPathStart() + "MenuWin"))) table = data::cPathStart() + "MenuWin";
    SelectedAreaScope keep;
    if (OpenTable(table, "MenuMap", false)) {
      own_.Adopt();
      alias_ = "MenuMap";
    }
  }
  const std::string& alias() const { return alias_; }

 private:
  std::string alias_;
  OpenedArea own_;
};

class AccessMapDialog {
 public:
  AccessMapDialog(ui::TWBrowse* browse, AccessMapOf of, const UserTableAliases& aliases, const std::string& menu)
      : owner_(browse), editor_(of, aliases, menu) {}

  void Run() {
    if (!editor_.Load()) return;
    ui::WindowRef parent;
    if (owner_ != nullptr && owner_->hWnd != nullptr) parent = ui::WindowRef(owner_);
    dialog_ = ResourceDialog(Value::Integer(kDialog), std::nullopt, kHelpTopic, parent);
    Picture(dialog_, 600, "BMP_ACCESOS");
    auto title = Label(dialog_, 101, editor_.title(), kTitleColour);
    Label(dialog_, 102, kTreeTitle);
    browse_ = xb::MakeRef<ui::TWBrowse>();
    browse_->ReDefine(100, {.parent = dialog_, .headers = Value(xb::Array::Of({Value::String(kTreeTitle)}))});
    if (editor_.tree().tree) browse_->SetTree(*editor_.tree().tree);
    for (const auto& [id, level] : {std::pair{110, '2'}, std::pair{125, '1'}, std::pair{120, '0'}})
      Button(dialog_, id, [this, level = level] { One(level); });
    for (const auto& [id, level] : {std::pair{130, '2'}, std::pair{135, '1'}, std::pair{140, '0'}})
      Button(dialog_, id, [this, level = level] { All(level); });
    Button(dialog_, 710, [this] { SelFon(*browse_); });
    ui::TDialog* d = dialog_.get();
    Button(dialog_, 540, [d] { d->HelpTopic(); });
    Button(dialog_, 520, [d] { d->End(IDOK); });
    RunDialog(dialog_, [this, title] {
      ui::TFont::Spec font;
      font.face = "Arial";
      font.width = 8;
      font.height = 28;
      font.bold = true;
      title->SetFont(ui::TFont::New(font));
      browse_->SetFocus();
      return false;
    });
    editor_.Close();
  }

 private:
  void Repaint() {
    browse_->Refresh(false);
    browse_->SetFocus();
  }
  void One(char level) {
    editor_.SetOne(dynamic_cast<ui::TTreeItem*>(browse_->Cargo.AsObject().get()), level);
    Repaint();
  }
  void All(char level) {
    editor_.SetAll(level);
    Repaint();
  }

  ui::TWBrowse* owner_;
  AccessMapEditor editor_;
  ui::DialogRef dialog_;
  xb::Ref<ui::TWBrowse> browse_;
};

}  // namespace

void MapUser(ui::TWBrowse* browse, AccessMapOf of, const UserTableAliases& aliases, const std::string& menu_alias) {
  const MenuTableFor menu(menu_alias.empty() ? std::string("MenuUsr") : menu_alias);
  // Without the options there is no map to edit: its "all options" buttons would rewrite
  // the whole string blind.
  if (menu.alias().empty()) return;
  AccessMapDialog(browse, of, aliases, menu.alias()).Run();
  if (browse != nullptr && browse->hWnd != nullptr) {
    browse->Refresh(false);
    browse->SetFocus();
  }
}

void RegisterAccessMapFunctions() {
  xb::RegisterFunction("MAPUSER", [](Args& a) {
    auto* browse = dynamic_cast<ui::TWBrowse*>(a.Arg(1).IsObject() ? a.Arg(1).AsObject().get() : nullptr);
    const AccessMapOf of = a.Arg(2).IsNumber() && a.Int(2) == 2 ? AccessMapOf::kGroup : AccessMapOf::kUser;
    UserTableAliases aliases;
    if (!lConfig()) aliases.config.clear();
    MapUser(browse, of, aliases);
    return Value();
  });
  // OGETMENUTREE(cAccess, cMenuAlias): the tree of the options.
  xb::RegisterFunction("OGETMENUTREE", [](Args& a) {
    const MenuTree tree = oGetMenuTree(a.Arg(2).IsString() ? Trim(a.Str(2)) : std::string("MenuUsr"),
                                       a.Arg(1).IsString() ? std::string(a.Str(1)) : std::string());
    return tree.tree ? Value(xb::ObjectRef(tree.tree)) : Value();
  });
}

}  // namespace svc
