#include "services/user_dialogs.h"

#include <windows.h>

#include <vector>

#include "data/data_ui.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/font_choice.h"
#include "services/hot_keys.h"
#include "services/layouts.h"
#include "services/password.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "services/window_fit.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tget.h"
#include "ui/controls/twbrowse.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr int kPlusKey = 43;

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string Padded(std::string text, std::size_t length) {
  text.resize(length, ' ');
  return text;
}

Value Logical(std::function<bool()> test) {
  return Value(xb::Block::Native([test = std::move(test)](Args&) { return Value::Logical(test()); }));
}

void ShowText(ui::PlainControl& label, const std::string& text) {
  label.cCaption = text;
  if (label.hWnd != nullptr) ::SetWindowTextA(label.hWnd, text.c_str());
}

xb::rdd::WorkArea* AreaOfAlias(const std::string& alias) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = areas.AreaOfAlias(alias);
  return area == 0 ? nullptr : areas.Area(area);
}

// The dialog of one user.
class UserDialog {
 public:
  UserDialog(ui::TWBrowse* browse, UserMode mode, ui::WindowRef owner, const UserTableAliases& aliases)
      : browse_(browse), mode_(mode), owner_(std::move(owner)), aliases_(aliases) {}

  bool Run() {
    std::optional<UserForm> form = UserFormFor(aliases_, mode_);
    if (!form) return false;
    const data::AreaStatus position = data::aSetStatus(aliases_.users);
    const bool supervisor = Trim(form->code) == kSupervisor;
    const bool view = mode_ == UserMode::kView;
    const char* title = mode_ == UserMode::kAdd ? " Añadir usuario" : mode_ == UserMode::kModify ? " Modificar usuario"
                                                                                                  : " Visualizar usuario";
    dialog_ = ResourceDialog(Value::Integer(20077), std::string(title), 0, owner_);
    code_ = ui::SetGet::Of(Value::String(form->code));
    name_ = ui::SetGet::Of(Value::String(Padded(form->name, 25)));
    password_ = ui::SetGet::Of(Value::String(Padded(form->password, kPasswordLength)));
    group_ = ui::SetGet::Of(Value::String(Padded(form->group, 3)));

    Field(100, code_, {}, true);
    Field(110, name_, {}, view, Logical([this] { return NameValid(); }));
    Field(120, password_, "@!", view);
    const Value group_open = Logical([supervisor, view] { return !supervisor && !view; });
    group_field_ = Field(130, group_, "@!", false, Logical([this] { return GroupValid(); }));
    group_field_->bWhen = group_open;
    group_field_->bChange = Value(xb::Block::Native([this](Args& a) {
      if (!a.Arg(1).IsNumber() || a.Int(1) != kPlusKey) return Value();
      PickGroup(kPlusKey);
      return Value::Logical(false);  // the "+" itself is not typed
    }));
    group_label_ = Label(dialog_, 90, "");
    if (const std::optional<std::string> description = GroupDescription(aliases_, group_.Get().AsString()))
      group_label_->cCaption = *description;
    ui::TBtnBmp::RedefineParams picker;
    picker.pictures.resource1 = "Lupa";
    picker.action = Action([this] { PickGroup(0); });
    picker.when = group_open;
    picker.tooltip = "Grupos de usuarios";
    ui::TBtnBmp::ReDefine(600, dialog_, picker);
    ui::TDialog* d = dialog_.get();
    Button(dialog_, 540, [d] { d->HelpTopic(); });
    auto accept = Button(dialog_, 550, [this] { Accept(); });
    if (view) accept->bWhen = Logical([] { return false; });
    Button(dialog_, 551, [d] { d->End(IDCANCEL); });

    RunDialog(dialog_);
    if (!saved_) data::GetStatus(aliases_.users, position);
    if (browse_ != nullptr && browse_->hWnd != nullptr) {
      if (saved_) {
        browse_->UpStable();
        browse_->Refresh(false);
      }
      browse_->SetFocus();
    }
    return saved_;
  }

