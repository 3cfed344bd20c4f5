#include "reports/win/access_maps.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/access_rules.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/font_choice.h"
#include "services/menu_access.h"
#include "ui/controls/tlinklist.h"
#include "ui/controls/tree_builder.h"
#include "ui/controls/ttreeitem.h"
#include "ui/controls/twbrowse.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

constexpr int kTitle = 101;
constexpr int kBrowse = 110;
constexpr int kFont = 710;
constexpr int kSave = 510;
constexpr int kClose = 520;
constexpr int kHelp = 540;
constexpr COLORREF kDarkBlue = 8388608;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

std::string Text(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  if (pos == 0) return {};
  const Value v = area.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

std::string SelectedUser(const std::string& alias) {
  WorkArea* area = WorkAreas::Get().Area(WorkAreas::Get().AreaOfAlias(alias));
  if (area == nullptr) return {};
  std::string code = Text(*area, "CCODIGO");
  return code.empty() ? Text(*area, "CODIGO") : code;
}

bool RefuseSupervisor(const std::string& user) {
  if (user != kSupervisor) return false;
  data::Ui().MsgStop("El Supervisor no es configurable", " Acceso denegado");
  return true;
}

// A table of `folder` opened exclusively under `alias`, closed with this object.
class Exclusive {
 public:
  Exclusive(const std::string& path, const std::string& alias) : keep_(WorkAreas::Get().CurrentArea()) {
    data::NetUseOptions options;
    options.exclusive = true;
    options.alias = alias;
    if (data::lNetUse(path, options)) area_ = &WorkAreas::Get().Current();
    WorkAreas::Get().SelectArea(keep_);
  }
  ~Exclusive() {
    if (area_ != nullptr) area_->Close();
    WorkAreas::Get().SelectArea(keep_);
  }
  WorkArea* get() const { return area_; }

 private:
  int keep_;
  WorkArea* area_ = nullptr;
};

// Walks the area in its first order (natural order without one).
void EachRow(WorkArea& area, const std::function<void()>& f) {
  area.SetControllingOrder(area.OrderCount() > 0 ? 1 : 0);
  for (area.GoTop(); !area.eof(); area.Skip(1)) f();
  area.GoTop();
}

Value Picture(const char* name) {
  return xb::IsFunctionRegistered("XLOADBITMAP")
             ? xb::CallFunction("XLOADBITMAP", {Value::Integer(0), Value::String(name)})
             : Value();
}

// The map's pictures by level.
struct Pictures {
  Value enable = Picture("BMPENABLE");
  Value read_only = Picture("BMPREADONLY");
  Value disable = Picture("BMPDISABLE");
  const Value& Of(char level) const { return level == '2' ? enable : level == '1' ? read_only : disable; }
};

void Show(ui::TTreeItem& item, const Value& picture) {
  item.hBmpOpen = picture;
  item.hBmpClose = picture;
}

// The map's dialog: its title label, the tree browse and the buttons common to both maps.
class MapDialog {
 public:
  MapDialog(const Value& resource, const std::string& title, const std::string& header, int help_id)
      : dialog_(svc::ResourceDialog(resource, std::nullopt, help_id)) {
    ui::TFont::Spec font;
    font.face = "Arial";
    font.width = 8;
    font.height = 28;
    font.bold = true;
    label_font_ = ui::TFont::New(font);
    label_ = svc::Label(dialog_, kTitle, title, kDarkBlue);
    browse_ = xb::MakeRef<ui::TWBrowse>();
    // Over a first-level row: its tree line, its picture and its text.
    const xb::Array headers = xb::Array::Of({Value::String(""), Value::String(""), Value::String(header)});
    browse_->ReDefine(kBrowse, {.parent = dialog_, .headers = Value(headers)});
  }

  void Button(int id, std::function<void()> action) { buttons_.push_back(svc::Button(dialog_, id, std::move(action))); }

  void Run(xb::Ref<ui::TLinkList> tree, std::function<void()> save) {
    tree_ = std::move(tree);
    ui::TDialog* box = dialog_.get();
    ui::TWBrowse* browse = browse_.get();
    Button(kFont, [browse] { svc::SelFon(*browse); });
    Button(kSave, std::move(save));
    Button(kClose, [box] { box->End(IDCANCEL); });
    Button(kHelp, [box] { box->Help95(); });
    browse_->SetTree(*tree_);
    svc::RunDialog(dialog_, [this] {
      if (label_ && label_->hWnd != nullptr) SendMessageA(label_->hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(label_font_->hFont), TRUE);
      browse_->SetFocus();
      return false;
    });
    tree_->End();
  }

  ui::TTreeItem* Current() const {
    return browse_->Cargo.IsObject() ? dynamic_cast<ui::TTreeItem*>(browse_->Cargo.AsObject().get()) : nullptr;
  }
  void Repaint() { browse_->Refresh(false); }

 private:
  ui::DialogRef dialog_;
  xb::Ref<ui::TFont> label_font_;
  xb::Ref<ui::PlainControl> label_;
  xb::Ref<ui::TWBrowse> browse_;
  xb::Ref<ui::TLinkList> tree_;
  std::vector<xb::Ref<ui::TButton>> buttons_;
};

std::string CargoText(const ui::TTreeItem* item) {
  return item != nullptr && item->Cargo.IsString() ? std::string(item->Cargo.AsString()) : std::string();
}

}  // namespace

