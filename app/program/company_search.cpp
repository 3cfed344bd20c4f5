#include "app/program/company_search.h"

#include "app/org/company_loop.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "runtime/block.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tget.h"
#include "ui/controls/tradmenu.h"
#include "ui/controls/tsay.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace app {
namespace {

using xb::Value;

constexpr int kLabel = 99;
constexpr int kEdit = 100;
constexpr int kCloseButton = 105;
constexpr int kCodeOrder = 1;
constexpr int kNameOrder = 2;
constexpr int kCodeLength = 2;
constexpr int kNameLength = 30;

enum Option { kAutomatic = 1, kByCode = 2, kByName = 3 };

// Selects the searched table's area (the company table's unless told) for the scope.
class CompanyAreaScope {
 public:
  explicit CompanyAreaScope(std::string_view alias = kCompanyTableAlias)
      : previous_(xb::rdd::WorkAreas::Get().CurrentArea()) {
    if (const int area = xb::rdd::WorkAreas::Get().AreaOfAlias(alias)) xb::rdd::WorkAreas::Get().SelectArea(area);
  }
  ~CompanyAreaScope() { xb::rdd::WorkAreas::Get().SelectArea(previous_); }
  CompanyAreaScope(const CompanyAreaScope&) = delete;
  CompanyAreaScope& operator=(const CompanyAreaScope&) = delete;

 private:
  int previous_;
};

// What the key handler and the option change work on: the edit, the label, the browse, the
// two key lengths and pictures, and the order in force.
struct SearchField {
  ui::TGet* edit = nullptr;
  ui::TSay* label = nullptr;
  ui::TWBrowse* browse = nullptr;
  int code_length = 12;
  int name_length = 30;
  std::string code_picture;
  std::string name_picture;
  int order = kCodeOrder;
  std::string key_name = "NOMBRE";
  std::string alias = std::string(kCompanyTableAlias);

  bool Codes() const { return order == kCodeOrder; }
  int Length() const { return Codes() ? code_length : name_length; }

  // The key the label names and the edit's picture follow the order.
  void Show(int new_order) {
    order = new_order;
    key_name = Codes() ? "CODIGO" : "NOMBRE";
    if (label) {
      label->VarPut(Value::String(key_name));
      label->Refresh();
    }
    edit->cPicture = Codes() ? code_picture : name_picture;
    edit->oGet->SetPicture(edit->cPicture);
  }
  void Select(int new_order) const {
    CompanyAreaScope scope(alias);
    xb::CallFunction("ORDSETFOCUS", {Value::Integer(new_order)});
  }
  void Fill(const std::string& text, int caret) const {
    edit->SetText(Value::String(xb::PadR(text, Length())));
    edit->oGet->SetPos(caret);
    edit->nPos = caret;
    edit->EditUpdate();
  }
};

// CHGGET: the search by code empties the edit to the code's length, names the code and
// selects the code order; the automatic search and the search by name do the same with the
// name.
void ChgGet(int option, SearchField& field) {
  const int order = option == kByCode ? kCodeOrder : kNameOrder;
  field.Show(order);
  field.Select(order);
  field.Fill("", 1);
  if (field.browse) {
    field.browse->UpStable();
    field.browse->Refresh();
  }
}

// LKEYPUSH: control keys pass; a printable key extends what is typed before the caret and
// that is sought (upper case). The first character chooses the order. Found: the browse
// goes there and the edit shows it; not found: the table goes back to its record and order
// and the key is refused.
bool LKeyPush(int key, int option, SearchField& field) {
  if (key <= 31) return true;
  if (key > 255) return false;
  const std::string buffer = field.edit->oGet->Buffer();
  const int caret = std::max(1, field.edit->oGet->Pos());
  std::string text = buffer.substr(0, std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(caret - 1)));
  text.push_back(static_cast<char>(key));

  CompanyAreaScope scope(field.alias);
  const data::AreaStatus before = data::aSetStatus();
  const int shown_before = field.order;
  if (text.size() == 1) {
    int order = kNameOrder;
    if (option == kByCode) order = kCodeOrder;
    if (option == kAutomatic && text[0] >= '0' && text[0] <= '9') order = kCodeOrder;
    field.Show(order);
    xb::CallFunction("ORDSETFOCUS", {Value::Integer(order)});
  }
  const std::string sought = xb::Upper(xb::CurrentCodePage(), text);
  if (xb::CallFunction("DBSEEK", {Value::String(sought)}).AsLogical()) {
    field.Fill(text, static_cast<int>(text.size()) + 1);
    if (field.browse) {
      field.browse->UpStable();
      field.browse->Refresh();
    }
    return false;
  }
  data::GetStatus({}, before);
  if (field.order != shown_before) field.Show(shown_before);
  ::MessageBeep(static_cast<UINT>(-1));
  return false;
}

// The search field of a by-name call: the edit, the label, the browse and the alias given, the
// lengths and pictures given or their defaults, and the order held by the caller's variable
// (else the one the table has).
SearchField FieldFromArgs(xb::Args& a, int edit, int label, int browse, int alias, int code_length, int name_length,
                          int code_picture, int name_picture, int order) {
  SearchField field;
  field.edit = dynamic_cast<ui::TGet*>(a.Obj(edit).get());
  field.label = label ? dynamic_cast<ui::TSay*>(a.Obj(label).get()) : nullptr;
  field.browse = dynamic_cast<ui::TWBrowse*>(a.Obj(browse).get());
  if (a.Arg(alias).IsString() && !xb::AllTrim(a.Str(alias)).empty()) field.alias = std::string(xb::AllTrim(a.Str(alias)));
  field.code_length = a.Arg(code_length).IsNumber() ? static_cast<int>(a.Int(code_length)) : 12;
  field.name_length = a.Arg(name_length).IsNumber() ? static_cast<int>(a.Int(name_length)) : 30;
  field.code_picture = code_picture && a.Arg(code_picture).IsString() ? std::string(a.Str(code_picture))
                                                                      : std::string(field.code_length, 'X');
  field.name_picture = name_picture && a.Arg(name_picture).IsString() ? std::string(a.Str(name_picture))
                                                                      : std::string(field.name_length, 'X');
  if (a.Arg(order).IsNumber()) {
    field.order = static_cast<int>(a.Int(order));
  } else {
    CompanyAreaScope scope(field.alias);
    field.order = static_cast<int>(xb::CallFunction("INDEXORD").AsInt());
  }
  return field;
}