 private:
  xb::Ref<ui::TGet> Field(int id, const ui::SetGet& value, const std::string& picture, bool read_only,
                          const Value& valid = {}) {
    auto get = xb::MakeRef<ui::TGet>();
    get->ReDefine(id, {.set_get = value.block, .parent = dialog_, .picture = picture, .valid = valid,
                       .read_only = read_only});
    fields_.push_back(get);
    return get;
  }

  static std::string Text(const ui::SetGet& value) { return std::string(value.Get().AsString()); }

  bool NameValid() {
    if (!Trim(Text(name_)).empty()) return true;
    data::Ui().MsgStop("El nombre del usuario no puede quedar en blanco", "Atención");
    return false;
  }

  bool GroupValid() {
    const std::string code = Trim(Text(group_));
    if (code.empty()) {
      ShowText(*group_label_, "");
      return true;
    }
    if (const std::optional<std::string> description = GroupDescription(aliases_, code)) {
      ShowText(*group_label_, *description);
      return true;
    }
    data::Ui().MsgStop("Grupo NO existe", "Atención");
    return false;
  }

  void PickGroup(int key) {
    GroupDialogParams params;
    params.owner = dialog_;
    params.pick = true;
    params.key = key;
    params.group_field = group_field_.get();
    params.aliases = aliases_;
    GrpUser(params);
  }

  void Accept() {
    for (const auto& field : fields_)
      if (field->hWnd != nullptr && field->oGet->HasFocus()) field->Assign();
    if (!NameValid()) {
      fields_[1]->SetFocus();
      return;
    }
    if (!GroupValid()) {
      group_field_->SetFocus();
      return;
    }
    const UserForm form{Trim(Text(code_)), Text(name_), Text(password_), Trim(Text(group_))};
    saved_ = mode_ == UserMode::kAdd ? InsertUser(aliases_, form) : UpdateUser(aliases_, form);
    if (saved_) dialog_->End(IDOK);
  }

  ui::TWBrowse* browse_;
  UserMode mode_;
  ui::WindowRef owner_;
  UserTableAliases aliases_;
  ui::DialogRef dialog_;
  ui::SetGet code_, name_, password_, group_;
  std::vector<xb::Ref<ui::TGet>> fields_;
  xb::Ref<ui::TGet> group_field_;
  xb::Ref<ui::PlainControl> group_label_;
  bool saved_ = false;
};

// The group list.
class GroupDialog {
 public:
  explicit GroupDialog(const GroupDialogParams& params) : params_(params) {}

  std::optional<std::string> Run() {
    if (params_.pick && params_.key != 0 && params_.key != kPlusKey) return std::nullopt;
    if (AreaOfAlias(params_.aliases.groups) == nullptr) return std::nullopt;
    ui::TDialog::NewParams dialog_params;
    dialog_params.resource = Value::Integer(20035);
    dialog_params.caption = " Grupos de usuarios";
    dialog_params.font = DefaultDialogFont();
    dialog_params.parent = params_.owner;
    dialog_ = ConfDlgNew(dialog_params);
    MakeBrowse();
    if (params_.pick) {
      AddButton(501, "&Seleccionar", "(S)eleccionar grupo de usuarios", [this] { Pick(); });
      keys_ = "S";
    } else {
      AddButton(501, "&Añadir", "(A)ñadir grupo de usuarios", [this] { Edit(true); });
      AddButton(502, "&Modificar", "(M)odificar grupo de usuarios", [this] { Edit(false); });
      AddButton(503, "&Eliminar", "(E)liminar grupo de usuarios", [this] { Delete(); });
      // The access-map editor comes with its own module.
      AddButton(504, "Ma&pa", "(P) Mapa de acceso",
                [this] { CallIfThere("MAPUSER", {Value(xb::ObjectRef(browse_)), Value::Integer(2)}); })
          ->bWhen = Logical([] { return xb::IsFunctionRegistered("MAPUSER"); });
      AddButton(505, "&Fuente", "(F)uente, seleccionar fuente de trabajo", [this] { SelFon(*browse_); });
      AddButton(506, "&Salir", "(S)alir y cerrar ventana de usuarios", [this] { dialog_->End(IDCANCEL); });
      keys_ = "AMEPFS";
    }
    RunDialog(
        dialog_,
        [this] {
          // Pick mode has one button: the others of the resource are not there for it.
      for (int id = 502; params_.pick && id <= 506; ++id)
        if (HWND button = ::GetDlgItem(dialog_->hWnd, id)) ::ShowWindow(button, SW_HIDE);
          browse_->SetFocus();
          return false;
        },
        [this] {
          ConfBrowse(*dialog_, {browse_.get()});
          return true;
        });
    return picked_;
  }

