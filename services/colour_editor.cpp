#include "services/colour_editor.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/font_choice.h"
#include "services/menu_access.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/controls/browse_paint.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tget.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/window_table.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kOption = "Colores";
constexpr int kHelpTopic = 999000005;
constexpr int kSchemeDialog = 20010;
constexpr int kLookDialog = 20011;
constexpr const char* kColorWAlias = "ColorW";
constexpr const char* kFontsAlias = "Fonts";

std::uint32_t Sys(int index) { return ::GetSysColor(index); }

// The sample browse of both dialogs: three columns, three rows.
xb::Ref<ui::TWBrowse> SampleBrowse(const ui::DialogRef& dialog) {
  auto browse = xb::MakeRef<ui::TWBrowse>();
  browse->ReDefine(300, {.parent = dialog,
                         .headers = Value(xb::Array::Of({Value::String("Campo1"), Value::String("Campo2"),
                                                         Value::String("Campo3")})),
                         .col_sizes = Value(xb::Array::Of({Value::Integer(80), Value::Integer(80), Value::Integer(80)}))});
  xb::Array rows = xb::Array::New();
  for (int r = 1; r <= 3; ++r) {
    const Value cell = Value::String("Dato" + std::to_string(r));
    rows.Append(Value(xb::Array::Of({cell, cell, cell})));
  }
  browse->SetArray(rows);
  ui::TWBrowse* b = browse.get();
  browse->bLine = Value(xb::Block::Native([rows, b](Args&) {
    const int at = std::clamp(b->nAt, 1, static_cast<int>(rows.size()));
    return rows[at - 1];
  }));
  return browse;
}

LOGFONTA LogFontOf(const FontDesc& font) {
  LOGFONTA f{};
  std::memcpy(f.lfFaceName, font.face.data(), std::min<std::size_t>(font.face.size(), LF_FACESIZE - 1));
  f.lfWidth = static_cast<LONG>(std::lround(font.width));
  f.lfHeight = font.height;
  f.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  f.lfItalic = font.italic;
  return f;
}

void EnableControl(HWND dialog, int id, bool on) {
  if (HWND control = ::GetDlgItem(dialog, id)) ::EnableWindow(control, on ? TRUE : FALSE);
}

}  // namespace

std::uint32_t* SchemeColour(ColorScheme& s, int button) {
  switch (button) {
    case 400: return &s.desktop;
    case 401: return &s.enable_text;
    case 402: return &s.enable_back;
    case 403: return &s.disable_text;
    case 404: return &s.disable_back;
    case 405: return &s.say;
    case 304: return &s.grid;
    case 305: return &s.header_text;
    case 306: return &s.header_back;
    case 307: return &s.text;
    case 308: return &s.pane;
    case 310: return &s.odd_text;
    case 311: return &s.odd_back;
    case 312: return &s.even_text;
    case 313: return &s.even_back;
    case 316: return &s.focus_text;
    case 317: return &s.focus_back;
    default: return nullptr;
  }
}

void SetSchemeColour(ColorScheme& scheme, int button, COLORREF colour) {
  if (std::uint32_t* slot = SchemeColour(scheme, button)) *slot = colour;
}

void DefaultColours(ColorScheme& s) {
  s.desktop = Sys(COLOR_WINDOW);
  s.enable_text = Sys(COLOR_WINDOWTEXT);
  s.enable_back = 16777215;
  s.disable_text = Sys(COLOR_GRAYTEXT);
  s.disable_back = Sys(COLOR_BTNFACE);
  s.say = Sys(COLOR_WINDOWTEXT);
  s.font_titulo = s.font_linea = s.font_stotal = s.font_total = 1;
  s.line_style = 5;
  s.alternate = true;
  s.grid = 6842472;
  s.header_text = 0;
  s.header_back = 13292503;
  s.focus_text = 16777215;
  s.focus_back = 8750724;
  s.pane = 15396845;
  s.text = 0;
  s.odd_back = 16777215;
  s.even_back = 15396845;
  s.odd_text = s.even_text = 0;
  s.row_spacing = 5;
  s.classic = false;
}

void DefaultWorkingFont(ColorScheme& s) {
  s.font = DefaultScheme().font;
  s.font.bold = false;
  s.font.italic = false;
}

void DefaultBrowseLook(ColorScheme& s) {
  s.line_style = 5;
  s.grid = 6842472;
}

void SetWorkingFont(ColorScheme& s, const LOGFONTA& font) {
  s.font.face = std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
  s.font.width = font.lfWidth;
  s.font.height = font.lfHeight;
  s.font.bold = font.lfWeight >= FW_BOLD;
  s.font.italic = font.lfItalic != 0;
}

