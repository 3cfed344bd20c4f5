#include "output/trfile.h"

#include <algorithm>

#include "runtime/function_table.h"

namespace output {

TRFile::TRFile() : xb::Object(Cls()) {}

TRFile::~TRFile() { End(); }

xb::Ref<TRFile> TRFile::New(const std::string& file) {
  auto device = xb::MakeRef<TRFile>();
  device->Init(file);
  return device;
}

void TRFile::Init(const std::string& file) {
  cFile = file;
  cDocument = file;
  file_ = std::fopen(file.c_str(), "wb");
  aRows.assign(static_cast<std::size_t>(nHeight), std::string());
}

void TRFile::StartPage() { aRows.assign(static_cast<std::size_t>(nHeight), std::string()); }

void TRFile::Put(int row, int col, std::string_view bytes) {
  if (row < 0 || row >= static_cast<int>(aRows.size()) || bytes.empty()) return;
  if (col < 0) {
    if (-col >= static_cast<int>(bytes.size())) return;
    bytes.remove_prefix(static_cast<std::size_t>(-col));
    col = 0;
  }
  std::string& line = aRows[static_cast<std::size_t>(row)];
  const std::size_t at = static_cast<std::size_t>(col);
  if (line.size() < at + bytes.size()) line.resize(at + bytes.size(), ' ');
  line.replace(at, bytes.size(), bytes);
}

void TRFile::SayRaw(int row, int col, std::string_view bytes) { Put(row, col, bytes); }

void TRFile::Say(int row, int col, std::string_view text, ui::TFont*, int width, std::optional<COLORREF>, int,
                 Pad pad) {
  std::string oem(text);
  for (char& c : oem) {
    if (static_cast<unsigned char>(c) > 127) ::CharToOemBuffA(&c, &c, 1);
  }
  const int length = static_cast<int>(oem.size());
  if (width > 0 && pad == Pad::kRight) col += width - length;
  else if (width > 0 && pad == Pad::kCentre) col += (width - length) / 2;
  else if (width == 0 && pad == Pad::kRight) col = std::max(0, col - length);
  else if (width == 0 && pad == Pad::kCentre) col = std::max(0, col - length / 2);
  Put(row, col, oem);
}

void TRFile::EndPage() {
  if (file_ == nullptr) return;
  const bool wide = std::any_of(aRows.begin(), aRows.end(), [](const std::string& r) { return r.size() > kColumns; });
  if (lPrint && wide) std::fputc(cPrnComp, file_);
  for (const std::string& row : aRows) {
    std::fwrite(row.data(), 1, row.size(), file_);
    std::fputs("\r\n", file_);
  }
  if (lPrint) std::fputc(12, file_);
}

void TRFile::End() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

POINT TRFile::Cmtr2Pix(double row, double col) {
  return POINT{static_cast<int>(col / 2.54), static_cast<int>(row / 2.54)};
}

POINT TRFile::Inch2Pix(double row, double col) { return POINT{static_cast<int>(col), static_cast<int>(row)}; }

const xb::Class& TRFile::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TRFILE");
    auto F = [](xb::Object& o) -> TRFile& { return xb::Class::Cast<TRFile>(o); };
    c.Data("CDOCUMENT", &TRFile::cDocument);
    c.Data("NHEIGHT", &TRFile::nHeight);
    c.Data("NWIDTH", &TRFile::nWidth);
    c.Data("LPRINT", &TRFile::lPrint);
    c.Property("HDC", [F](xb::Object& o) { return xb::Value::Integer(F(o).IsOpen() ? 1 : 0); }, nullptr);
    c.Property("CPRNCOMP", [F](xb::Object& o) { return xb::Value::String(std::string(1, F(o).cPrnComp)); },
               [F](xb::Object& o, const xb::Value& v) {
                 if (v.IsString() && !v.AsString().empty()) F(o).cPrnComp = v.AsString()[0];
               });
    c.Property("AROWS", [F](xb::Object& o) {
      xb::Array rows = xb::Array::New();
      for (const std::string& r : F(o).aRows) rows.Append(xb::Value::String(r));
      return xb::Value(rows);
    }, nullptr);
    c.Method("NEW", [F](xb::Object& o, xb::Args& a) { F(o).Init(std::string(a.Str(1))); return o.AsValue(); });
    c.Method("STARTPAGE", [F](xb::Object& o, xb::Args&) { F(o).StartPage(); return xb::Value(); });
    c.Method("ENDPAGE", [F](xb::Object& o, xb::Args&) { F(o).EndPage(); return xb::Value(); });
    c.Method("END", [F](xb::Object& o, xb::Args&) { F(o).End(); return xb::Value(); });
    c.Method("SAY", [F](xb::Object& o, xb::Args& a) {
      F(o).Say(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), a.Str(3), nullptr, 0, std::nullopt,
               kTransparent, Pad::kLeft);
      return xb::Value();
    });
    // Drawing other than text does nothing; positions are character cells.
    for (const char* name : {"LINE", "BOX", "SAYBITMAP", "SAYIMAGE", "FILLRECT", "SETLANDSCAPE", "SETPORTRAIT"})
      c.Method(name, [](xb::Object&, xb::Args&) { return xb::Value(); });
    c.Method("CMTR2PIX", [F](xb::Object& o, xb::Args& a) {
      const POINT p = F(o).Cmtr2Pix(a.Num(1), a.Num(2));
      return xb::Value(xb::Array::Of({xb::Value::Integer(p.y), xb::Value::Integer(p.x)}));
    });
    c.Method("INCH2PIX", [F](xb::Object& o, xb::Args& a) {
      const POINT p = F(o).Inch2Pix(a.Num(1), a.Num(2));
      return xb::Value(xb::Array::Of({xb::Value::Integer(p.y), xb::Value::Integer(p.x)}));
    });
    c.Method("NLOGPIXELX", [](xb::Object&, xb::Args&) { return xb::Value::Integer(1); });
    c.Method("NLOGPIXELY", [](xb::Object&, xb::Args&) { return xb::Value::Integer(1); });
    c.Method("GETTEXTWIDTH", [](xb::Object&, xb::Args& a) { return xb::Value::Integer(a.Str(1).size()); });
    c.Method("GETTEXTHEIGHT", [](xb::Object&, xb::Args&) { return xb::Value::Integer(1); });
    c.Method("NVERTRES", [F](xb::Object& o, xb::Args&) { return xb::Value::Integer(F(o).nHeight); });
    c.Method("NHORZRES", [F](xb::Object& o, xb::Args&) { return xb::Value::Integer(F(o).nWidth); });
    c.Method("GETORIENTATION", [](xb::Object&, xb::Args&) { return xb::Value::Integer(2); });
    return c;
  }();
  return cls;
}

void RegisterTextDevice() {
  (void)TRFile::Cls();
  xb::RegisterFunction("TRFILE", [](xb::Args&) { return xb::Value(xb::MakeRef<TRFile>()); });
}

}  // namespace output
