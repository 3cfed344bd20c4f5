// The banded engine's header, title and footer lines (TQZRLINE) and its text-file device
// (TQZRFILE) as compiled text sees them.
#include <algorithm>

#include "reports/report_engine_objects.h"
#include "reports/report_engine_values.h"

namespace reports {
namespace {

using namespace engine_detail;

TQZRFileObject& F(xb::Object& o) { return xb::Class::Cast<TQZRFileObject>(o); }

}  // namespace

// ---- TQZRLINE ----------------------------------------------------------------------------------------

TQZRLineObject::TQZRLineObject() : xb::Object(Cls()) {}

TQZRLineObject::~TQZRLineObject() = default;

void TQZRLineObject::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  for (const Value* v : {&aLine, &aFont, &Cargo})
    if (xb::GcObject* t = v->GcTarget()) visitor.Visit(t);
}

void TQZRLineObject::ClearValues() {
  Object::ClearValues();
  aLine = aFont = Cargo = Value();
}

void TQZRLineObject::Init(std::vector<Value> lines, int pad) {
  if (lines.empty()) lines.push_back(Const(Value::String("")));
  aLine = ArrayOf(lines);
  aFont = ArrayOf(std::vector<Value>(lines.size(), Const(Value::Integer(1))));
  aPad.assign(lines.size(), pad);
  Sync();
}

TQZRLine& TQZRLineObject::Line() { return report_ != nullptr ? report_->Engine().*member_ : own_; }

void TQZRLineObject::Detach() {
  if (report_ == nullptr) return;
  own_ = Line();
  report_ = nullptr;
}

void TQZRLineObject::Sync() {
  const std::vector<Value> lines = Items(aLine), fonts = Items(aFont);
  TQZRLine& line = Line();
  line.aLine.clear();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    TQZRLine::Line l;
    l.bText = [v = lines[i]] { return LineText(v); };
    const Value font = i < fonts.size() ? fonts[i] : (fonts.empty() ? Value() : fonts.front());
    l.bFont = [font] { return Int(font.IsBlock() ? font.AsBlock().Eval() : font, 1); };
    l.nPad = i < aPad.size() ? aPad[i] : 1;
    line.aLine.push_back(std::move(l));
  }
}

namespace {

TQZRLineObject& L(xb::Object& o) { return xb::Class::Cast<TQZRLineObject>(o); }

// The report's layout again, when it was laid out already and a line changed.
void Restabilize(TQZRLineObject& self) {
  self.Sync();
  TQZReportObject* report = self.Report();
  if (report == nullptr || report->Device() == nullptr || !report->Engine().lStable) return;
  report->Prepare();
  report->Engine().Stabilize();
}

void LineInsert(TQZRLineObject& self, std::size_t at, const Value& text, const Value& font, int pad) {
  std::vector<Value> lines = Items(self.aLine), fonts = Items(self.aFont);
  const Value first_font = fonts.empty() ? Const(Value::Integer(1)) : fonts.front();
  fonts.resize(lines.size(), first_font);
  self.aPad.resize(lines.size(), 1);
  at = std::min(at, lines.size());
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), text.IsNil() ? Const(Value::String("")) : text);
  fonts.insert(fonts.begin() + static_cast<std::ptrdiff_t>(at), font.IsNil() ? first_font : font);
  self.aPad.insert(self.aPad.begin() + static_cast<std::ptrdiff_t>(at), pad);
  self.aLine = ArrayOf(lines);
  self.aFont = ArrayOf(fonts);
  Restabilize(self);
}

}  // namespace