 private:
  void MakeBrowse() {
    const std::string alias = params_.aliases.groups;
    const Value line(xb::Block::Native([alias](Args&) {
      xb::rdd::WorkArea* groups = AreaOfAlias(alias);
      if (groups == nullptr) return Value(xb::Array::New());
      return Value(xb::Array::Of({groups->GetField(groups->FieldPos("CODIGO")), groups->GetField(groups->FieldPos("DESCRIPC"))}));
    }));
    browse_ = ConfBrwRedefine(
        110, {.line = line,
              .parent = dialog_,
              .headers = Value(xb::Array::Of({Value::String("Código"), Value::String("Descripción")})),
              .col_sizes = Value(xb::Array::Of({Value::Integer(40), Value::Integer(200)})),
              .dbl_click = Action([this] { DefaultAction(); }),
              .r_clicked = Value(xb::Block::Native([this](Args& a) {
                PopupMenu(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), browse_.get(), Buttons(), keys_);
                return Value();
              })),
              .alias = alias});
    // Typed characters, not key codes: F4 or Insert must not pass for a letter.
    browse_->bKeyChar = Value(xb::Block::Native([this](Args& a) {
      const int key = static_cast<int>(a.Int(1));
      return ActKeys(key, Buttons(), keys_, params_.pick ? "S" : "M") ? Value::Integer(0) : Value();
    }));
  }

  xb::Ref<ui::TButton> AddButton(int id, const std::string& caption, const std::string& tooltip,
                                  std::function<void()> action) {
    auto button = xb::MakeRef<ui::TButton>();
    button->ReDefine({.id = id, .action = Action(std::move(action)), .parent = dialog_, .caption = caption});
    button->cToolTip = Value::String(tooltip);
    buttons_.push_back(button);
    return button;
  }

  Value Buttons() const {
    xb::Array array = xb::Array::New();
    for (const auto& button : buttons_) array.Append(Value(xb::ObjectRef(button)));
    return Value(array);
  }

  void DefaultAction() {
    if (params_.pick) Pick();
    else Edit(false);
  }

  xb::rdd::WorkArea* Groups() const { return AreaOfAlias(params_.aliases.groups); }

  void Pick() {
    xb::rdd::WorkArea* groups = Groups();
    if (groups == nullptr || groups->eof()) return;
    picked_ = std::string(groups->GetField(groups->FieldPos("CODIGO")).AsString());
    if (params_.group_field != nullptr) {
      params_.group_field->SetText(Value::String(*picked_));
      params_.group_field->lValid();
    }
    dialog_->End(IDOK);
  }

  // A group added or its description changed over its row.
  void Edit(bool add) {
    xb::rdd::WorkArea* groups = Groups();
    if (groups == nullptr || (!add && groups->eof())) return;
    const data::AreaStatus position = data::aSetStatus(params_.aliases.groups);
    ui::SetGet code = ui::SetGet::Of(Value::String(add ? std::string(3, ' ')
                                                       : std::string(groups->GetField(groups->FieldPos("CODIGO")).AsString())));
    ui::SetGet description = ui::SetGet::Of(
        add ? Value::String(std::string(25, ' ')) : groups->GetField(groups->FieldPos("DESCRIPC")));
    xb::Ref<ui::TGet> code_field;
    const bool done = lEditLine({.browse = browse_.get(),
                                 .labels = {"Código", "Descripción"},
                                 .caption = {},
                                 .create = [&](ui::TDialog& box) {
                                   code_field = xb::MakeRef<ui::TGet>();
                                   code_field->New({.set_get = code.block, .parent = ui::WindowRef(&box), .width = 40,
                                                    .height = 16, .picture = "@!", .pixel = true, .read_only = !add});
                                   auto text_field = xb::MakeRef<ui::TGet>();
                                   text_field->New({.set_get = description.block, .parent = ui::WindowRef(&box),
                                                    .width = 200, .height = 16, .pixel = true});
                                 },
                                 // A code refused keeps the row open with what was typed.
                                 .valid = [&](ui::TDialog&) {
                                   if (!add) return true;
                                   code_field->Assign();
                                   return NewGroupCodeAccepted(params_.aliases, code.Get().AsString());
                                 }});
    bool saved = false;
    if (done) {
      saved = add ? InsertGroup(params_.aliases, std::string(code.Get().AsString()), description.Get().AsString())
                  : UpdateGroup(params_.aliases, description.Get().AsString());
    }
    if (!saved) data::GetStatus(params_.aliases.groups, position);
    browse_->UpStable();
    browse_->Refresh(false);
    browse_->SetFocus();
  }

  void Delete() {
    DeleteGroup(params_.aliases, Value(xb::ObjectRef(browse_)));
    browse_->Refresh(false);
    browse_->SetFocus();
  }

  const GroupDialogParams& params_;
  ui::DialogRef dialog_;
  xb::Ref<ui::TWBrowse> browse_;
  std::vector<xb::Ref<ui::TButton>> buttons_;
  std::string keys_;
  std::optional<std::string> picked_;
};

}  // namespace