void UsrListados(const Value& user_browse, const std::string& user_alias, const std::string& table,
                 const std::string& title) {
  (void)user_browse;
  const std::string user = SelectedUser(user_alias);
  if (RefuseSupervisor(user)) return;
  Exclusive listados(data::cPathStart() + table, "MapListados");
  if (listados.get() == nullptr) return;
  WorkArea& area = *listados.get();
  std::map<std::string, char> levels;
  std::map<std::string, xb::Ref<ui::TTreeItem>> leaves;
  const Pictures pictures;
  Value tree_value = ui::TreeBegin("TRI_ABIERTO", "TRI_CERRADO");
  std::string last1, last2;
  int depth = 0;  // 1: under a first-level folder; 2: under a second-level one
  bool any = false;
  EachRow(area, [&] {
    const std::string level1 = Text(area, "NIVEL1");
    const std::string level2 = Text(area, "NIVEL2");
    const std::string code = Text(area, "CODIGO");
    if (!any || level1 != last1) {
      while (depth > 0) {
        ui::TreeEnd();
        --depth;
      }
      ui::TreeItem(svc::Traduce(level1), "TRI_CERRADO", "TRI_CERRADO", {}, {}, true);
      ui::TreeBegin("TRI_ABIERTO", "TRI_CERRADO");
      depth = 1;
      last1 = level1;
      last2.clear();
    }
    any = true;
    if (level2 != last2) {
      if (depth == 2) {
        ui::TreeEnd();
        depth = 1;
      }
      if (!level2.empty()) {
        ui::TreeItem(svc::Traduce(level2), "TRI_CERRADO", "TRI_CERRADO", {}, {}, true);
        ui::TreeBegin("TRI_ABIERTO", "TRI_CERRADO");
        depth = 2;
      }
      last2 = level2;
    }
    const char level = ListingAllows(Text(area, "ACCESOS"), user) ? '2' : '0';
    levels[code] = level;
    Value item = ui::TreeItem(svc::Traduce(Text(area, "TITULO")), "TRI_INFORME", {}, {}, {}, false);
    if (auto* leaf = item.IsObject() ? dynamic_cast<ui::TTreeItem*>(item.AsObject().get()) : nullptr) {
      leaf->Cargo = Value::String(code);
      Show(*leaf, pictures.Of(level));
      leaves[code] = xb::Ref<ui::TTreeItem>(leaf);
    }
  });
  while (depth > 0) {
    ui::TreeEnd();
    --depth;
  }
  tree_value = ui::TreeEnd();
  auto tree = xb::Ref<ui::TLinkList>(dynamic_cast<ui::TLinkList*>(tree_value.AsObject().get()));
  tree->OpenAll();

  MapDialog map(Value::Integer(20047), title, "Arbol desglose de listados", 999000007);
  const auto set = [&](const std::string& code, char level) {
    if (!levels.contains(code)) return;
    levels[code] = level;
    Show(*leaves[code], pictures.Of(level));
  };
  map.Button(400, [&] { set(CargoText(map.Current()), '2'); map.Repaint(); });
  map.Button(401, [&] { set(CargoText(map.Current()), '0'); map.Repaint(); });
  map.Button(402, [&] { for (auto& [code, level] : levels) set(code, '2'); map.Repaint(); });
  map.Button(403, [&] { for (auto& [code, level] : levels) set(code, '0'); map.Repaint(); });
  map.Run(tree, [&] { SaveListingMap("MapListados", levels, user); });
}

