#include "services/user_look.h"

#include <windows.h>

#include <array>
#include <cmath>

#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "ui/core/tfont.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

struct Slot {
  Look look;
  const char* name;
  Value fallback;  // NIL: none
};

Value Int(std::int64_t n) { return Value::Integer(n); }

const std::vector<Slot>& Slots() {
  static const std::vector<Slot> slots = {
      {Look::kDesktop, "NCLRDESKTOP", {}},       {Look::kEnable1, "NCLRENA1", {}},
      {Look::kEnable2, "NCLRENA2", {}},          {Look::kDisable1, "NCLRDISA1", {}},
      {Look::kDisable2, "NCLRDISA2", {}},        {Look::kSay, "NCLRSAY", {}},
      {Look::kFontTitulo, "NFONTTITULO", {}},    {Look::kFontLinea, "NFONTLINEA", {}},
      {Look::kFontSTotal, "NFONTSTOTAL", {}},    {Look::kFontTotal, "NFONTTOTAL", {}},
      {Look::kClrTitulo, "NCLRTITULO", Int(0)},  {Look::kClrLinea, "NCLRLINEA", Int(0)},
      {Look::kClrSTotal, "NCLRSTOTAL", Int(0)},  {Look::kClrTotal, "NCLRTOTAL", Int(0)},
      {Look::kLineStyle, "NLINESTYLE", Int(5)},  {Look::kColourBrowses, "LCOLORBRW", {}},
      {Look::kGrid, "NXCLRLINE", Int(0)},        {Look::kHeaderText, "NCLRFHDR", Int(0)},
      {Look::kHeaderBack, "NCLRBHDR", Int(13292503)}, {Look::kText, "NCLRTEXT", Int(0)},
      {Look::kPane, "NCLRPANE", {}},             {Look::kOddText, "NCLRTROW1", Int(0)},
      {Look::kOddBack, "NCLRPROW1", Int(16777215)}, {Look::kEvenText, "NCLRTROW2", Int(0)},
      {Look::kEvenBack, "NCLRPROW2", Int(15396845)}, {Look::kAlternate, "LALTERCLR", Value::Logical(true)},
      {Look::kRowSpacing, "NHLINE", Int(5)},     {Look::kFocusBack, "NCLRBACKFOCUS", Int(8750724)},
      {Look::kFocusText, "NCLRFOREFOCUS", Int(16777215)}, {Look::kClassic, "LCLASSIC", Value::Logical(false)},
  };
  return slots;
}

constexpr std::size_t kSlotCount = static_cast<std::size_t>(Look::kClassic) + 1;

struct LookState {
  std::array<Value, kSlotCount> values;
  std::optional<FontDesc> font;
};

LookState& State() {
  static LookState state;
  return state;
}

Value& Held(Look slot) { return State().values[static_cast<std::size_t>(slot)]; }

std::uint32_t SysColour(int index) { return static_cast<std::uint32_t>(::GetSysColor(index)); }

FontDesc DefaultFont() {
  return {std::string(data::cFontName()), static_cast<double>(data::nFontVSize()), data::nFontHSize(), false, false};
}

std::uint32_t Colour(std::string_view field) { return static_cast<std::uint32_t>(std::llround(FieldNumber(field))); }
int Number(std::string_view field) { return static_cast<int>(std::lround(FieldNumber(field))); }
Value Rgb(std::uint32_t colour) { return Value::Integer(colour); }

// The colour of font number `number` of the `Fonts` table selected now; 0 when none.
std::uint32_t FontColourIn(int number) {
  xb::rdd::WorkArea& area = Area();
  if (area.OrderCount() > 0) {
    SelectOrder(1);
    return Seek(Value::Integer(number)) ? Colour("NCOLOR") : 0;
  }
  for (Call("DBGOTOP"); !area.eof(); area.Skip(1))
    if (Number("NFONT") == number) return Colour("NCOLOR");
  return 0;
}

}  // namespace

