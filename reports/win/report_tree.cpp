#include "reports/win/report_tree.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "reports/access_rules.h"
#include "reports/report_definitions.h"
#include "reports/report_run.h"
#include "reports/tdictqz.h"
#include "reports/win/column_dialogs.h"
#include "reports/dictionary_files.h"
#include "reports/win/dictionary_window.h"
#include "reports/win/listing_tree.h"
#include "reports/win/report_dialog.h"
#include "reports/win/row_dialogs.h"
#include "reports/win/wait_dialogs.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/hot_keys.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/timagelist.h"
#include "ui/controls/tqztreeview.h"
#include "ui/core/msg_box.h"
#include "ui/core/tbar.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

constexpr int kTree = 100;
constexpr int kOldRun = 410;  // the resource's own buttons, hidden under the bar
constexpr int kOldLeave = 411;
constexpr const char* kBuilding = "Construyendo árbol, espere por favor...";

ReportTreeHook& Hook() {
  static ReportTreeHook hook;
  return hook;
}

bool g_grafico_from_dict = false;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

std::string Text(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  const Value v = pos == 0 ? Value() : a.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

WorkArea* AreaOf(const std::string& alias) {
  if (alias.empty()) return nullptr;
  const int n = WorkAreas::Get().AreaOfAlias(alias);
  return n == 0 ? nullptr : WorkAreas::Get().Area(n);
}

// The live rows of a table as field values, in natural order; the area is left where it was.
// `step` runs after each row read.
std::vector<std::map<std::string, std::string>> Rows(const std::string& alias, std::initializer_list<const char*> fields,
                                                     const std::function<void()>& step = {}) {
  std::vector<std::map<std::string, std::string>> rows;
  WorkArea* a = AreaOf(alias);
  if (a == nullptr) return rows;
  const std::uint32_t at = a->recno();
  const int order = a->controlling_order();
  a->SetControllingOrder(0);
  for (a->GoTop(); !a->eof(); a->Skip(1)) {
    if (a->Deleted()) continue;
    std::map<std::string, std::string> row;
    for (const char* f : fields) row[f] = Text(*a, f);
    rows.push_back(std::move(row));
    if (step) step();
  }
  a->SetControllingOrder(order);
  a->GoTo(at);
  return rows;
}

std::string CurrentUser() {
  if (!xb::IsFunctionRegistered("CCODUSER")) return {};
  const Value v = xb::CallFunction("CCODUSER");
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

std::string Level(const std::string& code) {
  return code.empty() ? "0" : cAccesoInforme(TDictQZ::AliasOf("Informes"), code, false, true, {});
}

xb::Ref<ui::TImageList> TreeImages() {
  auto images = xb::MakeRef<ui::TImageList>();
  images->New(16, 13);
  for (const char* name : {"TRI_CERRADO", "TRI_ABIERTO", "TRI_INFORME"}) {
    auto picture = xb::MakeRef<ui::TBitmap>();
    picture->Define({.resource = name});
    images->AddMasked(picture, RGB(255, 255, 255));
  }
  return images;
}

// The dictionary a tree opened itself (the restoration closes and opens it again).
xb::Ref<TDictQZ>& TreeDictionary() {
  static xb::Ref<TDictQZ> dict;
  return dict;
}

// The dictionary opened for a tree and closed with it (unless it was open already).
class DictionaryUse {
 public:
  explicit DictionaryUse(const std::string& folder = {}) {
    if (!TDictQZ::AliasOf("Informes").empty()) return;
    dict_ = xb::MakeRef<TDictQZ>();
    // The menu entries index the dictionary before; a folder known already is not checked again.
    const std::string wanted = DictFolder(folder.empty() ? data::cPathInforme() : folder);
    if (TDictQZ::cPath() != wanted) dict_->New(wanted);
    if (!dict_->Activate("I", false)) {
      dict_ = nullptr;
      return;
    }
    outer_ = TreeDictionary();
    TreeDictionary() = dict_;
  }
  ~DictionaryUse() {
    if (!dict_) return;
    TreeDictionary() = outer_;
    dict_->End();
  }
  bool ok() const { return !TDictQZ::AliasOf("Informes").empty(); }

 private:
  xb::Ref<TDictQZ> dict_, outer_;
};

// What a tree shows: folders of categories (and subcategories), leaves of one table.
// Dictionary tables are named by table (their aliases change when the dictionary is opened
// again); other sources by alias.
struct TreeSource {
  std::string categories;      // alias of the categories: CATEGORIA or CODIGO, DESCRIPC
  std::string category_field;  // "CATEGORIA" or "CODIGO"
  std::string subcategories;   // alias of SubCat ("" for none)
  std::string leaves;          // alias of the leaves: code_field, CATEGORIA, [SUBCAT], DESCRIPC
  std::string code_field;
  std::string none;            // the message when there are no categories
  bool dictionary = true;

  std::string Alias(const std::string& name) const {
    return dictionary && !name.empty() ? TDictQZ::AliasOf(name) : name;
  }
};

struct TreeButton {
  const char* bitmap;
  const char* tooltip;
  std::function<void(const std::string& code)> action;
  // Enabled for the selection (the leaf's code, "" on a folder); none: always.
  std::function<bool(const std::string& code)> when;
};

// The tree view whose right button opens the buttons' pop-up over the item under it, with
// the control's own right-button loop left out (it would wait for a release the menu took).
class PopupTreeView : public ui::TQZTreeView {
 public:
  ui::Answer RButtonDown(int row, int col, WPARAM keys) override {
    if (ui::TTVItemQZ* item = HitTest(row, col)) Select(*item);
    ui::TQZTreeView::RButtonDown(row, col, keys);
    return ui::Answer::Number(0);
  }
};

class TreeDialog;
TreeDialog*& OpenTree() {
  static TreeDialog* open = nullptr;
  return open;
}

class TreeDialog {
 public:
  TreeDialog(std::string caption, TreeSource source) : caption_(std::move(caption)), source_(std::move(source)) {}

  std::vector<TreeButton> buttons;
  std::string keys;  // the buttons' letters, in order

  bool Show() {
    if (Rows(source_.Alias(source_.categories), {"DESCRIPC"}).empty()) {
      data::Ui().MsgInfo(source_.none, "Atención");
      return false;
    }
    dialog_ = svc::ResourceDialog(Value::String("TI_ARBOL_TREEVIEW"), caption_, 0, ui::WndMain());
    tree_ = xb::MakeRef<PopupTreeView>();
    tree_->ReDefine({.id = kTree, .parent = dialog_});
    tree_->bChanged = svc::Action([this] { Update(); });
    tree_->bLDblClick = svc::Action([this] {
      if (keys.find('J') != std::string::npos) svc::ActKeys('J', Controls(), keys);
    });
    tree_->bKeyChar = Value(xb::Block::Native([this](xb::Args& a) {
      Key(static_cast<int>(a.Int(1)));
      return Value();
    }));
    tree_->bRClicked = Value(xb::Block::Native([this](xb::Args& a) {
      svc::PopupMenu(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), tree_.get(), Controls(), keys);
      return Value();
    }));
    // The resource's run button is a picture button (hidden under the bar here): its class is
    // made before the dialog is.
    old_run_ = ui::TBtnBmp::ReDefine(kOldRun, dialog_, {});
    TreeDialog* previous = OpenTree();
    OpenTree() = this;
    svc::RunDialog(dialog_, [this] {
      Init();
      return true;
    });
    OpenTree() = previous;
    return true;
  }

  void End() {
    if (dialog_) dialog_->End(IDCANCEL);
  }

  // A typed character: the button of its letter (Enter runs "E(J)ecutar").
  bool Key(int key) { return svc::ActKeys(key, Controls(), keys, "J"); }

  // The category and subcategory of the selected folder ({} on a leaf or nothing).
  std::pair<std::string, std::string> Folder() const {
    ui::TTVItemQZ* item = tree_ ? tree_->GetSelected() : nullptr;
    if (item == nullptr || !item->Cargo.IsArray() || item->Cargo.AsArray().size() < 2) return {};
    const xb::Array a = item->Cargo.AsArray();
    return {std::string(a[0].AsString()), std::string(a[1].AsString())};
  }

  ui::TWindow* Window() const { return tree_ && tree_->hWnd != nullptr ? tree_.get() : nullptr; }
  ui::TWindow* Dialog() const { return dialog_ && dialog_->hWnd != nullptr ? dialog_.get() : nullptr; }

  // The code of the selected leaf ("" on a folder or nothing).
  std::string Selected() const {
    ui::TTVItemQZ* item = tree_ ? tree_->GetSelected() : nullptr;
    return item != nullptr && item->Cargo.IsString() ? std::string(item->Cargo.AsString()) : std::string();
  }

  // Lays the tree out again, the selection kept on the leaf `code` when it is still there.
  void Reload(const std::string& code) {
    if (!tree_ || tree_->hWnd == nullptr) return;
    LayOut(code);
    Update();
  }

  // While a report runs every button is disabled; afterwards each follows the selection.
  void Running(bool running) {
    if (!running) {
      Update();
      return;
    }
    for (const auto& b : buttons_)
      if (b->hWnd != nullptr && IsWindowEnabled(b->hWnd)) {
        b->Disable();
        InvalidateRect(b->hWnd, nullptr, TRUE);
      }
  }

  std::vector<TreeButtonState> States() const {
    std::vector<TreeButtonState> states;
    for (std::size_t i = 0; i < buttons.size() && i < buttons_.size(); ++i)
      states.push_back({buttons[i].tooltip, buttons_[i]->hWnd != nullptr && IsWindowEnabled(buttons_[i]->hWnd) != 0});
    return states;
  }

 private:
  Value Controls() const {
    xb::Array a = xb::Array::New();
    for (const auto& b : buttons_) a.Append(Value(xb::ObjectRef(b)));
    return Value(a);
  }

  void Init() {
    HWND box = dialog_->hWnd;
    RECT client{}, old{};
    GetClientRect(box, &client);
    GetWindowRect(GetDlgItem(box, kOldRun), &old);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&old), 2);
    for (int id : {kOldRun, kOldLeave}) ShowWindow(GetDlgItem(box, id), SW_HIDE);
    const int bottom = static_cast<int>(client.bottom) - 2;
    ui::TBar::NewParams bp;
    bp.btn_width = 28;
    bp.btn_height = 28;
    bar_ = ui::TBar::NewAt(*dialog_, ui::Rect{std::min<int>(old.top - 4, bottom - 32), 6, bottom, client.right - 6}, bp);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      const TreeButton& b = buttons[i];
      ui::TBtnBmp::BarParams p;
      p.pictures.resource1 = b.bitmap;
      p.tooltip = b.tooltip;
      p.message = b.tooltip;
      p.group = i + 1 == buttons.size();  // "(S)alir" apart
      p.action = svc::Action([this, i] {
        const std::string code = Selected();
        if (buttons[i].when && !buttons[i].when(code)) return;
        buttons[i].action(code);
      });
      p.when = Value(xb::Block::Native([this, i](xb::Args&) {
        return Value::Logical(!buttons[i].when || buttons[i].when(Selected()));
      }));
      buttons_.push_back(ui::TBtnBmp::NewBar(*bar_, p));
    }
    tree_->SetImageList(TreeImages());
    LayOut({});
    Update();
    SetFocus(tree_->hWnd);
  }

  void Update() {
    const std::string code = Selected();
    for (std::size_t i = 0; i < buttons.size() && i < buttons_.size(); ++i) {
      const bool on = !buttons[i].when || buttons[i].when(code);
      if (buttons_[i]->hWnd == nullptr || (IsWindowEnabled(buttons_[i]->hWnd) != 0) == on) continue;
      if (on) buttons_[i]->Enable();
      else buttons_[i]->Disable();
      InvalidateRect(buttons_[i]->hWnd, nullptr, TRUE);  // its face follows the state
    }
  }

  // ConstruyeArbol, under its message.
  void LayOut(const std::string& select) {
    WaitNotice notice(kBuilding);
    Build(select, notice);
  }

  // Each category (in code order), its subcategories, and the leaves of each in description
  // order; a leaf whose subcategory is not one of its category's stays under the category.
  void Build(const std::string& select, WaitNotice& notice) {
    tree_->DeleteAll();
    const std::string& key = source_.category_field;
    auto by = [](const char* field) {
      return [field](const auto& a, const auto& b) { return Upper(a.at(field)) < Upper(b.at(field)); };
    };
    const auto step = [&notice] { notice.Step(); };
    auto categories = Rows(source_.Alias(source_.categories), {key.c_str(), "DESCRIPC"}, step);
    std::stable_sort(categories.begin(), categories.end(), by(key.c_str()));
    auto subcats = source_.subcategories.empty()
                       ? decltype(categories){}
                       : Rows(source_.Alias(source_.subcategories), {"SUBCAT", "CATEGORIA", "DESCRIPC"}, step);
    std::stable_sort(subcats.begin(), subcats.end(), by("SUBCAT"));
    auto leaves = Rows(source_.Alias(source_.leaves), {source_.code_field.c_str(), "CATEGORIA", "SUBCAT", "DESCRIPC"}, step);
    std::stable_sort(leaves.begin(), leaves.end(), by("DESCRIPC"));
    ui::TTVItemQZ* chosen = nullptr;
    auto add_leaves = [&](ui::TTVItemQZ& parent, const std::string& category, const std::string& subcat,
                          const std::vector<std::string>& known) {
      for (const auto& leaf : leaves) {
        if (Upper(leaf.at("CATEGORIA")) != category) continue;
        std::string own = Upper(leaf.at("SUBCAT"));
        if (std::find(known.begin(), known.end(), own) == known.end()) own.clear();
        if (own != subcat) continue;
        auto item = parent.Add(leaf.at("DESCRIPC").empty() ? leaf.at(source_.code_field) : leaf.at("DESCRIPC"), 2, 2, 2);
        item->Cargo = Value::String(leaf.at(source_.code_field));
        notice.Step();
        if (!select.empty() && Upper(leaf.at(source_.code_field)) == Upper(select)) chosen = item.get();
      }
    };
    for (const auto& c : categories) {
      const std::string category = Upper(c.at(key));
      auto folder = tree_->Add(c.at("DESCRIPC").empty() ? c.at(key) : c.at("DESCRIPC"), 0, 0, 1);
      folder->Cargo = Value(xb::Array::Of({Value::String(c.at(key)), Value::String("")}));
      notice.Step();
      std::vector<std::string> known;
      for (const auto& s : subcats)
        if (Upper(s.at("CATEGORIA")) == category) known.push_back(Upper(s.at("SUBCAT")));
      for (const auto& s : subcats) {
        if (Upper(s.at("CATEGORIA")) != category) continue;
        auto sub = folder->Add(s.at("DESCRIPC").empty() ? s.at("SUBCAT") : s.at("DESCRIPC"), 0, 0, 1);
        sub->Cargo = Value(xb::Array::Of({Value::String(c.at(key)), Value::String(s.at("SUBCAT"))}));
        add_leaves(*sub, category, Upper(s.at("SUBCAT")), known);
      }
      add_leaves(*folder, category, {}, known);
    }
    tree_->Expand();
    if (chosen != nullptr) tree_->Select(*chosen);
  }

  std::string caption_;
  TreeSource source_;
  ui::DialogRef dialog_;
  xb::Ref<ui::TBtnBmp> old_run_;
  xb::Ref<ui::TQZTreeView> tree_;
  xb::Ref<ui::TBar> bar_;
  std::vector<xb::Ref<ui::TBtnBmp>> buttons_;
};