bool lInsModUser(ui::TWBrowse* browse, UserMode mode, ui::WindowRef owner, const UserTableAliases& aliases) {
  return UserDialog(browse, mode, std::move(owner), aliases).Run();
}

std::optional<std::string> GrpUser(const GroupDialogParams& params) { return GroupDialog(params).Run(); }

void RegisterUserDialogFunctions() {
  xb::RegisterFunction("LINSMODUSER", [](Args& a) {
    auto* browse = dynamic_cast<ui::TWBrowse*>(a.Arg(1).IsObject() ? a.Arg(1).AsObject().get() : nullptr);
    const int mode = a.Arg(2).IsNumber() ? static_cast<int>(a.Int(2)) : 1;
    if (mode < 1 || mode > 3) return Value::Logical(false);
    ui::WindowRef owner;
    if (a.Arg(3).IsObject()) owner = ui::WindowRef(dynamic_cast<ui::TWindow*>(a.Arg(3).AsObject().get()));
    UserTableAliases aliases;
    if (!lConfig()) aliases.config.clear();
    return Value::Logical(lInsModUser(browse, static_cast<UserMode>(mode), owner, aliases));
  });
  xb::RegisterFunction("GRPUSER", [](Args& a) {
    GroupDialogParams params;
    if (a.Arg(2).IsObject()) params.owner = ui::WindowRef(dynamic_cast<ui::TWindow*>(a.Arg(2).AsObject().get()));
    params.pick = a.Log(3);
    params.key = a.Arg(4).IsNumber() ? static_cast<int>(a.Int(4)) : 0;
    if (a.Arg(5).IsObject()) params.group_field = dynamic_cast<ui::TGet*>(a.Arg(5).AsObject().get());
    if (!lConfig()) params.aliases.config.clear();
    const std::optional<std::string> code = GrpUser(params);
    return code ? Value::String(*code) : Value();
  });
}

}  // namespace svc