const std::vector<FieldDef>& ColorWFields() {
  static const std::vector<FieldDef> fields = {
      {"cCodigo", 'C', 2, 0},     {"DeskTop", 'N', 9, 0},    {"Enable1", 'N', 9, 0},    {"Enable2", 'N', 9, 0},
      {"Disable1", 'N', 9, 0},    {"Disable2", 'N', 9, 0},   {"Say", 'N', 9, 0},        {"Titulo", 'N', 9, 0},
      {"Linea", 'N', 9, 0},       {"STotal", 'N', 9, 0},     {"Total", 'N', 9, 0},      {"cFaceName", 'C', 32, 0},
      {"nWidth", 'N', 12, 6},     {"nHeight", 'N', 4, 0},    {"lBold", 'L', 1, 0},      {"lItalic", 'L', 1, 0},
      {"LineStyle", 'N', 1, 0},   {"ColorBrw", 'L', 1, 0},   {"nClrLine", 'N', 9, 0},   {"nClrForeHD", 'N', 9, 0},
      {"nClrBackHD", 'N', 9, 0},  {"nClrText", 'N', 9, 0},   {"nClrPane", 'N', 9, 0},   {"nClrTRow1", 'N', 9, 0},
      {"nClrPRow1", 'N', 9, 0},   {"nClrTRow2", 'N', 9, 0},  {"nClrPRow2", 'N', 9, 0},  {"lAlterClr", 'L', 1, 0},
      {"nHLine", 'N', 2, 0},      {"nClrPFocus", 'N', 9, 0}, {"nClrTFocus", 'N', 9, 0}, {"lClassLook", 'L', 1, 0},
  };
  return fields;
}

std::string FontsTable() { return data::cPathInforme() + "Fonts"; }

ColorScheme DefaultScheme() {
  ColorScheme s;
  s.desktop = 12632256;
  s.enable_text = SysColour(COLOR_WINDOWTEXT);
  s.enable_back = 16777215;
  s.disable_text = SysColour(COLOR_GRAYTEXT);
  s.disable_back = SysColour(COLOR_BTNFACE);
  s.say = SysColour(COLOR_WINDOWTEXT);
  s.font = DefaultFont();
  s.classic = lClassic();
  return s;
}

ColorScheme ReadScheme() {
  ColorScheme s;
  s.desktop = Colour("DESKTOP");
  s.enable_text = Colour("ENABLE1");
  s.enable_back = Colour("ENABLE2");
  s.disable_text = Colour("DISABLE1");
  s.disable_back = Colour("DISABLE2");
  s.say = Colour("SAY");
  s.font_titulo = Number("TITULO");
  s.font_linea = Number("LINEA");
  s.font_stotal = Number("STOTAL");
  s.font_total = Number("TOTAL");
  s.font.face = std::string(xb::RTrim(FieldText("CFACENAME")));
  s.font.width = FieldNumber("NWIDTH");
  s.font.height = Number("NHEIGHT");
  s.font.bold = FieldLogical("LBOLD");
  s.font.italic = FieldLogical("LITALIC");
  s.line_style = Number("LINESTYLE");
  s.colour_browses = FieldLogical("COLORBRW");
  s.grid = Colour("NCLRLINE");
  s.header_text = Colour("NCLRFOREHD");
  s.header_back = Colour("NCLRBACKHD");
  s.text = Colour("NCLRTEXT");
  s.pane = Colour("NCLRPANE");
  s.odd_text = Colour("NCLRTROW1");
  s.odd_back = Colour("NCLRPROW1");
  s.even_text = Colour("NCLRTROW2");
  s.even_back = Colour("NCLRPROW2");
  s.alternate = FieldLogical("LALTERCLR");
  s.row_spacing = Number("NHLINE");
  s.focus_back = Colour("NCLRPFOCUS");
  s.focus_text = Colour("NCLRTFOCUS");
  s.classic = FieldLogical("LCLASSLOOK");
  return s;
}

