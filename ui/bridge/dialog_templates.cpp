#include "ui/bridge/dialog_templates.h"

#include <windows.h>

#include <algorithm>

namespace ui {
namespace {

void PutWord(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutDword(std::string& out, std::uint32_t value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}

// The text as UTF-16 from the ANSI code page, with its terminating 0. Text from the system
// is Windows-1252, so "Información" and "&Sí" keep their letters.
void PutText(std::string& out, std::string_view text) {
  if (!text.empty()) {
    const int size = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, wide.data(), count);
    for (wchar_t c : wide) {
      if (c == L'\0') break;  // a NUL inside the text ends it, as it would for Windows
      PutWord(out, static_cast<std::uint32_t>(c));
    }
  }
  PutWord(out, 0);
}

void PadToDword(std::string& out) {
  while (out.size() % 4 != 0) out.push_back('\0');
}

std::uint32_t Short(int value) { return static_cast<std::uint16_t>(static_cast<std::int16_t>(value)); }

}  // namespace

std::string CDlg2Chr(int items, int top, int left, int bottom, int right, std::string_view title,
                     std::uint32_t style) {
  std::uint32_t extended = 0;
  if (style == 2) {
    style = 0x80000002;
    extended = 0x20;
  } else if (style == 0x10000000) {
    style = 0xC0000000;
  }
  std::string out;
  out.reserve(24 + 2 * title.size() + 2);
  PutDword(out, style);
  PutDword(out, extended);
  PutWord(out, Short(items));
  PutWord(out, Short(left));
  PutWord(out, Short(top));
  PutWord(out, Short(right - left + 1));
  PutWord(out, Short(bottom - top + 1));
  PutWord(out, 0);  // no menu
  PutWord(out, 0);  // the dialog class
  PutText(out, title);
  PadToDword(out);
  return out;
}

std::string CCtrl2Chr(int top, int left, int bottom, int right, int id, std::uint32_t style,
                      std::string_view class_name, std::string_view caption) {
  std::string out;
  out.reserve(24 + 2 * (class_name.size() + caption.size()));
  PutDword(out, style);
  PutDword(out, 0);
  PutWord(out, Short(left));
  PutWord(out, Short(top));
  PutWord(out, Short(right - left + 1));
  PutWord(out, Short(bottom - top + 1));
  PutWord(out, Short(id));
  PutText(out, class_name);
  PutText(out, caption);
  PutWord(out, 0);  // no creation data
  PadToDword(out);
  return out;
}

// ---- taking a template apart ------------------------------------------------------------------

namespace {

// Reads a template field by field; any read past the end marks it broken.
class TemplateReader {
 public:
  explicit TemplateReader(std::string_view bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  std::size_t at() const { return at_; }
  std::string_view From(std::size_t start) const { return bytes_.substr(start, at_ - start); }
  std::uint32_t Word() {
    if (!Need(2)) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + at_);
    at_ += 2;
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
  }
  std::uint32_t Dword() {
    const std::uint32_t low = Word();
    return low | (Word() << 16);
  }
  void Skip(std::size_t count) {
    if (Need(count)) at_ += count;
  }
  // A text or an ordinal (0xFFFF and a word); nothing is one 0 word.
  std::string TextOrOrdinal() {
    const std::size_t start = at_;
    const std::uint32_t first = Word();
    if (first == 0xFFFF) {
      Word();
    } else {
      for (std::uint32_t c = first; ok_ && c != 0; c = Word()) {}
    }
    return std::string(From(start));
  }
  std::string Text() {
    const std::size_t start = at_;
    for (std::uint32_t c = Word(); ok_ && c != 0; c = Word()) {}
    return std::string(From(start));
  }
  void AlignDword() { Skip(std::min<std::size_t>((4 - at_ % 4) % 4, bytes_.size() - at_)); }