void SetNoLines(ColorScheme& s, bool no_lines) { s.line_style = no_lines ? 0 : 5; }

bool LookControlEnabled(const ColorScheme& s, int id) {
  const bool colour = SchemeColour(const_cast<ColorScheme&>(s), id) != nullptr;
  if (colour && s.classic) return false;
  if ((id == 302 || id == 303 || id == 304) && s.line_style == 0) return false;
  if (id >= 310 && id <= 313 && !s.alternate) return false;
  return true;
}

void ShowLook(ui::TWBrowse& b, const ColorScheme& s) {
  if (s.classic) {
    b.lWClassic(false);
  } else {
    b.nLineStyle = s.line_style;
    b.nXClrPane = s.pane;
    b.nxClrText = s.text;
    b.SetColor(s.text, s.pane);
    b.nClrForeHead = s.header_text;
    b.nClrBackHead = s.header_back;
    b.nClrBackFocus = s.focus_back;
    b.nClrForeFocus = s.focus_text;
    b.nxClrLine = s.grid;
    b.nClrTRow1 = s.odd_text;
    b.nClrPRow1 = s.odd_back;
    b.nClrTRow2 = s.even_text;
    b.nClrPRow2 = s.even_back;
    b.lAlterClr = s.alternate;
    b.nHLine = s.row_spacing;
  }
  if (b.hWnd != nullptr) b.Refresh();
}

bool SaveScheme(const ColorScheme& scheme, const std::string& colorw_alias, const std::string& fonts_alias,
                const std::string& user_code) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = areas.AreaOfAlias(colorw_alias);
  if (area == 0) return false;
  {
    SelectedAreaScope keep;
    areas.SelectArea(area);
    SelectOrder(1);
    if (!Seek(Value::String(user_code)) || !data::lNetRecLock()) return false;
    WriteScheme(scheme);
    Area().Commit();
    Area().Unlock(Area().recno());
  }
  ApplyScheme(scheme, fonts_alias);
  // The desktop: the main window's client area (its MDI client's, when it has one).
  if (auto* main = dynamic_cast<ui::TWindow*>(data::oWnd().AsObject().get()); main != nullptr && main->hWnd != nullptr) {
    main->SetColor(main->nClrText, scheme.desktop);
    HWND client = ::FindWindowExA(main->hWnd, nullptr, "MDICLIENT", nullptr);
    if (client != nullptr) {
      if (const ui::WindowRef w = ui::OWndFromHwnd(client)) w->SetColor(w->nClrText, scheme.desktop);
      ::InvalidateRect(client, nullptr, TRUE);
    }
    ::InvalidateRect(main->hWnd, nullptr, TRUE);
  }
  return true;
}

// ---- the browse-look dialog -----------------------------------------------------------------------

namespace {

constexpr int kLookIds[] = {301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312, 313, 314, 315, 316, 317};

class LookDialog {
 public:
  LookDialog(ColorScheme& scheme, ui::WindowRef owner) : target_(scheme), s_(scheme), owner_(std::move(owner)) {}

  bool Run() {
    dialog_ = ResourceDialog(Value::Integer(kLookDialog), std::nullopt, kHelpTopic, owner_);
    browse_ = SampleBrowse(dialog_);
    browse_->SetFont(FontOf(LogFontOf(s_.font)));
    for (int id : kLookIds) {
      if (SchemeColour(s_, id) != nullptr) {
        Button(dialog_, id, [this, id] { ChooseColour(id); });
      } else if (id != 315) {
        auto control = xb::MakeRef<ui::PlainControl>();
        control->Redefine(id, dialog_);
        control->on_click = [this, id] { Clicked(id); };
        plain_.push_back(control);
      }
    }
    spacing_ = ui::SetGet::Of(Value::Integer(s_.row_spacing));
    spacing_get_ = xb::MakeRef<ui::TGet>();
    spacing_get_->ReDefine(315, {.set_get = spacing_.block,
                                 .parent = dialog_,
                                 .picture = "99",
                                 .valid = Value(xb::Block::Native([this](Args&) {
                                   s_.row_spacing = static_cast<int>(spacing_.Get().AsInt());
                                   Show();
                                   return Value::Logical(true);
                                 }))});
    ui::TDialog* d = dialog_.get();
    Button(dialog_, 540, [d] { d->HelpTopic(); });
    Button(dialog_, 500, [this] {
      if (spacing_get_->hWnd != nullptr) spacing_get_->Assign();
      s_.row_spacing = static_cast<int>(spacing_.Get().AsInt());
      accepted_ = true;
      dialog_->End(IDOK);
    });
    Button(dialog_, 501, [d] { d->End(IDCANCEL); });
    RunDialog(dialog_, [this] {
      Show();
      return true;
    });
    if (accepted_) target_ = s_;
    return accepted_;
  }