void WriteScheme(const ColorScheme& s) {
  PutField("DESKTOP", Rgb(s.desktop));
  PutField("ENABLE1", Rgb(s.enable_text));
  PutField("ENABLE2", Rgb(s.enable_back));
  PutField("DISABLE1", Rgb(s.disable_text));
  PutField("DISABLE2", Rgb(s.disable_back));
  PutField("SAY", Rgb(s.say));
  PutField("TITULO", Int(s.font_titulo));
  PutField("LINEA", Int(s.font_linea));
  PutField("STOTAL", Int(s.font_stotal));
  PutField("TOTAL", Int(s.font_total));
  PutField("CFACENAME", Value::String(s.font.face));
  PutField("NWIDTH", Value::Double(s.font.width, 6));
  PutField("NHEIGHT", Int(s.font.height));
  PutField("LBOLD", Value::Logical(s.font.bold));
  PutField("LITALIC", Value::Logical(s.font.italic));
  PutField("LINESTYLE", Int(s.line_style));
  PutField("COLORBRW", Value::Logical(s.colour_browses));
  PutField("NCLRLINE", Rgb(s.grid));
  PutField("NCLRFOREHD", Rgb(s.header_text));
  PutField("NCLRBACKHD", Rgb(s.header_back));
  PutField("NCLRTEXT", Rgb(s.text));
  PutField("NCLRPANE", Rgb(s.pane));
  PutField("NCLRTROW1", Rgb(s.odd_text));
  PutField("NCLRPROW1", Rgb(s.odd_back));
  PutField("NCLRTROW2", Rgb(s.even_text));
  PutField("NCLRPROW2", Rgb(s.even_back));
  PutField("LALTERCLR", Value::Logical(s.alternate));
  PutField("NHLINE", Int(s.row_spacing));
  PutField("NCLRPFOCUS", Rgb(s.focus_back));
  PutField("NCLRTFOCUS", Rgb(s.focus_text));
  PutField("LCLASSLOOK", Value::Logical(s.classic));
}

Value LookGet(Look slot) {
  const Value& held = Held(slot);
  if (!held.IsNil()) return held;
  if (slot == Look::kPane) return Int(lClassic() ? 12632256 : 15396845);
  for (const Slot& s : Slots())
    if (s.look == slot) return s.fallback;
  return {};
}

void LookSet(Look slot, const Value& value) { Held(slot) = value; }

std::optional<std::uint32_t> nClrDesktop() {
  const Value v = LookGet(Look::kDesktop);
  if (!v.IsNumber()) return std::nullopt;
  return static_cast<std::uint32_t>(v.AsInt());
}
int nLineStyle() { return static_cast<int>(LookGet(Look::kLineStyle).AsInt()); }
bool lClassic() { return LookGet(Look::kClassic).AsLogical(); }
bool lColorBrw() { return lClassic(); }
bool lColorBrw(bool on) {
  LookSet(Look::kColourBrowses, Value::Logical(on));
  return lClassic();
}
std::uint32_t nClrPane() { return static_cast<std::uint32_t>(LookGet(Look::kPane).AsInt()); }

void ApplyScheme(const ColorScheme& s, std::string_view fonts_alias) {
  LookSet(Look::kDesktop, Rgb(s.desktop));
  LookSet(Look::kEnable1, Rgb(s.enable_text));
  LookSet(Look::kEnable2, Rgb(s.enable_back));
  LookSet(Look::kDisable1, Rgb(s.disable_text));
  LookSet(Look::kDisable2, Rgb(s.disable_back));
  LookSet(Look::kSay, Rgb(s.say));
  LookSet(Look::kFontTitulo, Int(s.font_titulo));
  LookSet(Look::kFontLinea, Int(s.font_linea));
  LookSet(Look::kFontSTotal, Int(s.font_stotal));
  LookSet(Look::kFontTotal, Int(s.font_total));
  {
    SelectedAreaScope keep;
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    OpenedArea own;
    int fonts = fonts_alias.empty() ? 0 : areas.AreaOfAlias(fonts_alias);
    if (fonts == 0 && OpenTableQuietly(FontsTable(), "_QzFonts", false)) {
      own.Adopt();
      fonts = own.number();
    }
    std::uint32_t colours[4] = {0, 0, 0, 0};
    if (fonts != 0) {
      areas.SelectArea(fonts);
      const data::AreaStatus status = data::aSetStatus();
      const int numbers[4] = {s.font_titulo, s.font_linea, s.font_stotal, s.font_total};
      for (int i = 0; i < 4; ++i) colours[i] = FontColourIn(numbers[i]);
      if (!own) data::GetStatus({}, status);
    }
    LookSet(Look::kClrTitulo, Rgb(colours[0]));
    LookSet(Look::kClrLinea, Rgb(colours[1]));
    LookSet(Look::kClrSTotal, Rgb(colours[2]));
    LookSet(Look::kClrTotal, Rgb(colours[3]));
  }
  SetUserFontDesc(s.font);
  LookSet(Look::kLineStyle, Int(s.line_style));
  LookSet(Look::kColourBrowses, Value::Logical(s.colour_browses));
  LookSet(Look::kGrid, Rgb(s.grid));
  LookSet(Look::kHeaderText, Rgb(s.header_text));
  LookSet(Look::kHeaderBack, Rgb(s.header_back));
  LookSet(Look::kText, Rgb(s.text));
  LookSet(Look::kPane, Rgb(s.pane));
  LookSet(Look::kOddText, Rgb(s.odd_text));
  LookSet(Look::kOddBack, Rgb(s.odd_back));
  LookSet(Look::kEvenText, Rgb(s.even_text));
  LookSet(Look::kEvenBack, Rgb(s.even_back));
  LookSet(Look::kAlternate, Value::Logical(s.alternate));
  LookSet(Look::kRowSpacing, Int(s.row_spacing));
  LookSet(Look::kFocusBack, Rgb(s.focus_back));
  LookSet(Look::kFocusText, Rgb(s.focus_text));
  LookSet(Look::kClassic, Value::Logical(s.classic));
}