void ReloadOpen(const std::string& code) {
  if (OpenTree() != nullptr) OpenTree()->Reload(code);
}

// The pop-up of "(A)ñadir": what to add.
std::optional<AddChoice> AskAdd() {
  std::optional<AddChoice> chosen;
  xb::Ref<ui::TMenu> menu = ui::TMenu::New(true);
  struct Item {
    const char* prompt;
    std::optional<AddChoice> choice;
  };
  for (const Item& item : {Item{"Añadir informe", AddChoice::kInforme}, Item{"Añadir subcategoría", AddChoice::kSubCategoria},
                           Item{"Añadir categoría", AddChoice::kCategoria}, Item{"Salir", std::nullopt}}) {
    ui::TMenuItem::Spec spec;
    spec.prompt = item.prompt;
    spec.action = svc::Action([&chosen, choice = item.choice] { chosen = choice; });
    menu->Add(ui::TMenuItem::New(spec));
  }
  ui::TWindow* owner = OpenTree() != nullptr ? OpenTree()->Window() : nullptr;
  if (owner == nullptr) owner = ui::WndMain().get();
  if (owner == nullptr || owner->hWnd == nullptr) return std::nullopt;
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(owner->hWnd, &at);
  menu->Activate(at.y, at.x, *owner);
  return chosen;
}