 private:
  bool Need(std::size_t count) {
    if (bytes_.size() - at_ < count) ok_ = false;
    return ok_;
  }
  std::string_view bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace

std::string DialogTemplateItem::ClassName() const {
  std::wstring wide;
  for (std::size_t i = 0; i + 1 < window_class.size(); i += 2) {
    const auto c = static_cast<wchar_t>(static_cast<unsigned char>(window_class[i]) |
                                        (static_cast<unsigned char>(window_class[i + 1]) << 8));
    if (c == 0xFFFF && i == 0) return {};
    if (c == 0) break;
    wide += c;
  }
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::string DialogTemplateItem::Text(std::string_view text) {
  std::string out;
  PutText(out, text);
  return out;
}

std::optional<DialogTemplateParts> SplitDialogTemplate(std::string_view dialog_template) {
  TemplateReader r(dialog_template);
  DialogTemplateParts parts;
  parts.extended = dialog_template.size() >= 4 && r.Word() == 1 && r.Word() == 0xFFFF;
  std::uint32_t style = 0;
  std::size_t count = 0;
  if (parts.extended) {
    r.Skip(8);  // help id, extended style
    style = r.Dword();
  } else {
    r = TemplateReader(dialog_template);
    style = r.Dword();
    r.Skip(4);
  }
  count = r.Word();
  r.Skip(8);  // x, y, cx, cy
  r.TextOrOrdinal();  // menu
  r.TextOrOrdinal();  // class
  r.Text();           // title
  if (style & (DS_SETFONT | DS_SHELLFONT)) {
    r.Skip(parts.extended ? 6 : 2);  // point size (weight, italic, character set)
    r.Text();
  }
  if (!r.ok()) return std::nullopt;
  parts.header = std::string(dialog_template.substr(0, r.at()));
  for (std::size_t i = 0; i < count; ++i) {
    r.AlignDword();
    DialogTemplateItem item;
    if (parts.extended) {
      item.help_id = r.Dword();
      item.ex_style = r.Dword();
      item.style = r.Dword();
    } else {
      item.style = r.Dword();
      item.ex_style = r.Dword();
    }
    item.x = static_cast<std::int16_t>(r.Word());
    item.y = static_cast<std::int16_t>(r.Word());
    item.cx = static_cast<std::int16_t>(r.Word());
    item.cy = static_cast<std::int16_t>(r.Word());
    item.id = parts.extended ? r.Dword() : r.Word();
    item.window_class = r.TextOrOrdinal();
    item.title = r.TextOrOrdinal();
    const std::size_t data_at = r.at();
    r.Skip(r.Word());
    item.data = std::string(r.From(data_at));
    if (!r.ok()) return std::nullopt;
    parts.items.push_back(std::move(item));
  }
  return parts;
}

std::string JoinDialogTemplate(const DialogTemplateParts& parts) {
  std::string out = parts.header;
  const std::size_t count_at = parts.extended ? 16 : 8;
  if (out.size() < count_at + 2) return {};
  out[count_at] = static_cast<char>(parts.items.size() & 0xFF);
  out[count_at + 1] = static_cast<char>((parts.items.size() >> 8) & 0xFF);
  for (const DialogTemplateItem& item : parts.items) {
    PadToDword(out);
    if (parts.extended) {
      PutDword(out, item.help_id);
      PutDword(out, item.ex_style);
      PutDword(out, item.style);
    } else {
      PutDword(out, item.style);
      PutDword(out, item.ex_style);
    }
    for (std::int16_t v : {item.x, item.y, item.cx, item.cy}) PutWord(out, static_cast<std::uint16_t>(v));
    if (parts.extended) PutDword(out, item.id);
    else PutWord(out, item.id & 0xFFFF);
    out += item.window_class.empty() ? std::string(2, '\0') : item.window_class;
    out += item.title.empty() ? std::string(2, '\0') : item.title;
    out += item.data.empty() ? std::string(2, '\0') : item.data;
  }
  PadToDword(out);
  return out;
}

}  // namespace ui