ColorScheme CurrentScheme() {
  auto colour = [](Look slot) { return static_cast<std::uint32_t>(LookGet(slot).AsInt()); };
  auto number = [](Look slot, int fallback) {
    const Value v = LookGet(slot);
    return v.IsNumber() ? static_cast<int>(v.AsInt()) : fallback;
  };
  const ColorScheme defaults = DefaultScheme();
  ColorScheme s;
  auto or_default = [&](Look slot, std::uint32_t fallback) {
    const Value v = LookGet(slot);
    return v.IsNumber() ? static_cast<std::uint32_t>(v.AsInt()) : fallback;
  };
  s.desktop = or_default(Look::kDesktop, defaults.desktop);
  s.enable_text = or_default(Look::kEnable1, defaults.enable_text);
  s.enable_back = or_default(Look::kEnable2, defaults.enable_back);
  s.disable_text = or_default(Look::kDisable1, defaults.disable_text);
  s.disable_back = or_default(Look::kDisable2, defaults.disable_back);
  s.say = or_default(Look::kSay, defaults.say);
  s.font_titulo = number(Look::kFontTitulo, 1);
  s.font_linea = number(Look::kFontLinea, 1);
  s.font_stotal = number(Look::kFontSTotal, 1);
  s.font_total = number(Look::kFontTotal, 1);
  s.font = UserFontDesc();
  s.line_style = nLineStyle();
  s.colour_browses = LookGet(Look::kColourBrowses).AsLogical();
  s.grid = colour(Look::kGrid);
  s.header_text = colour(Look::kHeaderText);
  s.header_back = colour(Look::kHeaderBack);
  s.text = colour(Look::kText);
  s.pane = colour(Look::kPane);
  s.odd_text = colour(Look::kOddText);
  s.odd_back = colour(Look::kOddBack);
  s.even_text = colour(Look::kEvenText);
  s.even_back = colour(Look::kEvenBack);
  s.alternate = LookGet(Look::kAlternate).AsLogical();
  s.row_spacing = number(Look::kRowSpacing, 5);
  s.focus_back = colour(Look::kFocusBack);
  s.focus_text = colour(Look::kFocusText);
  s.classic = lClassic();
  return s;
}

FontDesc UserFontDesc() { return State().font ? *State().font : DefaultFont(); }
void SetUserFontDesc(const FontDesc& desc) { State().font = desc; }

xb::Ref<ui::TFont> oUserFont() {
  const FontDesc d = UserFontDesc();
  ui::TFont::Spec spec;
  spec.face = d.face;
  spec.width = static_cast<int>(std::lround(d.width));
  spec.height = d.height;
  spec.bold = d.bold;
  spec.italic = d.italic;
  return ui::TFont::New(spec);
}

bool SaveColors(std::string_view colorw_alias, bool is_new, std::string_view user_code,
                std::string_view fonts_alias, bool load) {
  SelectedAreaScope keep;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = colorw_alias.empty() ? areas.CurrentArea() : areas.AreaOfAlias(colorw_alias);
  if (area == 0) return false;
  areas.SelectArea(area);
  const std::string code = user_code.empty() ? cCodUser() : std::string(user_code);
  bool written = false;
  if (is_new) {
    if (data::lNetRecAdd()) {
      PutField("CCODIGO", Value::String(code));
      WriteScheme(DefaultScheme());
      Area().Commit();
      Area().Unlock();
      written = true;
    }
  } else {
    SelectOrder(1);
    if (Seek(Value::String(code)) && data::lNetRecLock()) {
      WriteScheme(CurrentScheme());
      Area().Commit();
      Area().Unlock();
      written = true;
    }
  }
  if (written && load) ApplyScheme(ReadScheme(), fonts_alias);
  return written;
}