// The search's own forms of LKEYPUSH and CHGGET, told from the header lookup's by their
// arguments: here the fourth of LKEYPUSH is the browse and the first of CHGGET the option.
xb::FunctionBody Previous(std::string_view name) {
  const xb::FunctionEntry* entry = xb::FindFunction(name);
  if (!entry) return {};
  if (entry->body) return entry->body;
  if (entry->fn) return entry->fn;
  return {};
}

}  // namespace

void RegisterCompanySearchFunctions() {
  // LKEYPUSH(nKey, nFlags, oGet, oBrw, nCodeLen, nNameLen, cCodePicture, cNamePicture, oSay,
  //          nOption, cAlias, @nOrder)
  xb::RegisterFunction("LKEYPUSH", [previous = Previous("LKEYPUSH")](xb::Args& a) {
    if (!dynamic_cast<ui::TWBrowse*>(a.Obj(4).get()) || !dynamic_cast<ui::TGet*>(a.Obj(3).get()))
      return previous ? previous(a) : Value::Logical(true);
    SearchField field = FieldFromArgs(a, 3, 9, 4, 11, 5, 6, 7, 8, 12);
    const bool pass = LKeyPush(static_cast<int>(a.Int(1)), a.Arg(10).IsNumber() ? static_cast<int>(a.Int(10)) : kAutomatic,
                               field);
    if (a.IsByRef(12)) a.SetRef(12, Value::Integer(field.order));
    return Value::Logical(pass);
  });
  // CHGGET(nOption, oGet, oSay, oBrw, cAlias, nCodeLen, nNameLen, @nOrder)
  xb::RegisterFunction("CHGGET", [previous = Previous("CHGGET")](xb::Args& a) {
    if (!a.Arg(1).IsNumber() || !dynamic_cast<ui::TGet*>(a.Obj(2).get()))
      return previous ? previous(a) : Value();
    SearchField field = FieldFromArgs(a, 2, 3, 4, 5, 6, 7, 0, 0, 8);
    ChgGet(static_cast<int>(a.Int(1)), field);
    if (a.IsByRef(8)) a.SetRef(8, Value::Integer(field.order));
    return Value();
  });
}

int nDblFinBin(const ui::WindowRef& window, ui::TWBrowse& browse) {
  auto dialog = xb::MakeRef<ui::TDialog>();
  ui::TFont::Spec font;
  font.face = std::string(data::cFontName());
  font.width = data::nFontVSize();
  font.height = data::nFontHSize();
  ui::TDialog::NewParams p;
  p.resource = Value::String("FININ2");
  p.caption = " Búsqueda incremental de EMPRESAS";
  p.parent = window;
  p.font = ui::TFont::New(font);
  dialog->New(p);

  SearchField field;
  field.browse = &browse;
  field.code_length = kCodeLength;
  field.name_length = kNameLength;
  field.code_picture = std::string(kCodeLength, 'X');
  field.name_picture = std::string(kNameLength, 'X');
  {
    CompanyAreaScope scope;
    field.order = static_cast<int>(xb::CallFunction("INDEXORD").AsInt());
  }

  auto label = xb::MakeRef<ui::TSay>();
  label->ReDefine({.id = kLabel,
                   .get = Value(xb::Block::Native([&field](xb::Args&) { return Value::String(field.key_name); })),
                   .parent = dialog});
  field.label = label.get();

  const ui::SetGet option = ui::SetGet::Of(Value::Integer(kAutomatic));
  const ui::SetGet buffer = ui::SetGet::Of(Value::String(std::string(kNameLength, ' ')));
  auto edit = xb::MakeRef<ui::TGet>();
  edit->ReDefine(kEdit, {.set_get = buffer.block,
                         .parent = dialog,
                         .picture = field.name_picture,
                         .change = Value(xb::Block::Native([&field, &option](xb::Args& a) {
                           return Value::Logical(LKeyPush(static_cast<int>(a.Int(1)), static_cast<int>(option.Get().AsInt()), field));
                         }))});
  field.edit = edit.get();

  auto options = xb::MakeRef<ui::TRadMenu>();
  options->ReDefine({.set_get = option.block,
                     .parent = dialog,
                     .ids = {102, 103, 101},
                     .change = Value(xb::Block::Native([&field](xb::Args& a) {
                       ChgGet(static_cast<int>(a.Int(1)), field);
                       return Value();
                     }))});

  auto close = xb::MakeRef<ui::TButton>();
  close->ReDefine({.id = kCloseButton,
                   .action = Value(xb::Block::Native([d = dialog.get()](xb::Args&) { return Value::Logical(d->End()); })),
                   .parent = dialog});

  ui::TDialog::ActivateParams a;
  a.centered = true;
  a.init = Value(xb::Block::Native([&field](xb::Args&) {
    field.edit->SetFocus();
    return Value::Logical(false);
  }));
  dialog->Activate(a);

  CompanyAreaScope scope;
  return static_cast<int>(xb::CallFunction("INDEXORD").AsInt());
}

}  // namespace app