 private:
  void ChooseColour(int id) {
    SetSchemeColour(s_, id, ui::ChooseColorDialog(*SchemeColour(s_, id)));
    Show();
  }

  void Clicked(int id) {
    const bool checked = ::IsDlgButtonChecked(dialog_->hWnd, id) == BST_CHECKED;
    switch (id) {
      case 301: SetNoLines(s_, checked); break;
      case 302: s_.line_style = ui::kLineSolid; break;
      case 303: s_.line_style = ui::kLineDotted; break;
      case 309: s_.alternate = checked; break;
      case 314: s_.classic = checked; break;
    }
    Show();
  }

  // The controls' states and the sample as the working scheme has them.
  void Show() {
    HWND h = dialog_->hWnd;
    if (h == nullptr) return;
    ::CheckDlgButton(h, 301, s_.line_style == 0 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckRadioButton(h, 302, 303, s_.line_style == ui::kLineDotted ? 303 : 302);
    ::CheckDlgButton(h, 309, s_.alternate ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(h, 314, s_.classic ? BST_CHECKED : BST_UNCHECKED);
    for (int id : kLookIds) EnableControl(h, id, LookControlEnabled(s_, id));
    ShowLook(*browse_, s_);
  }

  ColorScheme& target_;
  ColorScheme s_;
  ui::WindowRef owner_;
  ui::DialogRef dialog_;
  xb::Ref<ui::TWBrowse> browse_;
  std::vector<xb::Ref<ui::PlainControl>> plain_;
  ui::SetGet spacing_;
  xb::Ref<ui::TGet> spacing_get_;
  bool accepted_ = false;
};

}  // namespace

bool BrowseLook(ColorScheme& scheme, ui::WindowRef owner) { return LookDialog(scheme, std::move(owner)).Run(); }

// ---- the scheme editor -------------------------------------------------------------------------------

namespace {

constexpr int kListingLabels[] = {91, 92, 93, 94};
constexpr const char* kListingTexts[] = {"Títulos de columnas", "Líneas de listado", "Subtotales de listado",
                                         "Totales de listado"};

// The font of a number in the `Fonts` table open under the alias; none when it is not there.
std::optional<std::pair<LOGFONTA, COLORREF>> ListingFont(int number) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = areas.AreaOfAlias(kFontsAlias);
  if (area == 0) return std::nullopt;
  SelectedAreaScope keep;
  areas.SelectArea(area);
  const data::AreaStatus status = data::aSetStatus();
  SelectOrder(1);
  std::optional<std::pair<LOGFONTA, COLORREF>> found;
  if (Seek(Value::Integer(number))) {
    FontDesc d{std::string(xb::RTrim(FieldText("CFACENAME"))), FieldNumber("NWIDTH"),
               static_cast<int>(FieldNumber("NHEIGHT")), FieldLogical("LBOLD"), FieldLogical("LITALIC")};
    found = std::pair{LogFontOf(d), static_cast<COLORREF>(FieldNumber("NCOLOR"))};
  }
  data::GetStatus({}, status);
  return found;
}

class SchemeEditor {
 public:
  explicit SchemeEditor(ColorScheme scheme) : s_(std::move(scheme)) {}

  void Run() {
    dialog_ = ResourceDialog(Value::Integer(kSchemeDialog), std::nullopt, kHelpTopic);
    enabled_value_ = ui::SetGet::Of(Value::String("Campo activo        "));
    disabled_value_ = ui::SetGet::Of(Value::String("Campo inactivo      "));
    enabled_ = xb::MakeRef<ui::TGet>();
    enabled_->ReDefine(100, {.set_get = enabled_value_.block, .parent = dialog_});
    disabled_ = xb::MakeRef<ui::TGet>();
    disabled_->ReDefine(110, {.set_get = disabled_value_.block, .parent = dialog_, .read_only = true});
    say_ = Label(dialog_, 90, "Textos informativos", s_.say);
    Label(dialog_, 89, "Listados ( color y fuente )");
    for (int i = 0; i < 4; ++i) listing_[i] = Label(dialog_, kListingLabels[i], kListingTexts[i]);
    working_ = Label(dialog_, 95, "");
    browse_ = SampleBrowse(dialog_);
    for (int id = 400; id <= 405; ++id) Button(dialog_, id, [this, id] { ChooseColour(id); });
    int* numbers[] = {&s_.font_titulo, &s_.font_linea, &s_.font_stotal, &s_.font_total};
    for (int i = 0; i < 4; ++i)
      Button(dialog_, 406 + i, [this, i, number = numbers[i]] {
        *number = SelectFont(*number, listing_[i].get());
        Show();
      });
    Button(dialog_, 410, [this] {
      const ui::ChosenFont chosen = ui::ChooseFontDialog({.font = LogFontOf(s_.font)});
      if (chosen.confirmed) SetWorkingFont(s_, chosen.font);
      Show();
    });
    Button(dialog_, 411, [this] {
      BrowseLook(s_, dialog_);
      Show();
    });
    Button(dialog_, 510, [this] {
      DefaultColours(s_);
      Show();
    });
    Button(dialog_, 511, [this] {
      DefaultWorkingFont(s_);
      Show();
    });
    Button(dialog_, 512, [this] {
      DefaultBrowseLook(s_);
      Show();
    });
    ui::TDialog* d = dialog_.get();
    Button(dialog_, 500, [this] {
      if (SaveScheme(s_, kColorWAlias, kFontsAlias, cCodUser())) dialog_->End(IDOK);
    });
    Button(dialog_, 501, [d] { d->End(IDCANCEL); });
    Button(dialog_, 540, [d] { d->HelpTopic(); });
    RunDialog(dialog_, [this] {
      Show();
      return true;
    });
  }