// The dictionary's header designer on the report's header.
void Cabeceras(const std::string& code) {
  std::string header;
  for (const auto& row : Rows(TDictQZ::AliasOf("Informes"), {"INFORME", "CABECERA"}))
    if (Upper(row.at("INFORME")) == Upper(code)) header = row.at("CABECERA");
  CabInformes({}, header);
}

}  // namespace

void SetReportTreeHook(ReportTreeHook hook) { Hook() = std::move(hook); }
const ReportTreeHook& CurrentReportTreeHook() { return Hook(); }

bool DoInforme(InformeAction action, const std::string& code, AddChoice choice) {
  switch (action) {
    case InformeAction::kAdd: {
      if (choice == AddChoice{}) {
        const std::optional<AddChoice> asked = AskAdd();
        if (!asked) return false;
        choice = *asked;
      }
      bool added = false;
      if (choice == AddChoice::kInforme) {
        const auto [category, subcat] = OpenTree() != nullptr ? OpenTree()->Folder() : std::pair<std::string, std::string>{};
        added = Hook().mng_informes && Hook().mng_informes(false, {}, category, subcat);
      }
      else if (choice == AddChoice::kSubCategoria)
        added = EditRow(SubCategoryDialog(TDictQZ::AliasOf("SubCat"), TDictQZ::AliasOf("Categor"), true), true);
      else added = EditRow(CategoryDialog(TDictQZ::AliasOf("Categor"), true), true);
      if (added) ReloadOpen(code);
      return added;
    }
    case InformeAction::kModify:
      if (code.empty() || !Hook().mng_informes || !Hook().mng_informes(true, code, {}, {})) return false;
      ReloadOpen(code);
      return true;
    case InformeAction::kDelete:
      // MsgNoYes answers true for its first button, "No".
      if (code.empty() || ui::MsgNoYes(Value::String("¿ Desea eliminar el informe " + code + " ?"), "Atención, confirme"))
        return false;
      if (!DelInforme(code)) return false;
      ReloadOpen({});
      return true;
    case InformeAction::kColumns:
      if (code.empty()) return false;
      if (Hook().columnas) Hook().columnas(code);
      return false;
    case InformeAction::kRun: {
      if (code.empty()) return false;
      TInforme inf;
      inf.RunGenInforme(code);
      return false;
    }
    case InformeAction::kDuplicate:
      if (code.empty() || !Hook().duplicar || !Hook().duplicar(code)) return false;
      ReloadOpen(code);
      return true;
  }
  return false;
}