bool CargaColores() {
  SelectedAreaScope keep;
  if (!FileExists(DbfOf(ColorWTable())) || !OpenTable(ColorWTable(), "_ColorW", false)) return false;
  OpenedArea colorw(true);
  OpenedArea fonts;
  if (OpenTableQuietly(FontsTable(), "_QzFonts", false)) fonts.Adopt();
  colorw.Select();
  SelectOrder(1);
  const std::string code = cCodUser();
  if (!Seek(Value::String(code))) return SaveColors("_ColorW", true, code, fonts ? "_QzFonts" : "");
  ApplyScheme(ReadScheme(), fonts ? "_QzFonts" : "");
  return true;
}

bool DelColores(std::string_view user_code, std::string_view colorw_alias) {
  SelectedAreaScope keep;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  OpenedArea own;
  int area = colorw_alias.empty() ? 0 : areas.AreaOfAlias(colorw_alias);
  if (area == 0) {
    if (!FileExists(DbfOf(ColorWTable())) || !OpenTable(ColorWTable(), "_ColorW", false)) return false;
    own.Adopt();
    area = own.number();
  }
  areas.SelectArea(area);
  SelectOrder(1);
  if (!Seek(Value::String(user_code)) || !data::lNetRecLock()) return false;
  Area().Delete();
  Area().Commit();
  Area().Unlock();
  return true;
}

void RestauraFonts() {
  SetUserFontDesc(DefaultFont());
  // As the colour editor's defaults: font number 1, colour 0.
  for (Look slot : {Look::kFontTitulo, Look::kFontLinea, Look::kFontSTotal, Look::kFontTotal})
    LookSet(slot, Value::Integer(1));
  for (Look slot : {Look::kClrTitulo, Look::kClrLinea, Look::kClrSTotal, Look::kClrTotal}) LookSet(slot, Rgb(0));
  SelectedAreaScope keep;
  if (!FileExists(DbfOf(ColorWTable())) || !OpenTable(ColorWTable(), "_ColorW", false)) return;
  OpenedArea colorw(true);
  SelectOrder(1);
  if (Seek(Value::String(cCodUser())) && data::lNetRecLock()) {
    const FontDesc d = DefaultFont();
    PutField("CFACENAME", Value::String(d.face));
    PutField("NWIDTH", Value::Double(d.width, 6));
    PutField("NHEIGHT", Int(d.height));
    PutField("LBOLD", Value::Logical(false));
    PutField("LITALIC", Value::Logical(false));
    for (const char* field : {"TITULO", "LINEA", "STOTAL", "TOTAL"}) PutField(field, Int(1));
    Area().Commit();
    Area().Unlock();
  }
}

void ResetLook() { State() = LookState{}; }

void RegisterLookFunctions() {
  for (const Slot& s : Slots()) {
    const Look look = s.look;
    if (look == Look::kColourBrowses) {
      xb::RegisterFunction(s.name, [](Args& a) {
        if (a.Count() >= 1 && !a.IsNil(1)) LookSet(Look::kColourBrowses, a.Arg(1));
        return Value::Logical(lClassic());
      });
      continue;
    }
    xb::RegisterFunction(s.name, [look](Args& a) {
      if (a.Count() >= 1 && !a.IsNil(1)) LookSet(look, a.Arg(1));
      return LookGet(look);
    });
  }
  xb::RegisterFunction("OUSERFONT", [](Args& a) {
    if (const xb::Array d = a.Arr(1); d && d.size() >= 5) {
      SetUserFontDesc({std::string(d[0].AsString()), d[1].AsDouble(), static_cast<int>(d[2].AsInt()),
                       d[3].AsLogical(), d[4].AsLogical()});
    }
    return Value(xb::ObjectRef(oUserFont()));
  });
  xb::RegisterFunction("CARGACOLORES", [](Args&) { return Value::Logical(CargaColores()); });
  xb::RegisterFunction("SAVECOLORS", [](Args& a) {
    return Value::Logical(SaveColors(a.Str(1), a.Log(2), a.Str(3), a.Str(4)));
  });
  xb::RegisterFunction("DELCOLORES", [](Args& a) { return Value::Logical(DelColores(a.Str(1), a.Str(2))); });
  xb::RegisterFunction("RESTAURAFONTS", [](Args&) {
    RestauraFonts();
    return Value();
  });
}

}  // namespace svc
