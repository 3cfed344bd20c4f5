#include "reports/win/listing_tree.h"

#include <windows.h>
#include <commctrl.h>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/access_rules.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/menu_access.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/timagelist.h"
#include "ui/controls/tqztreeview.h"
#include "ui/core/tmenuitem.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

constexpr int kTree = 100;
constexpr int kRun = 410;
constexpr int kLeave = 411;

std::string Text(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  if (pos == 0) return {};
  const Value v = area.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

// A row's VISIBLE expression: shown when empty, when it does not compile or fails, or when
// it answers true.
bool Visible(const std::string& expression) {
  if (expression.empty()) return true;
  const auto block = xb::TryCompileBlock(expression);
  if (!block) return true;
  Value result = Value::Logical(true);
  xb::ErrorBlockScope trap(Value(xb::Block::Native([](xb::Args&) -> Value { xb::Break(Value::Logical(true)); })));
  xb::BeginSequence([&] { result = block->Eval({}); }, [&](const Value&) { result = Value::Logical(true); });
  return !result.IsLogical() || result.AsLogical();
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

class ListingTree {
 public:
  ListingTree(const ListingTreeOptions& options, std::string alias) : options_(options), alias_(std::move(alias)) {}

  bool Show() {
    WorkArea* area = WorkAreas::Get().Area(WorkAreas::Get().AreaOfAlias(alias_));
    if (area == nullptr) return false;
    Collect(*area);
    if (rows_.empty()) {
      data::Ui().MsgInfo("No existen listados.", "Atención");
      return false;
    }
    ui::TDialog::NewParams p;
    p.resource = Value::String("TI_ARBOL_TREEVIEW");
    p.caption = options_.title;
    ui::TFont::Spec font;
    font.face = std::string(data::cFontName());
    font.width = data::nFontVSize();
    font.height = data::nFontHSize() < 0 ? data::nFontHSize() - 2 : data::nFontHSize() + 2;
    p.font = ui::TFont::New(font);
    dialog_ = xb::MakeRef<ui::TDialog>();
    dialog_->New(p);
    tree_ = xb::MakeRef<ui::TQZTreeView>();
    tree_->ReDefine({.id = kTree, .parent = dialog_});
    tree_->bLDblClick = svc::Action([this] { RunSelected(); });
    tree_->bKeyChar = Value(xb::Block::Native([this](xb::Args& a) {
      if (std::toupper(static_cast<int>(a.Int(1))) == 'J') RunSelected();
      return Value();
    }));
    ui::TBtnBmp::RedefineParams run;
    run.pictures.resource1 = "TI_RunInforme";
    run.caption = "Ejecutar";
    run.action = svc::Action([this] { RunSelected(); });
    run_ = ui::TBtnBmp::ReDefine(kRun, dialog_, run);
    run_->nLineStyle = 0;  // the picture on the left, the caption beside it
    ui::TDialog* box = dialog_.get();
    svc::Button(dialog_, kLeave, [box] { box->End(IDCANCEL); });
    ui::TDialog::ActivateParams activate;
    activate.modal = !options_.non_modal;
    activate.centered = true;
    activate.init = svc::Action([this] { Build(); });
    // The option's mark goes when the dialog closes, modal or not.
    const std::string name = options_.name;
    activate.valid = Value(xb::Block::Native([name](xb::Args&) {
      CheckMenuOption(name, false);
      return Value::Logical(true);
    }));
    CheckMenuOption(options_.name, true);
    dialog_->Activate(activate);
    return true;
  }

  const ui::DialogRef& dialog() const { return dialog_; }

 private:
  struct Row {
    std::string level1, level2, title, code;
  };

  void Collect(WorkArea& area) {
    const int keep = WorkAreas::Get().CurrentArea();
    WorkAreas::Get().SelectArea(area.number());
    area.SetControllingOrder(area.OrderCount() > 0 ? 1 : 0);
    for (area.GoTop(); !area.eof(); area.Skip(1)) {
      if (!Visible(Text(area, "VISIBLE"))) continue;
      rows_.push_back({Text(area, "NIVEL1"), Text(area, "NIVEL2"), Text(area, "TITULO"), Text(area, "CODIGO")});
    }
    area.GoTop();
    WorkAreas::Get().SelectArea(keep);
  }

  void Build() {
    tree_->SetImageList(TreeImages());
    xb::Ref<ui::TTVItemQZ> first, second;
    std::string last1, last2;
    bool any = false;
    for (const Row& r : rows_) {
      if (!any || r.level1 != last1) {
        first = tree_->Add(svc::Traduce(r.level1), 0, 0, 1);
        last1 = r.level1;
        last2.clear();
        second = nullptr;
      }
      any = true;
      xb::Ref<ui::TTVItemQZ> parent = first;
      if (!r.level2.empty()) {
        if (!second || r.level2 != last2) {
          second = first->Add(svc::Traduce(r.level2), 0, 0, 1);
          last2 = r.level2;
        }
        parent = second;
      }
      auto leaf = parent->Add(svc::Traduce(r.title), 2, 2, 2);
      leaf->Cargo = Value::String(r.code);
    }
    tree_->Expand();
  }

  void RunSelected() {
    ui::TTVItemQZ* item = tree_ ? tree_->GetSelected() : nullptr;
    if (item == nullptr || !item->Cargo.IsString()) return;  // a folder
    RunListing(alias_, std::string(item->Cargo.AsString()));
  }

  ListingTreeOptions options_;
  std::string alias_;
  std::vector<Row> rows_;
  ui::DialogRef dialog_;
  xb::Ref<ui::TQZTreeView> tree_;
  xb::Ref<ui::TBtnBmp> run_;
};

// The trees left open without a modal loop, kept until their window goes.
std::vector<std::unique_ptr<ListingTree>>& OpenTrees() {
  static std::vector<std::unique_ptr<ListingTree>> trees;
  return trees;
}

}  // namespace

void CheckMenuOption(const std::string& name, bool on) {
  const int position = svc::FindMenuOption(name);
  const svc::MenuOption* option = position > 0 ? svc::MenuOptionAt(position) : nullptr;
  if (option != nullptr && option->item) option->item->SetCheck(on);
}

void RunListing(const std::string& alias, const std::string& code) {
  WorkArea* area = WorkAreas::Get().Area(WorkAreas::Get().AreaOfAlias(alias));
  if (area == nullptr) return;
  if (!cAccesoListado(alias, code, false, true, {})) {
    data::Ui().MsgAlert("No dispone de permisos para ejecutar este listado.", " Atención");
    return;
  }
  const std::string function = Text(*area, "FUNCION");
  if (function.empty()) {
    data::Ui().MsgInfo("Empty", "Atención");
    return;
  }
  const Value block = Value(xb::MacroBlock("{ || " + function + "}"));
  if (block.IsBlock()) block.AsBlock().Eval({});
}

bool ArbolDeListados(const ListingTreeOptions& options) {
  std::erase_if(OpenTrees(), [](const auto& t) { return !t->dialog() || t->dialog()->hWnd == nullptr; });
  const int keep = WorkAreas::Get().CurrentArea();
  const std::string alias = options.table;
  if (WorkAreas::Get().AreaOfAlias(alias) == 0) {
    data::NetUseOptions open;
    open.alias = alias;
    if (!data::lNetUse(data::cPathStart() + options.table, open)) {
      WorkAreas::Get().SelectArea(keep);
      return false;
    }
  }
  WorkAreas::Get().SelectArea(keep);
  auto tree = std::make_unique<ListingTree>(options, alias);
  const bool shown = tree->Show();
  if (shown && options.non_modal) OpenTrees().push_back(std::move(tree));
  return shown;
}

void RegisterListingTree() {
  // ARBOLDELISTADOS(lNoModal, cTabla, cNombre, cTitulo)
  xb::RegisterFunction("ARBOLDELISTADOS", [](xb::Args& a) {
    ListingTreeOptions o;
    o.non_modal = a.Log(1);
    if (!a.Str(2).empty()) o.table = std::string(xb::AllTrim(a.Str(2)));
    if (!a.Str(3).empty()) o.name = std::string(xb::AllTrim(a.Str(3)));
    if (!a.Str(4).empty()) o.title = std::string(a.Str(4));
    return Value::Logical(ArbolDeListados(o));
  });
}

}  // namespace reports