bool ActivateArbol(const std::string& folder) {
  DictionaryUse dict(folder);
  if (!dict.ok()) return false;
  TreeDialog tree("Informes", {"Categor", "CATEGORIA", "SubCat", "Informes", "INFORME", "No existen categorías."});
  const auto full = [](const std::string& code) { return Level(code) == "2"; };
  const auto any = [](const std::string& code) { return !code.empty(); };
  const auto act = [](InformeAction a) { return [a](const std::string& code) { DoInforme(a, code); }; };
  tree.buttons = {
      {"PBMPADD1", "(A)ñadir", act(InformeAction::kAdd), {}},
      {"PBMPMOD1", "(M)odificar", act(InformeAction::kModify), full},
      {"PBMPDEL1", "(E)liminar", act(InformeAction::kDelete), any},
      {"TD_CAMPOS", "(C)olumnas de este informe", act(InformeAction::kColumns), full},
      {"TI_RUNINFORME", "E(J)ecutar informe", act(InformeAction::kRun), any},
      {"PBMPCON1", "(D)uplicar informe", act(InformeAction::kDuplicate), any},
      {"TD_CABECERAS", "Ca(B)eceras de informes", [](const std::string& code) { Cabeceras(code); }, full},
  };
  tree.keys = "AMECJDB";
  TreeDialog* self = &tree;
  if (CurrentUser() == "00") {
    tree.buttons.push_back({"PBMPREM1", "Res(T)aurar informes",
                            [self](const std::string& code) {
                              if (RestauraInfTree()) self->Reload(code);
                            },
                            {}});
    tree.keys += "T";
  }
  tree.buttons.push_back({"PBMPEND1", "(S)alir", [self](const std::string&) { self->End(); }, {}});
  tree.keys += "S";
  return tree.Show();
}

