#include "ui/bridge/common_dialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "ui/bridge/find_dialog.h"
#include "ui/bridge/plain_boxes.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

// The dialogs' hooks let every message through to the dialog's own handling.
UINT_PTR CALLBACK PassThrough(HWND, UINT, WPARAM, LPARAM) { return 0; }

int Int(const xb::Array& a, std::size_t i) { return static_cast<int>(a.Get(i).AsInt()); }
BYTE Byte(const xb::Array& a, std::size_t i) { return static_cast<BYTE>(a.Get(i).AsInt()); }

constexpr std::size_t kTitleLimit = 127;
constexpr std::size_t kFilterLimit = 398;
constexpr std::size_t kFileNameLimit = 127;

}  // namespace

xb::Array FontArray(const LOGFONTA& f) {
  return xb::Array::Of({Value::Integer(f.lfHeight), Value::Integer(f.lfWidth), Value::Integer(f.lfEscapement),
                        Value::Integer(f.lfOrientation), Value::Integer(f.lfWeight), Value::Logical(f.lfItalic != 0),
                        Value::Logical(f.lfUnderline != 0), Value::Logical(f.lfStrikeOut != 0),
                        Value::Integer(f.lfCharSet), Value::Integer(f.lfOutPrecision),
                        Value::Integer(f.lfClipPrecision), Value::Integer(f.lfQuality),
                        Value::Integer(f.lfPitchAndFamily),
                        Value::String(std::string(f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE)))});
}