const xb::Class& TQZRLineObject::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZRLINE");
    auto line = [](xb::Object& o) -> TQZRLine& { return L(o).Line(); };
    c.Property("OREPORT", [](xb::Object& o) { return L(o).Report() ? L(o).Report()->AsValue() : Value(); }, nullptr);
    for (auto member : {&TQZRLineObject::aLine, &TQZRLineObject::aFont}) {
      const char* name = member == &TQZRLineObject::aLine ? "ALINE" : "AFONT";
      c.Property(name, [member](xb::Object& o) { return L(o).*member; }, [member](xb::Object& o, const Value& v) {
        if (!v.IsArray()) return xb::detail::RaiseWrongDataType(o, member == &TQZRLineObject::aLine ? "ALINE" : "AFONT", v);
        L(o).*member = v;
        L(o).Sync();
      });
    }
    c.Property("APAD", [](xb::Object& o) { return Ints(L(o).aPad); }, [](xb::Object& o, const Value& v) {
      if (!v.IsArray()) return xb::detail::RaiseWrongDataType(o, "APAD", v);
      L(o).aPad.clear();
      for (const Value& n : Items(v)) L(o).aPad.push_back(Int(n, 1));
      L(o).Sync();
    });
    c.Property("AROW", [line](xb::Object& o) { return Ints(line(o).aRow); }, nullptr);
    c.Property("AWIDTH", [line](xb::Object& o) { return Ints(line(o).aWidth); }, nullptr);
    for (auto [name, member] : {std::pair{"NCOL", &TQZRLine::nCol}, std::pair{"NHEIGHT", &TQZRLine::nHeight},
                                std::pair{"NWIDTH", &TQZRLine::nWidth}})
      Member(c, name, member, line);
    c.Data("CARGO", &TQZRLineObject::Cargo);
    // New( aLines, oReport, nPad )
    c.Method("NEW", [](xb::Object& o, xb::Args& a) {
      L(o).Init(Items(a.Arg(1)), I(a, 3, 1));
      return o.AsValue();
    });
    // Stabilize( nTop, nCol ): rows from nTop, one a line, and widths measured.
    c.Method("STABILIZE", [line](xb::Object& o, xb::Args& a) {
      TQZRLineObject& self = L(o);
      self.Sync();
      if (self.Report() != nullptr && self.Report()->Device() != nullptr)
        line(o).Stabilize(*self.Report()->Device(), I(a, 1), I(a, 2));
      return Value();
    });
    // Say( nOffset ): every line at its row, nOffset lower.
    c.Method("SAY", [line](xb::Object& o, xb::Args& a) {
      TQZRLineObject& self = L(o);
      if (self.Report() != nullptr && self.Report()->Device() != nullptr) self.Report()->Engine().SayLine(line(o), I(a, 1));
      return Value();
    });
    // Add( bText, bFont, nPad ), Ins( nPos, bText, bFont, nPad ), Del( nFrom, nTo )
    c.Method("ADD", [](xb::Object& o, xb::Args& a) {
      LineInsert(L(o), Items(L(o).aLine).size(), a.Arg(1), a.Arg(2), I(a, 3, 1));
      return Value();
    });
    c.Method("INS", [](xb::Object& o, xb::Args& a) {
      LineInsert(L(o), static_cast<std::size_t>(std::max(1, I(a, 1, 1)) - 1), a.Arg(2), a.Arg(3), I(a, 4, 1));
      return Value();
    });
    c.Method("DEL", [](xb::Object& o, xb::Args& a) {
      TQZRLineObject& self = L(o);
      std::vector<Value> lines = Items(self.aLine), fonts = Items(self.aFont);
      fonts.resize(lines.size(), Const(Value::Integer(1)));
      self.aPad.resize(lines.size(), 1);
      const int from = std::max(1, I(a, 1, 1));
      const int to = std::min(I(a, 2, from) == 0 ? from : I(a, 2, from), static_cast<int>(lines.size()));
      if (from <= to) {
        const auto b = static_cast<std::ptrdiff_t>(from - 1), e = static_cast<std::ptrdiff_t>(to);
        lines.erase(lines.begin() + b, lines.begin() + e);
        fonts.erase(fonts.begin() + b, fonts.begin() + e);
        self.aPad.erase(self.aPad.begin() + b, self.aPad.begin() + e);
        self.aLine = ArrayOf(lines);
        self.aFont = ArrayOf(fonts);
        Restabilize(self);
      }
      return Value();
    });
    return c;
  }();
  return cls;
}

// ---- TQZRFILE ----------------------------------------------------------------------------------------

TQZRFileObject::TQZRFileObject() : xb::Object(Cls()) {}