 private:
  void ChooseColour(int id) {
    SetSchemeColour(s_, id, ui::ChooseColorDialog(*SchemeColour(s_, id)));
    Show();
  }

  void Show() {
    if (dialog_->hWnd == nullptr) return;
    enabled_->SetColor(s_.enable_text, s_.enable_back);
    disabled_->SetColor(s_.disable_text, s_.disable_back);
    say_->SetColor(s_.say, dialog_->nClrPane);
    const int numbers[] = {s_.font_titulo, s_.font_linea, s_.font_stotal, s_.font_total};
    for (int i = 0; i < 4; ++i) {
      std::string text = kListingTexts[i];
      if (const auto font = ListingFont(numbers[i])) {
        text += ": " + FontDescription(font->first.lfFaceName, font->first.lfHeight, font->first.lfWeight >= FW_BOLD,
                                       font->first.lfItalic != 0);
        listing_[i]->SetFont(FontOf(font->first));
        listing_[i]->SetColor(font->second, dialog_->nClrPane);
      }
      listing_[i]->SetText(text);
    }
    working_->SetText(FontDescription(s_.font.face, s_.font.height, s_.font.bold, s_.font.italic));
    working_->SetFont(FontOf(LogFontOf(s_.font)));
    browse_->SetFont(FontOf(LogFontOf(s_.font)));
    ShowLook(*browse_, s_);
    ::InvalidateRect(dialog_->hWnd, nullptr, TRUE);
  }

  ColorScheme s_;
  ui::DialogRef dialog_;
  ui::SetGet enabled_value_, disabled_value_;
  xb::Ref<ui::TGet> enabled_, disabled_;
  xb::Ref<ui::PlainControl> say_, working_;
  xb::Ref<ui::PlainControl> listing_[4];
  xb::Ref<ui::TWBrowse> browse_;
};

}  // namespace

void Colores() {
  int position = 0;
  if (!lChkMenu(kOption, &position) || !lFreeMenu()) return;
  // The report dictionary's indexes made again where one is missing.
  const Value folder = xb::IsFunctionRegistered("CDIRINFO") ? Call("CDIRINFO") : Value::String(data::cPathInforme());
  CallIfThere("DICTREINDEX", {folder});
  const std::string fonts = FontsTable();
  SelectedAreaScope keep;
  OpenedArea colorw, fonts_area;
  if (!OpenTable(ColorWTable(), kColorWAlias, false)) return;
  colorw.Adopt();
  if (FileExists(DbfOf(fonts)) && OpenTable(fonts, kFontsAlias, false)) fonts_area.Adopt();
  colorw.Select();
  SelectOrder(1);
  // The user's record; the default one when he has none.
  if (!Seek(Value::String(cCodUser())) && !SaveColors(kColorWAlias, true, cCodUser(), kFontsAlias, false)) return;
  colorw.Select();
  SelectOrder(1);
  if (!Seek(Value::String(cCodUser()))) return;
  const ColorScheme scheme = ReadScheme();

  const MenuOption* option = MenuOptionAt(position);
  if (option != nullptr && option->item) option->item->SetCheck(true);
  SchemeEditor(scheme).Run();
  colorw.Close();
  fonts_area.Close();
  if (option != nullptr && option->item) option->item->SetCheck(false);
  CargaColores();
}

void RegisterColourEditorFunctions() {
  xb::RegisterFunction("COLORES", [](Args&) {
    Colores();
    return Value();
  });
}

}  // namespace svc