LOGFONTA LogFontOf(const xb::Array& a) {
  LOGFONTA f{};
  f.lfHeight = Int(a, 0);
  f.lfWidth = Int(a, 1);
  f.lfEscapement = Int(a, 2);
  f.lfOrientation = Int(a, 3);
  f.lfWeight = Int(a, 4);
  f.lfItalic = a.Get(5).AsLogical();
  f.lfUnderline = a.Get(6).AsLogical();
  f.lfStrikeOut = a.Get(7).AsLogical();
  f.lfCharSet = Byte(a, 8);
  f.lfOutPrecision = Byte(a, 9);
  f.lfClipPrecision = Byte(a, 10);
  f.lfQuality = Byte(a, 11);
  f.lfPitchAndFamily = Byte(a, 12);
  const std::string_view face = a.Get(13).AsString();
  std::memcpy(f.lfFaceName, face.data(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  return f;
}

ChosenFont ChooseFontDialog(const ChooseFontParams& p) {
  LOGFONTA font{};
  font.lfWeight = FW_NORMAL;
  if (p.font) font = *p.font;
  CHOOSEFONTA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = ::GetActiveWindow();
  record.lpLogFont = &font;
  record.Flags = CF_SCREENFONTS | CF_ENABLEHOOK;
  if (p.font) record.Flags |= CF_INITTOLOGFONTSTRUCT;
  if (p.effects) record.Flags |= CF_EFFECTS;
  if (p.colour) record.rgbColors = *p.colour;
  record.nFontType = SCREEN_FONTTYPE;
  if (p.printer != nullptr) {
    record.hDC = p.printer;
    record.Flags |= CF_PRINTERFONTS;
  }
  if (p.flags != 0) record.Flags = p.flags;
  record.lpfnHook = &PassThrough;
  ChosenFont chosen;
  chosen.confirmed = ::ChooseFontA(&record) != FALSE;
  chosen.colour = p.colour.value_or(0);
  if (chosen.confirmed) {
    chosen.font = font;
    if (p.colour) chosen.colour = record.rgbColors;
  } else if (p.font) {
    chosen.font = *p.font;
  }
  return chosen;
}

COLORREF ChooseColorDialog(COLORREF initial, DWORD flags) {
  static COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = 0xFFFFFF - static_cast<COLORREF>(i) * 0x101010;
  CHOOSECOLORA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = ::GetActiveWindow();
  record.rgbResult = initial;
  record.lpCustColors = custom;
  record.Flags = flags | CC_ENABLEHOOK;
  record.lpfnHook = &PassThrough;
  return ::ChooseColorA(&record) ? record.rgbResult : initial;
}

std::string FileDialog(const FileDialogParams& p) {
  const std::string title = p.title.empty() ? "Select the file" : p.title.substr(0, kTitleLimit);
  const std::string folder = p.initial_dir.substr(0, kTitleLimit);
  // Pairs of description and pattern, NUL-separated, two NULs at the end.
  std::string filter = p.mask.substr(0, kFilterLimit);
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.append(2, '\0');
  // A mask without "|" is the initial file name. The buffer takes any path Windows gives.
  char file[MAX_PATH] = {};
  const std::string start = p.mask.substr(0, kFileNameLimit);
  if (start.find('|') == std::string::npos) std::memcpy(file, start.data(), start.size());

  OPENFILENAMEA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = ::GetActiveWindow();
  record.lpstrFilter = filter.c_str();
  record.nFilterIndex = p.filter_index != 0 ? static_cast<DWORD>(p.filter_index) : 1;
  record.lpstrFile = file;
  record.nMaxFile = sizeof file;
  record.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  record.lpstrTitle = title.c_str();
  record.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (p.save) record.Flags |= OFN_HIDEREADONLY;
  if (p.long_names) record.Flags |= OFN_LONGNAMES;
  if (p.flags != 0) record.Flags = p.flags;
  const BOOL chosen = p.save ? ::GetSaveFileNameA(&record) : ::GetOpenFileNameA(&record);
  return chosen ? std::string(file) : std::string();
}

std::string ValueText(const Value& v) {
  char number[64];
  switch (v.type()) {
    case xb::Type::Nil:
      return "nil";
    case xb::Type::Number:
      if (v.IsInteger()) std::snprintf(number, sizeof number, "%" PRId64, v.AsInt());
      else std::snprintf(number, sizeof number, "%f", v.AsDouble());
      return number;
    case xb::Type::Date:
      return xb::DToC(v.AsDate());
    case xb::Type::Logical:
      return v.AsLogical() ? ".T." : ".F.";
    case xb::Type::String:
    case xb::Type::Memo:
      return std::string(v.AsString());
    case xb::Type::Array:
      return "Array";
    case xb::Type::Object:
      return "Object";
    default:
      return "ValtoChar not suported type yet";
  }
}

void RegisterCommonDialogs() {
  // CHOOSEFONTH(aFont, @nRGB, hDC, nFlags)
  xb::RegisterFunction("CHOOSEFONTH", [](Args& a) {
    ChooseFontParams p;
    if (const xb::Array given = a.Arr(1)) p.font = LogFontOf(given);
    if (a.Arg(2).IsNumber()) p.colour = static_cast<COLORREF>(a.Int(2));
    p.printer = reinterpret_cast<HDC>(static_cast<std::intptr_t>(a.Int(3)));
    p.flags = static_cast<DWORD>(a.Int(4));
    p.effects = a.Count() >= 5;
    const ChosenFont chosen = ChooseFontDialog(p);
    if (chosen.confirmed && p.colour && a.IsByRef(2)) a.SetRef(2, Value::Integer(chosen.colour));
    if (!chosen.confirmed && !p.font) {
      LOGFONTA empty{};
      return Value(FontArray(empty));
    }
    return Value(FontArray(chosen.font));
  });
  // CHOOSECOLOR(nRGBInitial, nFlags): flags given, even 0, are taken as they are.
  xb::RegisterFunction("CHOOSECOLOR", [](Args& a) {
    const COLORREF initial = static_cast<COLORREF>(a.Int(1));
    if (a.IsNil(2)) return Value::Integer(ChooseColorDialog(initial));
    return Value::Integer(ChooseColorDialog(initial, static_cast<DWORD>(a.Int(2))));
  });
  // CGETFILE(cMask, cTitle, nFilterIndex, cInitDir, lSave, lLongNames, nFlags)
  xb::RegisterFunction("CGETFILE", [](Args& a) {
    if (a.Count() == 0) return Value::String("");
    FileDialogParams p;
    p.mask = std::string(a.Str(1));
    p.title = std::string(a.Str(2));
    p.filter_index = static_cast<int>(a.Int(3));
    p.initial_dir = std::string(a.Str(4));
    p.save = a.Count() >= 5 && a.Log(5);
    p.long_names = a.Log(6);
    p.flags = static_cast<DWORD>(a.Int(7));
    return Value::String(FileDialog(p));
  });
  // NMSGBOX(uValue, uTitle): the title only with exactly two arguments.
  xb::RegisterFunction("NMSGBOX", [](Args& a) {
    NMsgBox(a.Arg(1), a.Count() == 2 ? ValueText(a.Arg(2)) : std::string("Alert"));
    return Value();
  });
  // MSGABOUT(uValue, uOther)
  xb::RegisterFunction("MSGABOUT", [](Args& a) {
    const std::string text = ValueText(a.Arg(1));
    const std::string other = a.IsNil(2) ? std::string("About") : ValueText(a.Arg(2));
    ::ShellAboutA(::GetActiveWindow(), text.c_str(), other.c_str(), nullptr);
    return Value();
  });
  RegisterFindDialog();
}

}  // namespace ui
