#include "services/font_choice.h"

#include <cmath>
#include <cstring>

#include "data/data_ui.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/table_helpers.h"
#include "services/user_look.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tfont.h"
#include "ui/core/twindow.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr int kFaceLength = 25;

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

std::string Face(const LOGFONTA& font) { return std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE)); }

// The key of the `Fonts` table's second order: the face in upper case, 25 wide, and the
// colour as 10 digits.
std::string NameKey(const std::string& face, COLORREF colour) {
  std::string number = std::to_string(colour);
  return xb::Upper(xb::CurrentCodePage(), xb::PadR(face, kFaceLength)) + std::string(10 - std::min<std::size_t>(10, number.size()), ' ') + number;
}

}  // namespace

std::string FontDescription(const std::string& face, int height, bool bold, bool italic) {
  const int points = static_cast<int>(std::lround(std::abs(height) * 72.0 / ScreenDpi()));
  std::string text = std::string(xb::RTrim(face)) + ", " + std::to_string(points);
  if (bold) text += " Negrita";
  if (italic) text += " Cursiva";
  return text;
}

xb::Ref<ui::TFont> FontOf(const LOGFONTA& f) { return ui::TFont::New(ui::TFont::SpecOf(f)); }

LOGFONTA LogFontOfWindow(ui::TWindow& window) {
  LOGFONTA font{};
  HFONT handle = window.oFont ? window.oFont->hFont : nullptr;
  if (handle == nullptr && window.hWnd != nullptr)
    handle = reinterpret_cast<HFONT>(::SendMessageA(window.hWnd, WM_GETFONT, 0, 0));
  if (handle == nullptr) handle = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::GetObjectA(handle, sizeof font, &font);
  return font;
}

namespace {

// The number of the font in the selected `Fonts` table with the same face, colour, bold,
// italic, width and height; 0 when there is none.
int FindFont(const FontDesc& font, COLORREF colour) {
  SelectOrder(2);
  const std::string key = NameKey(font.face, colour);
  for (bool more = Seek(Value::String(key)); more && !Area().eof(); Area().Skip(1)) {
    if (xb::Upper(xb::CurrentCodePage(), xb::PadR(xb::RTrim(FieldText("CFACENAME")), kFaceLength)) !=
            key.substr(0, kFaceLength) ||
        static_cast<COLORREF>(FieldNumber("NCOLOR")) != colour)
      break;
    if (FieldLogical("LBOLD") == font.bold && FieldLogical("LITALIC") == font.italic &&
        FieldNumber("NWIDTH") == font.width && FieldNumber("NHEIGHT") == std::abs(font.height))
      return static_cast<int>(FieldNumber("NFONT"));
  }
  return 0;
}

// How long a font's numbering waits for another user's.
constexpr double kNumberingWait = 3;

}  // namespace

int FindOrAddFont(const FontDesc& font, COLORREF colour) {
  if (const int found = FindFont(font, colour)) return found;
  // The last number is read and the next one written under the table's lock, so two users
  // adding fonts at once never take one number twice.
  if (!data::FilLock(kNumberingWait)) return 0;
  int number = FindFont(font, colour);
  if (number == 0) {
    SelectOrder(1);
    Call("DBGOBOTTOM");
    number = Area().eof() ? 1 : static_cast<int>(FieldNumber("NFONT")) + 1;
    // An append under the file lock keeps it.
    if (!data::lNetRecAdd()) {
      Area().Unlock();
      return 0;
    }
    PutField("NFONT", Value::Integer(number));
    PutField("CFACENAME", Value::String(font.face));
    PutField("LBOLD", Value::Logical(font.bold));
    PutField("LITALIC", Value::Logical(font.italic));
    PutField("NWIDTH", Value::Double(font.width, 2));
    PutField("NHEIGHT", Value::Double(std::abs(font.height), 2));
    PutField("NCOLOR", Value::Integer(colour));
    Area().Commit();
  }
  Area().Unlock();
  return number;
}

int SelectFont(int number, ui::TWindow* label) {
  SelectedAreaScope keep;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  OpenedArea own;
  int area = areas.AreaOfAlias("Fonts");
  if (area == 0 && !FileExists(DbfOf(FontsTable()))) {
    data::Ui().MsgStop("No existe la tabla de fuentes de los listados:\n" + DbfOf(FontsTable()) +
                           "\nNo se puede elegir la fuente.",
                       "Atención");
    return number;
  }
  if (area == 0) {
    if (!OpenTable(FontsTable(), "_QzSelFont", false)) return number;
    own.Adopt();
    area = own.number();
  }
  areas.SelectArea(area);
  const data::AreaStatus before = data::aSetStatus();

  LOGFONTA start{};
  COLORREF colour = 0;
  SelectOrder(1);
  if (Seek(Value::Integer(number))) {
    const std::string face(xb::RTrim(FieldText("CFACENAME")));
    std::memcpy(start.lfFaceName, face.data(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    start.lfWidth = static_cast<LONG>(std::lround(FieldNumber("NWIDTH")));
    start.lfHeight = static_cast<LONG>(std::lround(FieldNumber("NHEIGHT")));
    start.lfWeight = FieldLogical("LBOLD") ? FW_BOLD : FW_NORMAL;
    start.lfItalic = FieldLogical("LITALIC");
    colour = static_cast<COLORREF>(FieldNumber("NCOLOR"));
  } else {
    std::strcpy(start.lfFaceName, "Arial");
    start.lfWidth = 5;
    start.lfHeight = 14;
    start.lfWeight = FW_NORMAL;
  }
  const ui::ChosenFont chosen = ui::ChooseFontDialog({.font = start, .colour = colour, .effects = true});
  if (!chosen.confirmed) {
    if (!own) data::GetStatus({}, before);
    return number;
  }
  const std::string face = Face(chosen.font);
  const bool bold = chosen.font.lfWeight >= FW_BOLD;
  const bool italic = chosen.font.lfItalic != 0;
  const double height = std::abs(chosen.font.lfHeight);
  int found = FindOrAddFont({face, static_cast<double>(chosen.font.lfWidth), static_cast<int>(height), bold, italic},
                            chosen.colour);
  if (found == 0) found = number;
  if (!own) data::GetStatus({}, before);
  if (label != nullptr) {
    label->SetText(FontDescription(face, static_cast<int>(height), bold, italic));
    label->SetFont(FontOf(chosen.font));
    label->Refresh();
  }
  return found;
}

void SelFon(ui::TWindow& window) {
  ui::ChooseFontParams params;
  params.font = LogFontOfWindow(window);
  params.colour = window.nClrText;
  params.effects = true;
  const ui::ChosenFont chosen = ui::ChooseFontDialog(params);
  if (chosen.confirmed) {
    window.SetFont(FontOf(chosen.font));
    if (chosen.colour != window.nClrText) {
      window.SetColor(chosen.colour, window.nClrPane);
      if (auto* browse = dynamic_cast<ui::TWBrowse*>(&window)) browse->nxClrText = chosen.colour;
    }
    window.Refresh();
  }
  window.SetFocus();
}

void RegisterFontChoiceFunctions() {
  xb::RegisterFunction("SELECTFONT", [](Args& a) {
    auto* label = dynamic_cast<ui::TWindow*>(a.Obj(2).get());
    return Value::Integer(SelectFont(a.Arg(1).IsNumber() ? static_cast<int>(a.Int(1)) : 1, label));
  });
  xb::RegisterFunction("SELFON", [](Args& a) {
    if (auto* window = dynamic_cast<ui::TWindow*>(a.Obj(1).get())) SelFon(*window);
    return Value();
  });
}

}  // namespace svc