void UsrInformes(const Value& user_browse, const std::string& user_alias) {
  (void)user_browse;
  const std::string user = SelectedUser(user_alias);
  if (RefuseSupervisor(user)) return;
  const std::string folder = data::cPathInforme();
  Exclusive informes(folder + "Informes", "MapInformes");
  if (informes.get() == nullptr) return;
  Exclusive categor(folder + "Categor", "MapCategor");
  if (categor.get() == nullptr) return;
  Exclusive subcat(folder + "SubCat", "MapSubCat");
  if (subcat.get() == nullptr) return;

  struct Report {
    std::string code, category, subcategory, description;
    char level;
  };
  std::vector<Report> reports;
  EachRow(*informes.get(), [&] {
    WorkArea& a = *informes.get();
    reports.push_back({Text(a, "INFORME"), Upper(Text(a, "CATEGORIA")), Upper(Text(a, "SUBCAT")), Text(a, "DESCRIPC"),
                       ReportLevel(Text(a, "ACCESO1") + Text(a, "ACCESO2"), user)[0]});
  });
  std::vector<std::pair<std::string, std::string>> categories;  // code, description
  EachRow(*categor.get(), [&] { categories.emplace_back(Upper(Text(*categor.get(), "CATEGORIA")), Text(*categor.get(), "DESCRIPC")); });
  if (categories.empty()) {
    data::Ui().MsgInfo("No existen categorías.", " Atención");
    return;
  }
  std::vector<std::tuple<std::string, std::string, std::string>> subcategories;  // category, code, description
  EachRow(*subcat.get(), [&] {
    subcategories.emplace_back(Upper(Text(*subcat.get(), "CATEGORIA")), Upper(Text(*subcat.get(), "SUBCAT")),
                               Text(*subcat.get(), "DESCRIPC"));
  });

  std::map<std::string, char> levels;
  std::map<std::string, xb::Ref<ui::TTreeItem>> leaves;
  const Pictures pictures;
  const auto leaf = [&](const Report& r) {
    levels[r.code] = r.level;
    Value item = ui::TreeItem(r.description, "TRI_INFORME", {}, {}, {}, false);
    if (auto* it = item.IsObject() ? dynamic_cast<ui::TTreeItem*>(item.AsObject().get()) : nullptr) {
      it->Cargo = Value::String("R" + r.code);
      Show(*it, pictures.Of(r.level));
      leaves[r.code] = xb::Ref<ui::TTreeItem>(it);
    }
  };
  Value tree_value = ui::TreeBegin("TRI_ABIERTO", "TRI_CERRADO");
  for (const auto& [category, description] : categories) {
    Value folder_item = ui::TreeItem(description, "TRI_CERRADO", "TRI_CERRADO", {}, {}, true);
    if (folder_item.IsObject()) dynamic_cast<ui::TTreeItem*>(folder_item.AsObject().get())->Cargo = Value::String("C" + category);
    ui::TreeBegin("TRI_ABIERTO", "TRI_CERRADO");
    for (const auto& [cat, sub, sub_description] : subcategories) {
      if (cat != category) continue;
      Value sub_item = ui::TreeItem(sub_description, "TRI_CERRADO", "TRI_CERRADO", {}, {}, true);
      if (sub_item.IsObject()) dynamic_cast<ui::TTreeItem*>(sub_item.AsObject().get())->Cargo = Value::String("S" + category + "|" + sub);
      ui::TreeBegin("TRI_ABIERTO", "TRI_CERRADO");
      for (const Report& r : reports)
        if (r.category == category && r.subcategory == sub) leaf(r);
      ui::TreeEnd();
    }
    // Under the category too, its reports whose subcategory has no row.
    const auto listed_sub = [&](const Report& r) {
      return std::any_of(subcategories.begin(), subcategories.end(), [&](const auto& s) {
        return std::get<0>(s) == r.category && std::get<1>(s) == r.subcategory;
      });
    };
    for (const Report& r : reports)
      if (r.category == category && (r.subcategory.empty() || !listed_sub(r))) leaf(r);
    ui::TreeEnd();
  }
  // Reports whose category has no row stand at the first level, so "all reports" reaches them.
  for (const Report& r : reports)
    if (std::none_of(categories.begin(), categories.end(), [&](const auto& c) { return c.first == r.category; })) leaf(r);
  tree_value = ui::TreeEnd();
  auto tree = xb::Ref<ui::TLinkList>(dynamic_cast<ui::TLinkList*>(tree_value.AsObject().get()));
  tree->OpenAll();

  MapDialog map(Value::String("MAPINFORME"), "Listados e informes", "Arbol desglose de listados e informes", 0);
  const auto set = [&](const std::string& code, char level) {
    if (!levels.contains(code)) return;
    levels[code] = level;
    Show(*leaves[code], pictures.Of(level));
  };
  // The reports under the selected category or subcategory.
  const auto group = [&](char level) {
    const std::string cargo = CargoText(map.Current());
    if (cargo.empty() || cargo[0] == 'R') return;
    const std::string category = cargo.substr(1, cargo.find('|') == std::string::npos ? std::string::npos : cargo.find('|') - 1);
    const std::string sub = cargo[0] == 'S' ? cargo.substr(cargo.find('|') + 1) : std::string();
    for (const Report& r : reports)
      if (r.category == category && (cargo[0] == 'C' || r.subcategory == sub)) set(r.code, level);
  };
  const auto one = [&](char level) {
    const std::string cargo = CargoText(map.Current());
    if (!cargo.empty() && cargo[0] == 'R') set(cargo.substr(1), level);
  };
  for (int i = 0; i < 3; ++i) {
    const char level = "210"[i];
    map.Button(400 + i, [&, level] { one(level); map.Repaint(); });
    map.Button(403 + i, [&, level] { group(level); map.Repaint(); });
    map.Button(406 + i, [&, level] { for (auto& [code, l] : levels) set(code, level); map.Repaint(); });
  }
  map.Run(tree, [&] { SaveReportMap("MapInformes", levels, user); });
}