bool DoGrafico(const std::string& code) {
  std::string function;
  bool found = false;
  for (const auto& row : Rows(TDictQZ::AliasOf("Graficos"), {"CODIGO", "FUNCION"})) {
    if (Upper(row.at("CODIGO")) != Upper(code) || code.empty()) continue;
    found = true;
    function = row.at("FUNCION");
    break;
  }
  if (!found) return false;
  if (function.empty()) return true;
  const bool keep = g_grafico_from_dict;
  g_grafico_from_dict = true;
  try {
    xb::EvalMacro(function);
  } catch (...) {
    g_grafico_from_dict = keep;
    throw;
  }
  g_grafico_from_dict = keep;
  return true;
}

bool lGraficoFromDict() { return g_grafico_from_dict; }

bool ArbolGraficos(const std::string& folder) {
  DictionaryUse dict(folder);
  if (!dict.ok()) return false;
  TreeDialog tree("Gráficos", {"GrafCat", "CODIGO", {}, "Graficos", "CODIGO", "No existen categorías de gráficos"});
  TreeDialog* self = &tree;
  tree.buttons = {
      {"TI_GRAFICOS", "E(J)ecutar Gráfico",
       [self](const std::string& code) {
         // A folder, or a graphic gone meanwhile: the tree is laid out again.
         if (!DoGrafico(code)) self->Reload(code);
       },
       {}},
      {"PBMPEND1", "(S)alir", [self](const std::string&) { self->End(); }, {}},
  };
  tree.keys = "JS";
  return tree.Show();
}