const xb::Class& TQZRFileObject::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZRFILE");
    auto file = [](xb::Object& o) -> TQZRFile* { return F(o).file.get(); };
    auto handle = [file](xb::Object& o) { return Value::Integer(file(o) != nullptr && file(o)->Ready() ? 1 : 0); };
    c.Property("HDC", handle, nullptr);
    c.Property("HDCOUT", handle, nullptr);
    c.Property("AROWS", [file](xb::Object& o) {
      xb::Array a = xb::Array::New();
      if (TQZRFile* f = file(o))
        for (const std::string& row : f->aRows) a.Append(Value::String(row));
      return Value(a);
    }, nullptr);
    c.Data("CDOCUMENT", &TQZRFileObject::cDocument);
    c.Property("CPRNCOMP", [file](xb::Object& o) { return Value::String(file(o) ? file(o)->cPrnComp : "\x0F"); },
               [file](xb::Object& o, const Value& v) {
                 if (file(o) && v.IsString()) file(o)->cPrnComp = std::string(v.AsString());
               });
    for (auto [name, member] : {std::pair{"NHEIGHT", &TQZRFile::nHeight}, std::pair{"NWIDTH", &TQZRFile::nWidth},
                                std::pair{"NPAGE", &TQZRFile::nPage}})
      c.Property(name, [file, member](xb::Object& o) { return Value::Integer(file(o) ? file(o)->*member : 0); },
                 [file, member](xb::Object& o, const Value& v) {
                   if (file(o) && v.IsNumber()) file(o)->*member = static_cast<int>(v.AsInt());
                 });
    c.Property("LPRINT", [file](xb::Object& o) { return Value::Logical(file(o) && file(o)->lPrint); },
               [file](xb::Object& o, const Value& v) {
                 if (file(o) && v.IsLogical()) file(o)->lPrint = v.AsLogical();
               });
    c.Data("NXOFFSET", &TQZRFileObject::nXOffSet);
    c.Data("NYOFFSET", &TQZRFileObject::nYOffSet);
    c.Data("LPRVMODAL", &TQZRFileObject::lPrvModal);
    c.Method("NEW", [](xb::Object& o, xb::Args& a) {
      F(o).file = std::make_unique<TQZRFile>(std::string(a.Str(1)));
      return o.AsValue();
    });
    auto on_file = [file](std::function<void(TQZRFile&)> fn) {
      return [file, fn](xb::Object& o, xb::Args&) {
        if (TQZRFile* f = file(o)) fn(*f);
        return Value();
      };
    };
    c.Method("STARTPAGE", on_file([](TQZRFile& f) { f.StartPage(); }));
    c.Method("ENDPAGE", on_file([](TQZRFile& f) { f.EndPage(); }));
    c.Method("END", on_file([](TQZRFile& f) { f.End(); }));
    // Say( nRow, nCol, cText, oFont, nWidth ): nWidth defaults to the text's length.
    auto say = [file](xb::Object& o, xb::Args& a) {
      if (TQZRFile* f = file(o)) {
        const std::string text = data::ValueText(a.Arg(3));
        f->Say(I(a, 1), I(a, 2), text, 1, I(a, 5, static_cast<int>(text.size())), 1);
      }
      return Value();
    };
    for (const char* name : {"SAY", "CMSAY", "CHARSAY"}) c.Method(name, say);
    c.Method("SETHEIGHT", [file](xb::Object& o, xb::Args& a) {
      if (TQZRFile* f = file(o)) f->SetHeight(I(a, 1, f->nHeight));
      return Value();
    });
    c.Method("SETSIZE", [file](xb::Object& o, xb::Args& a) {
      if (TQZRFile* f = file(o)) f->SetSize(I(a, 1, f->nWidth), I(a, 2, f->nHeight));
      return Value();
    });
    c.Method("GETTEXTWIDTH", [](xb::Object&, xb::Args& a) {
      return Value::Integer(static_cast<std::int64_t>(data::ValueText(a.Arg(1)).size()));
    });
    c.Method("GETTEXTHEIGHT", [](xb::Object&, xb::Args&) { return Value::Integer(1); });
    auto width = [file](xb::Object& o) { return file(o) ? file(o)->nWidth : TQZRFile::kColumns; };
    auto height = [file](xb::Object& o) { return file(o) ? file(o)->nHeight : TQZRFile::kRows; };
    c.Method("GETPHYSIZE", [width, height](xb::Object& o, xb::Args&) {
      return Value(xb::Array::Of({Value::Integer(width(o)), Value::Integer(height(o))}));
    });
    c.Method("CHARWIDTH", [](xb::Object&, xb::Args&) { return Value::Integer(1); });
    c.Method("CHARHEIGHT", [](xb::Object&, xb::Args&) { return Value::Integer(1); });
    c.Method("NVERTRES", [height](xb::Object& o, xb::Args&) { return Value::Integer(height(o)); });
    c.Method("NHORZRES", [width](xb::Object& o, xb::Args&) { return Value::Integer(width(o)); });
    c.Method("NVERTSIZE", [height](xb::Object& o, xb::Args&) { return Value::Number(height(o) * 25.4); });
    c.Method("NHORZSIZE", [width](xb::Object& o, xb::Args&) { return Value::Number(width(o) * 25.4); });
    c.Method("NLOGPIXELX", [](xb::Object&, xb::Args&) { return Value::Integer(1); });
    c.Method("NLOGPIXELY", [](xb::Object&, xb::Args&) { return Value::Integer(1); });
    c.Method("CMTR2PIX", [](xb::Object&, xb::Args& a) {
      return Value(xb::Array::Of({Value::Integer(I(a, 1)), Value::Integer(I(a, 2))}));
    });
    c.Method("GETORIENTATION", [](xb::Object&, xb::Args&) { return Value::Integer(2); });
    // Drawing, mapping modes, paper and set-up have no meaning on a text file.
    for (const char* name :
         {"SAYBITMAP", "SETPOS", "LINE", "BOX", "SETPIXELMODE", "SETTWIPSMODE", "SETLOINCHMODE", "SETHIINCHMODE",
          "SETLOMETRICMODE", "SETHIMETRICMODE", "SETISOTROPICMODE", "SETANISOTROPICMODE", "SETWINDOWEXT",
          "SETVIEWPORTEXT", "FILLRECT", "SETLANDSCAPE", "SETPORTRAIT", "SETCOPIES", "SETUP", "REBUILD", "FONT",
          "INCH2PIX", "DRAFTMODE"})
      c.Method(name, [](xb::Object&, xb::Args&) { return Value(); });
    return c;
  }();
  return cls;
}

}  // namespace reports
