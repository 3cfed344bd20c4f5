#include "services/user_search.h"

#include <windows.h>

#include "data/record_helpers.h"
#include "runtime/codepage.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/table_helpers.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tget.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/plain_control.h"

namespace svc {
namespace {

using xb::Value;

constexpr int kCodeLength = 2;
constexpr int kNameLength = 25;

class UserSearchDialog {
 public:
  UserSearchDialog(ui::TWBrowse& browse, const std::string& alias, UserSearchFrom from)
      : browse_(browse), area_(xb::rdd::WorkAreas::Get().AreaOfAlias(alias)), from_(from) {}

  void Run() {
    if (area_ == 0) return;
    by_name_ = AreaOf().controlling_order() == 2;
    // Any other order (the group's) is searched as the code the radio shows.
    if (!by_name_) AreaOf().SetControllingOrder(1);
    dialog_ = ResourceDialog(Value::Integer(from_ == UserSearchFrom::kLogin ? 20018 : 20076));
    label_ = Label(dialog_, 99, LabelText());
    value_ = ui::SetGet::Of(Value::String(std::string(Length(), ' ')));
    field_ = xb::MakeRef<ui::TGet>();
    field_->ReDefine(100, {.set_get = value_.block, .parent = dialog_, .picture = Picture(),
                           .change = Value(xb::Block::Native([this](xb::Args& a) {
                             return Value::Logical(KeyTyped(static_cast<int>(a.Int(1))));
                           }))});
    for (const auto& [id, name] : {std::pair{102, false}, std::pair{103, true}}) {
      auto radio = xb::MakeRef<ui::PlainControl>();
      radio->Redefine(id, dialog_);
      radio->on_click = [this, name = name] { ChooseOrder(name); };
    }
    Button(dialog_, 105, [this] { dialog_->End(IDCANCEL); });
    RunDialog(dialog_, [this] {
      ::CheckRadioButton(dialog_->hWnd, 102, 103, by_name_ ? 103 : 102);
      field_->SetFocus();
      return false;
    });
  }

 private:
  xb::rdd::WorkArea& AreaOf() { return *xb::rdd::WorkAreas::Get().Area(area_); }
  int Length() const { return by_name_ ? kNameLength : kCodeLength; }
  std::string Picture() const {
    if (by_name_) return std::string(kNameLength, 'X');
    // Codes go past "09" to "0A": letters are typed too, in upper case.
    return "!!";
  }
  std::string LabelText() const {
    if (from_ == UserSearchFrom::kLogin) return std::string("Búsqueda de usuario por ") + (by_name_ ? "nombre" : "código ");
    return std::string("Búsqueda de usuario por ") + (by_name_ ? "Nombre" : "Código");
  }

  void ChooseOrder(bool by_name) {
    by_name_ = by_name;
    AreaOf().SetControllingOrder(by_name ? 2 : 1);
    if (label_->hWnd) ::SetWindowTextA(label_->hWnd, LabelText().c_str());
    field_->cPicture = Picture();
    field_->oGet->SetPicture(field_->cPicture);
    field_->SetText(Value::String(std::string(Length(), ' ')));
    field_->SetFocus();
  }

  // A printable key: the beginning typed so far and the key, sought in the current order.
  // Found: the browse goes there and the field shows it. Not found: the key is refused and
  // the table stays where it was.
  bool KeyTyped(int key) {
    if (key <= 31 || key > 255) return true;
    const xb::CodePage& cp = xb::CurrentCodePage();
    const std::string buffer = field_->oGet->Buffer();
    const int pos = std::max(1, field_->oGet->Pos());
    std::string typed = buffer.substr(0, std::min<std::size_t>(buffer.size(), pos - 1));
    typed += static_cast<char>(xb::UpperChar(cp, static_cast<unsigned char>(key)));
    SelectedAreaScope keep;
    xb::rdd::WorkAreas::Get().SelectArea(area_);
    const data::AreaStatus before = data::aSetStatus();
    if (Seek(Value::String(typed))) {
      field_->SetText(Value::String(xb::PadR(typed, Length())));
      field_->oGet->SetPos(static_cast<int>(typed.size()) + 1);
      field_->nPos = static_cast<int>(typed.size()) + 1;
      field_->EditUpdate();
      browse_.UpStable();
      browse_.Refresh(false);
    } else {
      data::GetStatus({}, before);
      ::MessageBeep(static_cast<UINT>(-1));
    }
    return false;
  }

  ui::TWBrowse& browse_;
  int area_;
  UserSearchFrom from_;
  bool by_name_ = false;
  ui::DialogRef dialog_;
  xb::Ref<ui::PlainControl> label_;
  ui::SetGet value_;
  xb::Ref<ui::TGet> field_;
};

}  // namespace

void UserSearch(ui::TWBrowse& browse, const std::string& alias, UserSearchFrom from) {
  UserSearchDialog(browse, alias, from).Run();
}

}  // namespace svc