bool RestauraInfTree() {
  // The report tables must be free: a dictionary this program's tree opened lets them go
  // while they are checked.
  std::vector<std::string> delivered;
  if (xb::Ref<TDictQZ> own = TreeDictionary(); own && own->lAbierto && CurrentUser() == "00") {
    own->End();
    delivered = RestauraInf();
    own->Activate("I", false);
  } else {
    delivered = RestauraInf();
  }
  if (delivered.size() < 8) {
    CloseDelivered(delivered);
    return false;
  }
  // DInfo1 holds the delivered Informes, DInfo7 Categor and DInfo8 SubCat.
  TreeDialog tree("Restauración", {delivered[6], "CATEGORIA", delivered[7], delivered[0], "INFORME",
                                   "No existen categorías.", false});
  TreeDialog* self = &tree;
  tree.buttons = {
      {"PBMPREM1", "Restaura informe original",
       [&delivered](const std::string& code) {
         if (!code.empty()) RecuperaInf(delivered, code);
       },
       [](const std::string& code) { return !code.empty(); }},
      {"PBMPEND1", "(S)alir", [self](const std::string&) { self->End(); }, {}},
  };
  tree.keys = "RS";
  const bool shown = tree.Show();
  CloseDelivered(delivered);
  return shown;
}

std::vector<TreeButtonState> OpenTreeButtons() {
  return OpenTree() != nullptr ? OpenTree()->States() : std::vector<TreeButtonState>{};
}

bool OpenTreeKey(int key) { return OpenTree() != nullptr && OpenTree()->Key(key); }

bool EndOpenTree() {
  if (OpenTree() == nullptr) return false;
  OpenTree()->End();
  return true;
}

bool ConstruyeArbol(const std::string& select) {
  if (OpenTree() == nullptr) return false;
  OpenTree()->Reload(select);
  return true;
}

ui::TWindow* OpenTreeDialog() { return OpenTree() != nullptr ? OpenTree()->Dialog() : nullptr; }

void InstallReportTree() {
  ReportRunHook hook = CurrentReportRunHook();
  // The menu option of each shows as open while its window is.
  hook.show_list = [list = hook.show_list](bool tree, const std::string& folder) {
    if (!tree) {
      if (list) list(false, folder);
      return;
    }
    CheckMenuOption("Informes", true);
    ActivateArbol(folder);
    CheckMenuOption("Informes", false);
  };
  hook.show_graphics = [](const std::string& folder) {
    CheckMenuOption("InfGraficos", true);
    ArbolGraficos(folder);
    CheckMenuOption("InfGraficos", false);
  };
  hook.running = [previous = hook.running](bool running) {
    if (previous) previous(running);
    if (OpenTree() != nullptr) OpenTree()->Running(running);
  };
  SetReportRunHook(hook);
  SetReportTreeHook({.mng_informes =
                         [](bool edit, const std::string& code, const std::string& category, const std::string& subcat) {
                           return MngInformes(edit, code, category, subcat);
                         },
                     .columnas = [](const std::string& code) { Columnas(code); },
                     .duplicar = [](const std::string& code) { return DuplicateInformeDialog(code); }});
  // TI_LGRAFICOFROMDICT(): is a graphic running from the graphics tree?
  xb::RegisterFunction("TI_LGRAFICOFROMDICT", [](xb::Args&) { return Value::Logical(lGraficoFromDict()); });
}

}  // namespace reports