void RegisterAccessMaps() {
  // USRLISTADOS(oBrw, cAlias, cTabla, cTitulo)
  xb::RegisterFunction("USRLISTADOS", [](xb::Args& a) {
    UsrListados(a.Arg(1), std::string(xb::AllTrim(a.Str(2))), a.Str(3).empty() ? "Listados" : std::string(a.Str(3)),
                a.Str(4).empty() ? "Listados" : std::string(a.Str(4)));
    return Value();
  });
  // USRINFORMES(oBrw, cAlias)
  xb::RegisterFunction("USRINFORMES", [](xb::Args& a) {
    UsrInformes(a.Arg(1), std::string(xb::AllTrim(a.Str(2))));
    return Value();
  });
  // MAPLISTADOS and MAPINFORME: the two maps by their own names, with the same arguments.
  xb::RegisterFunction("MAPLISTADOS", [](xb::Args& a) {
    UsrListados(a.Arg(1), std::string(xb::AllTrim(a.Str(2))), a.Str(3).empty() ? "Listados" : std::string(a.Str(3)),
                a.Str(4).empty() ? "Listados" : std::string(a.Str(4)));
    return Value();
  });
  xb::RegisterFunction("MAPINFORME", [](xb::Args& a) {
    UsrInformes(a.Arg(1), std::string(xb::AllTrim(a.Str(2))));
    return Value();
  });
  // CREACOMPBMP(hDC, nWidth, nHeight)
  xb::RegisterFunction("CREACOMPBMP", [](xb::Args& a) {
    HDC dc = reinterpret_cast<HDC>(static_cast<INT_PTR>(a.Int(1)));
    return Value::Integer(reinterpret_cast<INT_PTR>(
        CreateCompatibleBitmap(dc, static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)))));
  });
  // COPIABITS(hDCDest, nX, nY, nWidth, nHeight, hDCSrc, nXSrc, nYSrc, nRop)
  xb::RegisterFunction("COPIABITS", [](xb::Args& a) {
    return Value::Logical(BitBlt(reinterpret_cast<HDC>(static_cast<INT_PTR>(a.Int(1))), static_cast<int>(a.Int(2)),
                                 static_cast<int>(a.Int(3)), static_cast<int>(a.Int(4)), static_cast<int>(a.Int(5)),
                                 reinterpret_cast<HDC>(static_cast<INT_PTR>(a.Int(6))), static_cast<int>(a.Int(7)),
                                 static_cast<int>(a.Int(8)), static_cast<DWORD>(a.Int(9, SRCCOPY))) != FALSE);
  });
}

}  // namespace reports
