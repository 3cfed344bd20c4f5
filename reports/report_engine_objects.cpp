#include "reports/report_engine_objects.h"

#include <algorithm>
#include <optional>

#include "data/value_text.h"
#include "reports/report_engine_values.h"
#include "reports/report_run.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/symbol.h"

namespace reports {
namespace {

using namespace engine_detail;
using xb::Value;

EngineDeviceMaker& DeviceMaker() {
  static EngineDeviceMaker maker;
  return maker;
}

TQZReportObject& R(xb::Object& o) { return xb::Class::Cast<TQZReportObject>(o); }
TQZRColObject& C(xb::Object& o) { return xb::Class::Cast<TQZRColObject>(o); }
TQZRGroupObject& G(xb::Object& o) { return xb::Class::Cast<TQZRGroupObject>(o); }
}  // namespace

void SetEngineDeviceMaker(EngineDeviceMaker maker) { DeviceMaker() = std::move(maker); }

// ---- TQZRCOL -----------------------------------------------------------------------------------------

TQZRColObject::TQZRColObject() : xb::Object(Cls()) {}

TQZRColObject::~TQZRColObject() = default;

TQZRCol& TQZRColObject::Col() {
  return report_ != nullptr ? report_->Engine().aColumns[static_cast<std::size_t>(index_)] : own_;
}

void TQZRColObject::Attach(TQZReportObject* report, int index) {
  report->Engine().aColumns.push_back(std::move(own_));
  own_ = TQZRCol();
  report_ = report;
  index_ = index;
}

void TQZRColObject::Detach() {
  if (report_ == nullptr) return;
  own_ = report_->Engine().aColumns[static_cast<std::size_t>(index_)];
  report_ = nullptr;
  index_ = -1;
}

void TQZRColObject::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  for (const auto* list : {&aTitle, &aData, &aValues, &aFonts})
    for (const Value& v : *list)
      if (xb::GcObject* t = v.GcTarget()) visitor.Visit(t);
  for (const Value* v : {&bDataFont, &bTotalExpr, &bColor, &Cargo, &oReport})
    if (xb::GcObject* t = v->GcTarget()) visitor.Visit(t);
}

void TQZRColObject::ClearValues() {
  Object::ClearValues();
  aTitle.clear();
  aData.clear();
  aValues.clear();
  aFonts.clear();
  bDataFont = bTotalExpr = bColor = Cargo = oReport = Value();
}

void TQZRColObject::TitlesFromBlocks() {
  if (aTitle.empty()) return;
  TQZRCol& c = Col();
  c.aTitle.clear();
  for (const Value& t : aTitle) c.aTitle.push_back(LineText(t));
}

namespace {

void InitColumn(TQZRColObject& self, xb::Args& a) {
  self.aTitle = Items(a.Arg(1));
  if (self.aTitle.empty()) self.aTitle.push_back(Value::String(""));
  self.aData = Items(a.Arg(3));
  if (self.aData.empty()) self.aData.push_back(Const(Value::String("")));
  self.aPicture.clear();
  for (const Value& p : Items(a.Arg(5))) self.aPicture.push_back(data::ValueText(p));
  self.bDataFont = a.Arg(6);
  self.bTotalExpr = a.Arg(8);
  self.oReport = a.Arg(13);
  // One argument array a data line; missing ones are empty.
  self.aValues = Items(a.Arg(14));
  while (self.aValues.size() < self.aData.size()) self.aValues.push_back(Value(xb::Array::New()));
  self.aFonts = Items(a.Arg(15));
  self.aFonts.resize(4);

  TQZRCol& c = self.Col();
  c.cTipoCol = a.Arg(16).IsString() && !xb::AllTrim(a.Str(16)).empty() ? xb::UpperName(xb::AllTrim(a.Str(16))) : "C";
  c.nAnchoCol = I(a, 2);
  c.nSize = I(a, 4);
  c.cTotalPict = c.cPicture = self.aPicture.empty() ? std::string() : self.aPicture.front();
  c.lTotal = a.Log(7);
  c.nPad = PadOf(std::string(a.Str(9)), 0);
  if (c.nPad == 0) c.nPad = c.cTipoCol == "N" || c.cTipoCol == "H" ? 2 : 1;
  c.lShadow = a.Log(10);
  c.lGrid = a.Log(11);
  c.nPen = std::max(1, I(a, 12, 1));
  // Data lines call their block with their argument array; totals ask with .T. after it.
  TQZRColObject* col = &self;
  c.aData.clear();
  for (std::size_t i = 0; i < self.aData.size(); ++i) {
    TQZRCol::DataLine line;
    line.bData = [col, i] {
      return i < col->aData.size() ? Eval(col->aData[i], {col->aValues[i], Value::Logical(false)}) : Value::String("");
    };
    line.bTotal = [col, i] {
      return i < col->aData.size() ? Eval(col->aData[i], {col->aValues[i], Value::Logical(true)}) : Value::String("");
    };
    line.cPicture = i < self.aPicture.size() ? self.aPicture[i] : c.cTotalPict;
    c.aData.push_back(std::move(line));
  }
  // The total's condition: a record counts in the totals when it holds (or there is none).
  c.bTotalFor = [col] {
    if (!col->bTotalExpr.IsBlock()) return true;
    const Value v = Eval(col->bTotalExpr);
    return !v.IsLogical() || v.AsLogical();
  };
  self.TitlesFromBlocks();
}

// The four font numbers: the given ones, NIL the data font block's (data and total) or 1.
void ColumnFonts(TQZRColObject& self) {
  TQZRCol& c = self.Col();
  const int data_font = Int(Eval(self.bDataFont), 1);
  for (std::size_t k = 0; k < 4; ++k)
    c.aFonts[k] = std::max(1, Int(k < self.aFonts.size() ? self.aFonts[k] : Value(), k % 2 == 0 ? data_font : 1));
}

}  // namespace

const xb::Class& TQZRColObject::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZRCOL");
    auto col = [](xb::Object& o) -> TQZRCol& { return C(o).Col(); };
    c.Property("OREPORT", [](xb::Object& o) { return C(o).oReport; }, nullptr);
    c.Property("ATITLE", [](xb::Object& o) { return ArrayOf(C(o).aTitle); }, nullptr);
    c.Property("ADATA", [](xb::Object& o) { return ArrayOf(C(o).aData); }, nullptr);
    c.Property("AVALUES", [](xb::Object& o) { return ArrayOf(C(o).aValues); },
               [](xb::Object& o, const Value& v) {
                 if (!v.IsArray()) return;
                 C(o).aValues = Items(v);
                 while (C(o).aValues.size() < C(o).aData.size()) C(o).aValues.push_back(Value(xb::Array::New()));
               });
    c.Property("APICTURE", [](xb::Object& o) {
      std::vector<Value> v;
      for (const std::string& p : C(o).aPicture) v.push_back(Value::String(p));
      return ArrayOf(v);
    }, nullptr);
    c.Property("AFONTS", [](xb::Object& o) { return ArrayOf(C(o).aFonts); },
               [](xb::Object& o, const Value& v) {
                 if (!v.IsArray()) return;
                 C(o).aFonts = Items(v);
                 C(o).aFonts.resize(4);
               });
    // The font blocks answer the four font numbers.
    for (auto [name, k] : {std::pair{"BDATAFONT", 0}, std::pair{"BTITLEFONT", 1}, std::pair{"BTOTALFONT", 2},
                           std::pair{"BSUBTFONT", 3}})
      c.Property(name, [col, k](xb::Object& o) { return Const(Value::Integer(col(o).aFonts[static_cast<std::size_t>(k)])); },
                 [k](xb::Object& o, const Value& v) {
                   C(o).aFonts.resize(4);
                   C(o).aFonts[static_cast<std::size_t>(k)] = v.IsBlock() ? Eval(v) : v;
                   ColumnFonts(C(o));
                 });
    c.Data("BTOTALEXPR", &TQZRColObject::bTotalExpr);
    c.Data("BCOLOR", &TQZRColObject::bColor);
    c.Data("CARGO", &TQZRColObject::Cargo);
    c.Data("NCURLINE", &TQZRColObject::nCurLine);
    c.Property("LTOTALEXPR", [](xb::Object& o) { return Value::Logical(C(o).bTotalExpr.IsBlock()); }, nullptr);
    c.Property("NCALCOL", [col](xb::Object& o) { return Value::Integer(col(o).nCol); }, nullptr);
    c.Property("ULASTVALUE", [col](xb::Object& o) {
      const TQZRCol& c = col(o);
      return !c.aLastValue.empty() && c.aLastValue.front() ? Value::String(*c.aLastValue.front()) : Value();
    }, nullptr);
    Member(c, "CTOTALPICT", &TQZRCol::cTotalPict, col);
    Member(c, "CTIPOCOL", &TQZRCol::cTipoCol, col);
    for (auto [name, member] :
         {std::pair{"NWIDTH", &TQZRCol::nWidth}, std::pair{"NDATAHEIGHT", &TQZRCol::nDataHeight},
          std::pair{"NTITLEHEIGHT", &TQZRCol::nTitleHeight}, std::pair{"NCOL", &TQZRCol::nCol},
          std::pair{"NSIZE", &TQZRCol::nSize}, std::pair{"NPAD", &TQZRCol::nPad}, std::pair{"NPEN", &TQZRCol::nPen},
          std::pair{"NORDER", &TQZRCol::nOrder}, std::pair{"NANCHOCOL", &TQZRCol::nAnchoCol}})
      Member(c, name, member, col);
    Member(c, "NTOTAL", &TQZRCol::nTotal, col);
    for (auto [name, member] :
         {std::pair{"LTOTAL", &TQZRCol::lTotal}, std::pair{"LSHADOW", &TQZRCol::lShadow},
          std::pair{"LGRID", &TQZRCol::lGrid}, std::pair{"LUNDERLINE", &TQZRCol::lUnderline},
          std::pair{"LDOBLEUND", &TQZRCol::lDobleUnd}, std::pair{"LTEXTUND", &TQZRCol::lTextUnd},
          std::pair{"LSEPARATOR", &TQZRCol::lSeparator}, std::pair{"LACUMULADA", &TQZRCol::lAcumulada},
          std::pair{"LINIGRUPO", &TQZRCol::lIniGrupo}})
      Member(c, name, member, col);

    c.Method("NEW", [](xb::Object& o, xb::Args& a) {
      InitColumn(C(o), a);
      ColumnFonts(C(o));
      return o.AsValue();
    });
    // The drawing methods act once the column is in its report.
    auto in_report = [](std::function<void(TQZReport&, std::size_t)> fn) {
      return [fn](xb::Object& o, xb::Args&) {
        TQZRColObject& self = C(o);
        if (self.Index() >= 0 && self.Report()->Engine().Device() != nullptr)
          fn(self.Report()->Engine(), static_cast<std::size_t>(self.Index()));
        return Value();
      };
    };
    c.Method("STABILIZE", [in_report](xb::Object& o, xb::Args& a) {
      C(o).TitlesFromBlocks();
      ColumnFonts(C(o));
      xb::Args none;
      in_report([](TQZReport& r, std::size_t i) { r.StabilizeColumn(i); })(o, none);
      if (!a.IsNil(1)) C(o).Col().nOrder = I(a, 1);
      return Value();
    });
    c.Method("SAYTITLE", [](xb::Object& o, xb::Args& a) {
      TQZRColObject& self = C(o);
      if (self.Index() >= 0)
        self.Report()->Engine().SayTitle(static_cast<std::size_t>(self.Index()), I(a, 1), I(a, 3, 1), I(a, 2, -1));
      return Value();
    });
    c.Method("SAYDATA", [](xb::Object& o, xb::Args& a) {
      TQZRColObject& self = C(o);
      self.nCurLine = I(a, 3, 1);
      if (self.Index() >= 0)
        self.Report()->Engine().SayData(static_cast<std::size_t>(self.Index()), I(a, 1), self.nCurLine, a.Log(4), I(a, 2, -1));
      return Value();
    });
    c.Method("SEPARATOR", [](xb::Object& o, xb::Args& a) {
      TQZRColObject& self = C(o);
      if (self.Index() >= 0) {
        TQZReport& r = self.Report()->Engine();
        r.ColumnSeparator(static_cast<std::size_t>(self.Index()), I(a, 1, r.nRow), a.Log(2));
      }
      return Value();
    });
    c.Method("UNDERLINE", [](xb::Object& o, xb::Args& a) {
      TQZRColObject& self = C(o);
      if (self.Index() >= 0) {
        TQZReport& r = self.Report()->Engine();
        const TQZRCol& col = self.Col();
        r.Underline(static_cast<std::size_t>(self.Index()), a.Log(1, col.lTextUnd), a.Log(2, col.lDobleUnd), I(a, 3, 1),
                    I(a, 4, r.nRow));
      }
      return Value();
    });
    c.Method("SAYTOTAL", [](xb::Object& o, xb::Args& a) {
      TQZRColObject& self = C(o);
      if (self.Index() >= 0) {
        const TQZRCol& col = self.Col();
        self.Report()->Engine().SayTotal(static_cast<std::size_t>(self.Index()), I(a, 1), col.nTotal, col.aFonts[2]);
      }
      return Value();
    });
    return c;
  }();
  return cls;
}

// ---- TQZRGROUP ---------------------------------------------------------------------------------------

TQZRGroupObject::TQZRGroupObject() : xb::Object(Cls()) {}

TQZRGroupObject::~TQZRGroupObject() = default;

TQZRGroup& TQZRGroupObject::Group() {
  return report_ != nullptr ? report_->Engine().aGroups[static_cast<std::size_t>(index_)] : own_;
}

void TQZRGroupObject::Attach(TQZReportObject* report, int index) {
  report->Engine().aGroups.push_back(std::move(own_));
  own_ = TQZRGroup();
  report_ = report;
  index_ = index;
}

void TQZRGroupObject::Detach() {
  if (report_ == nullptr) return;
  own_ = report_->Engine().aGroups[static_cast<std::size_t>(index_)];
  report_ = nullptr;
  index_ = -1;
}

void TQZRGroupObject::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  for (const Value* v : {&bGroup, &bHeadFont, &bFootFont, &Cargo, &oReport})
    if (xb::GcObject* t = v->GcTarget()) visitor.Visit(t);
}

void TQZRGroupObject::ClearValues() {
  Object::ClearValues();
  bGroup = bHeadFont = bFootFont = Cargo = oReport = Value();
}

namespace {

void GroupFonts(TQZRGroupObject& self) {
  TQZRGroup& g = self.Group();
  g.nFont = std::max(1, Int(Eval(self.bHeadFont), 1));
  g.nFootFont = std::max(1, Int(Eval(self.bFootFont), g.nFont));
}

}  // namespace

const xb::Class& TQZRGroupObject::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZRGROUP");
    auto group = [](xb::Object& o) -> TQZRGroup& { return G(o).Group(); };
    c.Property("OREPORT", [](xb::Object& o) { return G(o).oReport; }, nullptr);
    c.Property("ATOTAL", [group](xb::Object& o) {
      xb::Array a = xb::Array::New();
      for (double t : group(o).aTotal) a.Append(Value::Number(t));
      return Value(a);
    }, nullptr);
    c.Data("BGROUP", &TQZRGroupObject::bGroup);
    c.Data("CARGO", &TQZRGroupObject::Cargo);
    c.Data("NPOS", &TQZRGroupObject::nPos);
    for (auto [name, member] : {std::pair{"BHEADFONT", &TQZRGroupObject::bHeadFont},
                                std::pair{"BFOOTFONT", &TQZRGroupObject::bFootFont}})
      c.Property(name, [member](xb::Object& o) { return G(o).*member; }, [member](xb::Object& o, const Value& v) {
        G(o).*member = v;
        GroupFonts(G(o));
      });
    // The captions, as blocks that answer them.
    for (auto [name, member] : {std::pair{"BHEADER", &TQZRGroup::cHeader}, std::pair{"BFOOTER", &TQZRGroup::cFooter}})
      c.Property(name, [group, member](xb::Object& o) { return Const(Value::String(group(o).*member)); },
                 [group, member](xb::Object& o, const Value& v) { group(o).*member = LineText(v); });
    Member(c, "CVALUE", &TQZRGroup::cValue, group);
    Member(c, "COLDVALUE", &TQZRGroup::cOldValue, group);
    for (auto [name, member] : {std::pair{"NCOUNTER", &TQZRGroup::nCounter}, std::pair{"NORDER", &TQZRGroup::nOrder},
                                std::pair{"NHEADERHEIGHT", &TQZRGroup::nHeaderHeight},
                                std::pair{"NFOOTERHEIGHT", &TQZRGroup::nFooterHeight}})
      Member(c, name, member, group);
    for (auto [name, member] : {std::pair{"LEJECT", &TQZRGroup::lEject}, std::pair{"LNEEDSTART", &TQZRGroup::lNeedStart},
                                std::pair{"LHEADER", &TQZRGroup::lHeader}, std::pair{"LFOOTER", &TQZRGroup::lFooter}})
      Member(c, name, member, group);

    // New( bGroup, cHeader, cFooter, bFont, lEject, oReport, nPos )
    c.Method("NEW", [](xb::Object& o, xb::Args& a) {
      TQZRGroupObject& self = G(o);
      self.bGroup = a.Arg(1).IsBlock() ? a.Arg(1) : Const(Value::String(""));
      self.bHeadFont = self.bFootFont = a.Arg(4).IsBlock() ? a.Arg(4) : Const(Value::Integer(1));
      self.oReport = a.Arg(6);
      self.nPos = I(a, 7);
      TQZRGroup& g = self.Group();
      g.cHeader = a.IsNil(2) ? std::string() : data::ValueText(a.Arg(2));
      g.cFooter = a.IsNil(3) ? std::string("Total...") : data::ValueText(a.Arg(3));
      g.lEject = a.Log(5);
      TQZRGroupObject* me = &self;
      g.bGroup = [me] { return data::ValueText(Eval(me->bGroup, {Value::Integer(me->nPos)})); };
      GroupFonts(self);
      return o.AsValue();
    });
    auto n_of = [](xb::Object& o) { return G(o).Index() + 1; };
    c.Method("RESET", [n_of](xb::Object& o, xb::Args&) {
      TQZRGroupObject& self = G(o);
      if (n_of(o) > 0) self.Group().Reset(self.Report()->Engine());
      return Value();
    });
    c.Method("STABILIZE", [n_of](xb::Object& o, xb::Args& a) {
      TQZRGroupObject& self = G(o);
      GroupFonts(self);
      if (n_of(o) > 0 && self.Report()->Engine().Device() != nullptr) self.Report()->Engine().StabilizeGroup(n_of(o));
      if (!a.IsNil(1)) self.Group().nOrder = I(a, 1);
      return Value();
    });
    c.Method("HEADER", [n_of](xb::Object& o, xb::Args& a) {
      TQZRGroupObject& self = G(o);
      if (n_of(o) > 0) self.Report()->Engine().GroupHeader(n_of(o), I(a, 1), LineText(a.Arg(2)));
      return Value();
    });
    c.Method("FOOTER", [n_of](xb::Object& o, xb::Args& a) {
      if (n_of(o) > 0) G(o).Report()->Engine().GroupFooter(n_of(o), I(a, 1));
      return Value();
    });
    c.Method("TOTAL", [n_of](xb::Object& o, xb::Args& a) {
      if (n_of(o) > 0) G(o).Report()->Engine().GroupTotal(n_of(o), I(a, 1));
      return Value();
    });
    c.Method("EVALUATE", [group](xb::Object& o, xb::Args&) {
      ++group(o).nCounter;
      return Value();
    });
    c.Method("CHECK", [group](xb::Object& o, xb::Args&) { return Value::Logical(group(o).Check()); });
    c.Method("CONSTRUYETEXTO", [group](xb::Object& o, xb::Args& a) {
      return Value::String(group(o).ConstruyeTexto(std::string(a.Str(1)), std::string(a.Str(2))));
    });
    return c;
  }();
  return cls;
}

// ---- TQZREPORT ---------------------------------------------------------------------------------------

namespace {

// The preview window over a preview device's pages (the report's dialog hidden while a modal
// one is open); an HTML device shows its pages itself. A printer or a text file has nothing
// to show.
Value DefaultPreview() {
  return Value(xb::Block::Native([](xb::Args& a) {
    auto* report = As<TQZReportObject>(a.Arg(2));
    ReportDevice* device = report != nullptr ? report->Device() : nullptr;
    if (device == nullptr || !device->IsScreen()) return Value();
    if (!device->IsHtml() && xb::FindFunction("QZ_RPREVIEW") != nullptr) xb::CallFunction("QZ_RPREVIEW", {a.Arg(1), a.Arg(2)});
    else device->End();
    return Value();
  }));
}

}  // namespace

TQZReportObject::TQZReportObject() : xb::Object(Cls()), engine_(std::make_unique<TQZReport>(nullptr)) {
  engine_->cCharPattern = "B";
  blocks[kStdFont] = Const(Value::Integer(1));
  blocks[kPreview] = DefaultPreview();
  for (auto [line, member] : {std::pair{&oHeader, &TQZReport::oHeader}, std::pair{&oTitle, &TQZReport::oTitle},
                              std::pair{&oFooter, &TQZReport::oFooter}}) {
    *line = xb::MakeRef<TQZRLineObject>();
    (*line)->Attach(this, member);
  }
}

TQZReportObject::~TQZReportObject() {
  for (auto& c : columns)
    if (c) c->Detach();
  for (auto& g : groups)
    if (g) g->Detach();
  for (auto* line : {&oHeader, &oTitle, &oFooter})
    if (*line) (*line)->Detach();
}

void TQZReportObject::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  for (const auto& c : columns)
    if (c) visitor.Visit(c.get());
  for (const auto& g : groups)
    if (g) visitor.Visit(g.get());
  for (const auto* line : {&oHeader, &oTitle, &oFooter})
    if (*line) visitor.Visit(line->get());
  for (const auto* list : {&aFont, &aPen})
    for (const Value& v : *list)
      if (xb::GcObject* t = v.GcTarget()) visitor.Visit(t);
  for (const Value& v : blocks)
    if (xb::GcObject* t = v.GcTarget()) visitor.Visit(t);
  for (const Value* v : {&oDevice, &oRptWnd, &oPagina, &oDlg, &Cargo})
    if (xb::GcObject* t = v->GcTarget()) visitor.Visit(t);
}

void TQZReportObject::ClearValues() {
  Object::ClearValues();
  for (auto& c : columns)
    if (c) c->Detach();
  for (auto& g : groups)
    if (g) g->Detach();
  columns.clear();
  groups.clear();
  for (auto* line : {&oHeader, &oTitle, &oFooter}) {
    if (*line) (*line)->Detach();
    *line = nullptr;
  }
  aFont.clear();
  aPen.clear();
  for (Value& v : blocks) v = Value();
  oRptWnd = oPagina = oDlg = Cargo = Value();
}

void TQZReportObject::Init(const NewParams& p) {
  TQZReport& e = *engine_;
  e.lSummary = p.summary;
  e.cPageTotal.clear();
  e.cGrandTotal.clear();
  lHTML = p.html;
  cRptFile = p.report_file;
  cResName = p.resource;
  cFile = p.file;
  aFont = p.fonts;
  aPen = p.pens;
  cDocument = p.document.empty() ? std::string("Printing report") : p.document;
  cName = cDocument;

  // The device: one given, the printer, the preview (or HTML), a text file, else the printer.
  EngineDeviceRequest request;
  request.document = cDocument;
  request.fonts = aFont;
  request.pens = aPen;
  bool text_file = false;
  if (auto* given = As<TQZRFileObject>(p.device)) {
    oDevice = p.device;
    device_ = given->file.get();
    if (p.document.empty() && !given->cDocument.empty()) cDocument = cName = given->cDocument;
  } else if (p.device.IsObject()) {
    request.device = p.device;
    // Without a name of its own the report takes the device's.
    if (p.document.empty() && xb::HasMessage(p.device, xb::Intern("CDOCUMENT"))) {
      const Value name = xb::Send(p.device, "CDOCUMENT");
      if (name.IsString() && !xb::AllTrim(name.AsString()).empty()) cDocument = cName = std::string(name.AsString());
    }
    request.document = cDocument;
  } else if (p.to_printer) {
    request.printer = true;
  } else if (p.to_screen) {
    request.screen = true;
    request.html = lHTML;
  } else if (!p.file.empty()) {
    text_file = true;
  } else {
    request.printer = true;
  }
  if (text_file) {
    auto file = xb::MakeRef<TQZRFileObject>();
    file->file = std::make_unique<TQZRFile>(p.file);
    file->cDocument = cDocument;
    device_ = file->file.get();
    oDevice = Value(file);
  } else if (device_ == nullptr && DeviceMaker()) {
    EngineDevice made = DeviceMaker()(request);
    owned_device_ = std::move(made.device);
    device_ = owned_device_.get();
    oDevice = made.object.IsNil() ? p.device : made.object;
  }
  lScreen = device_ != nullptr && device_->IsScreen();
  lPrinter = device_ != nullptr && !text_file && !lScreen;
  e.SetDevice(device_);
  // The fonts and pens made again for a windowed device; every font's texts in black.
  if (device_ != nullptr && !device_->IsText()) {
    if (std::vector<Value> made = device_->FontObjects(); !made.empty()) aFont = std::move(made);
    if (std::vector<Value> made = device_->PenObjects(); !made.empty()) aPen = std::move(made);
  }
  e.aClrText.assign(std::max<std::size_t>(1, aFont.size()), 0);

  oHeader->Init(p.header, PadOf(p.header_align, 1));
  oTitle->Init(p.title, PadOf(p.title_align, 3));
  oFooter->Init(p.footer, PadOf(p.footer_align, 1));
  Wire();
}

void TQZReportObject::Wire() {
  TQZReport& e = *engine_;
  e.bFor = [this] {
    const Value v = Eval(blocks[kFor]);
    return !v.IsLogical() || v.AsLogical();
  };
  e.bWhile = [this] {
    if (!blocks[kWhile].IsBlock()) return !xb::CallFunction("EOF").AsLogical();
    const Value v = Eval(blocks[kWhile]);
    return v.IsLogical() && v.AsLogical();
  };
  e.bSkip = [this] {
    if (blocks[kSkip].IsBlock()) Eval(blocks[kSkip], {Value::Integer(1)});
    else xb::CallFunction("DBSKIP", {Value::Integer(1)});
  };
  auto hook = [this](Block b) { return [this, b](TQZReport&) { Eval(blocks[b], {AsValue()}); }; };
  e.bInit = hook(kInit);
  e.bEnd = hook(kEnd);
  e.bStartPage = hook(kStartPage);
  e.bEndPage = hook(kEndPage);
  e.bStartGroup = hook(kStartGroup);
  e.bEndGroup = hook(kEndGroup);
  e.bStartLine = hook(kStartLine);
  e.bEndLine = hook(kEndLine);
  e.bChange = hook(kChange);
  e.bPostEnd = hook(kPostEnd);
  e.bPostPage = hook(kPostPage);
  e.bPostGroup = hook(kPostGroup);
  e.bWideQuestion = CurrentReportRunHook().wide_question;
  // The progress dialog's page field.
  e.bPageShown = [this](int page) {
    if (oPagina.IsObject() && xb::HasMessage(oPagina, xb::Intern("SETTEXT")))
      xb::Send(oPagina, "SETTEXT", {Value::String(std::to_string(page))});
  };
}

void TQZReportObject::AddColumn(const xb::Ref<TQZRColObject>& column) {
  if (!column || column->Index() >= 0) return;
  column->Attach(this, static_cast<int>(columns.size()));
  columns.push_back(column);
}

void TQZReportObject::AddGroup(const xb::Ref<TQZRGroupObject>& group) {
  if (!group || group->Index() >= 0) return;
  group->Attach(this, static_cast<int>(groups.size()));
  groups.push_back(group);
}

void TQZReportObject::Prepare() {
  for (auto& c : columns) {
    c->TitlesFromBlocks();
    ColumnFonts(*c);
  }
  for (auto& g : groups) GroupFonts(*g);
  for (auto* line : {&oHeader, &oTitle, &oFooter})
    if (*line) (*line)->Sync();
  engine_->nStdFont = std::max(1, Int(Eval(blocks[kStdFont]), 1));
}


void TQZReportObject::Activate(const std::vector<Value>& given) {
  for (std::size_t i = 0; i < given.size() && i <= kPostGroup; ++i)
    if (blocks[i].IsNil() && !given[i].IsNil()) blocks[i] = given[i];
  if (blocks[kFor].IsNil()) blocks[kFor] = Const(Value::Logical(true));
  if (blocks[kWhile].IsNil())
    blocks[kWhile] = Value(xb::Block::Native([](xb::Args&) { return Value::Logical(!xb::CallFunction("EOF").AsLogical()); }));
  Prepare();
  // The progress window: its meter hides, its button stops the printing.
  std::vector<Value> buttons;
  if (oRptWnd.IsObject() && xb::HasMessage(oRptWnd, xb::Intern("ACONTROLS"))) {
    const Value controls = xb::Send(oRptWnd, "ACONTROLS");
    for (const Value& control : Items(controls)) {
      if (!control.IsObject()) continue;
      const std::string& kind = control.AsObject()->ClassName();
      if (kind == "TMETER" && xb::HasMessage(control, xb::Intern("HIDE"))) xb::Send(control, "HIDE");
      if (kind != "TBUTTON") continue;
      if (xb::HasMessage(control, xb::Intern("SETTEXT")))
        xb::Send(control, "SETTEXT", {Value::String(lScreen ? "&Cancelar" : "&Previsualizar")});
      TQZReport* engine = engine_.get();
      if (!xb::HasMessage(control, xb::Intern("_BACTION"))) continue;
      xb::Send(control, "_BACTION", {Value(xb::Block::Native([engine](xb::Args&) {
                 engine->lBreak = true;
                 return Value();
               }))});
      buttons.push_back(control);
    }
    // The window's messages run between records, so the button is heard.
    engine_->bRefresh = [] {
      if (xb::FindFunction("SYSREFRESH") != nullptr) xb::CallFunction("SYSREFRESH");
    };
  }
  // The window closes before the preview; with one, only a printer device has a preview.
  const bool window = oRptWnd.IsObject();
  bool closed = false;
  auto close = [&] {
    if (closed) return;
    closed = true;
    for (const Value& button : buttons) xb::Send(button, "_BACTION", {Value()});
    if (window && xb::HasMessage(oRptWnd, xb::Intern("END"))) xb::Send(oRptWnd, "END");
  };
  engine_->bPreview = [&](TQZReport&) {
    close();
    if (window && device_->IsText()) return;
    if (blocks[kPreview].IsBlock()) Eval(blocks[kPreview], {oDevice, AsValue()});
    else if (device_->IsScreen()) device_->End();
  };
  engine_->Activate();
  engine_->bPreview = nullptr;
  close();
}

namespace {

TQZReportObject::NewParams ReportParams(xb::Args& a) {
  TQZReportObject::NewParams p;
  p.title = Items(a.Arg(1));
  p.header = Items(a.Arg(2));
  p.footer = Items(a.Arg(3));
  p.fonts = Items(a.Arg(4));
  p.pens = Items(a.Arg(5));
  p.summary = a.Log(6);
  p.report_file = std::string(a.Str(7));
  p.resource = std::string(a.Str(8));
  p.to_printer = a.Log(9);
  p.to_screen = a.Log(10);
  p.file = std::string(xb::AllTrim(a.Str(11)));
  p.device = a.Arg(12);
  p.document = std::string(a.Str(13));
  if (a.Arg(14).IsString()) p.title_align = std::string(a.Str(14));
  if (a.Arg(15).IsString()) p.header_align = std::string(a.Str(15));
  if (a.Arg(16).IsString()) p.footer_align = std::string(a.Str(16));
  p.html = a.Log(17);
  return p;
}

std::vector<int> IntsOf(const Value& v) {
  std::vector<int> n;
  for (const Value& item : Items(v)) n.push_back(Int(item, 1));
  return n;
}

void DefineReport(xb::Class& c) {
  auto rep = [](xb::Object& o) -> TQZReport& { return R(o).Engine(); };
  c.Data("ODEVICE", &TQZReportObject::oDevice);
  c.Data("ORPTWND", &TQZReportObject::oRptWnd);
  c.Data("OPAGINA", &TQZReportObject::oPagina);
  c.Data("ODLG", &TQZReportObject::oDlg);
  c.Data("CARGO", &TQZReportObject::Cargo);
  c.Data("CFILE", &TQZReportObject::cFile);
  c.Data("CNAME", &TQZReportObject::cName);
  c.Data("CRPTFILE", &TQZReportObject::cRptFile);
  c.Data("CRESNAME", &TQZReportObject::cResName);
  c.Data("LHTML", &TQZReportObject::lHTML);
  c.Data("LPRINTER", &TQZReportObject::lPrinter);
  c.Data("LSCREEN", &TQZReportObject::lScreen);
  c.Data("LNOCANCEL", &TQZReportObject::lNoCancel);
  c.Data("LPAGETOTAL", &TQZReportObject::lPageTotal);
  // Per column and title or data line, its block (an empty text where a column has fewer).
  for (auto [name, member] : {std::pair{"ATEXT", &TQZRColObject::aTitle}, std::pair{"ADATA", &TQZRColObject::aData}})
    c.Property(name, [member](xb::Object& o) {
      std::size_t lines = 1;
      for (auto& col : R(o).columns) lines = std::max(lines, (col.get()->*member).size());
      xb::Array a = xb::Array::New();
      for (auto& col : R(o).columns) {
        std::vector<Value> cells = col.get()->*member;
        cells.resize(lines, Const(Value::String("")));
        a.Append(ArrayOf(cells));
      }
      return Value(a);
    }, nullptr);
  static const char* const block_names[] = {"BFOR",      "BWHILE",     "BINIT",      "BEND",        "BSTARTPAGE",
                                            "BENDPAGE",  "BSTARTGROUP", "BENDGROUP", "BSTARTLINE",  "BENDLINE",
                                            "BCHANGE",   "BPOSTEND",   "BPOSTPAGE",  "BPOSTGROUP",  "BSKIP",
                                            "BSTDFONT",  "BPREVIEW"};
  for (int b = 0; b < TQZReportObject::kBlocks; ++b)
    c.Property(block_names[b], [b](xb::Object& o) { return R(o).blocks[b]; },
               [b](xb::Object& o, const Value& v) { R(o).blocks[b] = v; });
  c.Property("ACOLUMNS", [](xb::Object& o) {
    std::vector<Value> v;
    for (auto& col : R(o).columns) v.push_back(Value(col));
    return ArrayOf(v);
  }, nullptr);
  c.Property("AGROUPS", [](xb::Object& o) {
    std::vector<Value> v;
    for (auto& g : R(o).groups) v.push_back(Value(g));
    return ArrayOf(v);
  }, nullptr);
  for (auto [name, member] : {std::pair{"OHEADER", &TQZReportObject::oHeader}, std::pair{"OTITLE", &TQZReportObject::oTitle},
                              std::pair{"OFOOTER", &TQZReportObject::oFooter}})
    c.Property(name, [member](xb::Object& o) { return R(o).*member ? Value(R(o).*member) : Value(); }, nullptr);
  // The fonts and pens a windowed device prints with, until the report ends and frees them.
  auto windowed = [](xb::Object& o) { return R(o).Device() != nullptr && !R(o).Device()->IsText(); };
  c.Property("AFONT", [windowed](xb::Object& o) {
    return ArrayOf(windowed(o) ? R(o).Device()->FontObjects() : R(o).aFont);
  }, nullptr);
  c.Property("APEN", [windowed](xb::Object& o) {
    return ArrayOf(windowed(o) ? R(o).Device()->PenObjects() : R(o).aPen);
  }, nullptr);
  c.Property("OPENHORZ", [](xb::Object& o) { return R(o).Device() ? R(o).Device()->HorzPenObject() : Value(); }, nullptr);
  // The shading brush, from the first shaded line to the end of the report.
  c.Property("OSHDBRUSH", [rep](xb::Object& o) {
    const std::optional<std::uint32_t> colour = rep(o).nShdBrush;
    return colour && R(o).Device() ? R(o).Device()->BrushObject(*colour) : Value();
  }, nullptr);
  c.Property("ACLRTEXT", [rep](xb::Object& o) {
    xb::Array a = xb::Array::New();
    for (std::uint32_t colour : rep(o).aClrText) a.Append(Value::Integer(colour));
    return Value(a);
  }, [rep](xb::Object& o, const Value& v) {
    if (!v.IsArray()) return xb::detail::RaiseWrongDataType(o, "ACLRTEXT", v);
    rep(o).aClrText.clear();
    for (const Value& n : Items(v)) rep(o).aClrText.push_back(static_cast<std::uint32_t>(Int(n, 0)));
  });
  c.Property("ACOLS", [rep](xb::Object& o) { return Ints(rep(o).aCols); }, nullptr);
  c.Property("ADATAHEIGHT", [rep](xb::Object& o) { return Ints(rep(o).aDataHeight); }, nullptr);
  c.Property("ALINECOL", [rep](xb::Object& o) { return Ints(rep(o).aLineCol); }, nullptr);
  c.Property("ACOLGROUP", [rep](xb::Object& o) {
    xb::Array a = xb::Array::New();
    for (bool b : rep(o).aColGroup) a.Append(Value::Logical(b));
    return Value(a);
  }, nullptr);
  c.Property("ALINEGROUP", [rep](xb::Object& o) {
    xb::Array a = xb::Array::New();
    for (const auto& lines : rep(o).aLineGroup) a.Append(Ints(lines));
    return Value(a);
  }, nullptr);
  c.Property("AHEADGROUP", [rep](xb::Object& o) {
    xb::Array a = xb::Array::New();
    for (const auto& texts : rep(o).aHeadGroup) {
      xb::Array t = xb::Array::New();
      for (const std::string& s : texts) t.Append(Value::String(s));
      a.Append(Value(t));
    }
    return Value(a);
  }, nullptr);
  // Per column and data line, the argument array of the line's data block.
  c.Property("AVALUES", [](xb::Object& o) {
    xb::Array a = xb::Array::New();
    const int lines = R(o).Engine().nMaxData;
    for (auto& col : R(o).columns) {
      xb::Array row = xb::Array::New();
      for (int i = 0; i < lines; ++i)
        row.Append(static_cast<std::size_t>(i) < col->aValues.size() ? col->aValues[static_cast<std::size_t>(i)]
                                                                     : Value(xb::Array::New()));
      a.Append(Value(row));
    }
    return Value(a);
  }, nullptr);
  for (auto [name, member] : {std::pair{"CPAGETOTAL", &TQZReport::cPageTotal}, std::pair{"CGRANDTOTAL", &TQZReport::cGrandTotal},
                              std::pair{"CCHARPATTERN", &TQZReport::cCharPattern}})
    Member(c, name, member, rep);
  for (auto [name, member] :
       {std::pair{"NROW", &TQZReport::nRow}, std::pair{"NPAGE", &TQZReport::nPage},
        std::pair{"NALTOCABECERA", &TQZReport::nAltoCabecera}, std::pair{"NMARGENIZDO", &TQZReport::nMargenIzdo},
        std::pair{"NTITLEROW", &TQZReport::nTitleRow}, std::pair{"NBOTTOMROW", &TQZReport::nBottomRow},
        std::pair{"NSTDLINEHEIGHT", &TQZReport::nStdLineHeight}, std::pair{"NRPTWIDTH", &TQZReport::nRptWidth},
        std::pair{"NSEPARATOR", &TQZReport::nSeparator}, std::pair{"NLEFTMARGIN", &TQZReport::nLeftMargin},
        std::pair{"NRIGHTMARGIN", &TQZReport::nRightMargin}, std::pair{"NTOPMARGIN", &TQZReport::nTopMargin},
        std::pair{"NDNMARGIN", &TQZReport::nDnMargin}, std::pair{"NMARGIN", &TQZReport::nMargin},
        std::pair{"NMAXTITLE", &TQZReport::nMaxTitle}, std::pair{"NMAXDATA", &TQZReport::nMaxData},
        std::pair{"NTITLEHEIGHT", &TQZReport::nTitleHeight}, std::pair{"NFIRSTDROW", &TQZReport::nFirstDRow},
        std::pair{"NLASTDROW", &TQZReport::nLastDRow}, std::pair{"NDATALINE", &TQZReport::nDataLine},
        std::pair{"NCOUNTER", &TQZReport::nCounter}, std::pair{"NTOTALLINE", &TQZReport::nTotalLine},
        std::pair{"NGROUPLINE", &TQZReport::nGroupLine}, std::pair{"NTITLEUPLINE", &TQZReport::nTitleUpLine},
        std::pair{"NTITLEDNLINE", &TQZReport::nTitleDnLine}, std::pair{"NTOTALFONT", &TQZReport::nTotalFont},
        std::pair{"NSUBTTFONT", &TQZReport::nSubTTFont}, std::pair{"NLINEASREG", &TQZReport::nLineasReg}})
    Member(c, name, member, rep);
  for (auto [name, member] : {std::pair{"NALTOCABMM", &TQZReport::nAltoCabMM}, std::pair{"NMGIZMM", &TQZReport::nMgIzMM},
                              std::pair{"NMGDNMM", &TQZReport::nMgDnMM}})
    Member(c, name, member, rep);
  c.Property("NCLRSHADOW", [rep](xb::Object& o) { return Value::Integer(rep(o).nClrShadow); },
             [rep](xb::Object& o, const Value& v) {
               if (!v.IsNumber()) return xb::detail::RaiseWrongDataType(o, "NCLRSHADOW", v);
               rep(o).nClrShadow = static_cast<std::uint32_t>(v.AsInt());
             });
  for (auto [name, member] :
       {std::pair{"LSUMMARY", &TQZReport::lSummary}, std::pair{"LPAGEGROUP", &TQZReport::lPageGroup},
        std::pair{"LAUTOLAND", &TQZReport::lAutoLand}, std::pair{"LBREAK", &TQZReport::lBreak},
        std::pair{"LGLOBALSHADOW", &TQZReport::lGlobalShadow}, std::pair{"LTHISSHADOW", &TQZReport::lThisShadow},
        std::pair{"LSEPARATOR", &TQZReport::lSeparator}, std::pair{"LJOIN", &TQZReport::lJoin},
        std::pair{"LBOXONTOTAL", &TQZReport::lBoxOnTotal}, std::pair{"LTOTAL", &TQZReport::lTotal},
        std::pair{"LSTABLE", &TQZReport::lStable}, std::pair{"LCREATED", &TQZReport::lCreated},
        std::pair{"LFINISH", &TQZReport::lFinish}, std::pair{"LFIRSTROW", &TQZReport::lFirstRow},
        std::pair{"LISNARROW", &TQZReport::lIsNarrow}, std::pair{"LGROUP", &TQZReport::lGroup},
        std::pair{"LSHADOW", &TQZReport::lShadow}, std::pair{"LGRID", &TQZReport::lGrid}})
    Member(c, name, member, rep);
  c.Property("NWIDTH", [](xb::Object& o) { return Value::Integer(R(o).Device() ? R(o).Device()->Width() : 0); }, nullptr);
  c.Property("NHEIGHT", [](xb::Object& o) { return Value::Integer(R(o).Device() ? R(o).Device()->Height() : 0); }, nullptr);
  c.Property("NLOGPIXX", [](xb::Object& o) { return Value::Integer(R(o).Device() ? R(o).Device()->LogPixX() : 0); }, nullptr);
  c.Property("NLOGPIXY", [](xb::Object& o) { return Value::Integer(R(o).Device() ? R(o).Device()->LogPixY() : 0); }, nullptr);

  c.Method("NEW", [](xb::Object& o, xb::Args& a) {
    R(o).Init(ReportParams(a));
    return o.AsValue();
  });
  c.Method("ACTIVATE", [](xb::Object& o, xb::Args& a) {
    std::vector<Value> given;
    for (int n = 1; n <= 14; ++n) given.push_back(a.Arg(n));
    R(o).Activate(given);
    return Value();
  });
  c.Method("ADDCOLUMN", [](xb::Object& o, xb::Args& a) {
    if (auto* col = As<TQZRColObject>(a.Arg(1))) R(o).AddColumn(xb::Ref<TQZRColObject>(col));
    return Value();
  });
  c.Method("ADDGROUP", [](xb::Object& o, xb::Args& a) {
    if (auto* g = As<TQZRGroupObject>(a.Arg(1))) R(o).AddGroup(xb::Ref<TQZRGroupObject>(g));
    return Value();
  });
  c.Method("ADDLINECOL", [rep](xb::Object& o, xb::Args& a) { rep(o).AddLineCol(I(a, 1, 1)); return Value(); });
  c.Method("ADDCOLGROUP", [rep](xb::Object& o, xb::Args& a) { rep(o).AddColGroup(a.Log(1)); return Value(); });
  c.Method("ADDLINEGROUP", [rep](xb::Object& o, xb::Args& a) { rep(o).AddLineGroup(IntsOf(a.Arg(1))); return Value(); });
  c.Method("ADDHEADGROUP", [rep](xb::Object& o, xb::Args& a) {
    std::vector<std::string> texts;
    for (const Value& v : Items(a.Arg(1))) texts.push_back(data::ValueText(v));
    rep(o).AddHeadGroup(std::move(texts));
    return Value();
  });
  c.Method("TRANSHORAS", [](xb::Object&, xb::Args& a) { return Value::String(TransHoras(a.Arg(1), I(a, 2))); });
  // The steps of a run, for compiled text that drives one itself; each needs the device.
  auto laid_out = [](std::function<Value(TQZReportObject&, TQZReport&, xb::Args&)> fn) {
    return [fn](xb::Object& o, xb::Args& a) {
      TQZReportObject& self = R(o);
      return self.Device() != nullptr ? fn(self, self.Engine(), a) : Value();
    };
  };
  c.Method("STABILIZE", laid_out([](TQZReportObject& self, TQZReport& r, xb::Args&) {
    self.Prepare();
    r.Stabilize();
    return Value();
  }));
  c.Method("STARTPAGE", laid_out([](TQZReportObject&, TQZReport& r, xb::Args&) { r.StartPage(); return Value(); }));
  c.Method("ENDPAGE", laid_out([](TQZReportObject&, TQZReport& r, xb::Args&) { r.EndPage(); return Value(); }));
  c.Method("PLAY", laid_out([](TQZReportObject&, TQZReport& r, xb::Args&) { r.Play(); return Value(); }));
  c.Method("PAGETOTAL", laid_out([](TQZReportObject&, TQZReport& r, xb::Args&) { r.PageTotal(); return Value(); }));
  c.Method("COLTITLE", laid_out([](TQZReportObject&, TQZReport& r, xb::Args&) { r.ColTitle(); return Value(); }));
  c.Method("NLINEAREG", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) { r.nLineaReg(I(a, 1)); return Value(); }));
  c.Method("SEPARATOR", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) {
    if (!a.IsNil(2)) r.nRow = I(a, 2);
    if (!r.aColumns.empty()) r.Separator(I(a, 1));
    return Value();
  }));
  c.Method("TOTALLINE", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) {
    if (!r.aColumns.empty()) r.TotalLine(I(a, 1), I(a, 2));
    return Value();
  }));
  c.Method("STARTGROUP", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) {
    if (I(a, 1) >= 1 && I(a, 1) <= static_cast<int>(r.aGroups.size())) r.StartGroup(I(a, 1));
    return Value();
  }));
  c.Method("ENDGROUP", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) {
    if (I(a, 1) >= 1 && I(a, 1) <= static_cast<int>(r.aGroups.size())) r.EndGroup(I(a, 1), a.Log(2));
    return Value();
  }));
  c.Method("SHADOW", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) {
    r.Shadow(I(a, 1, r.nStdLineHeight));
    return Value();
  }));
  c.Method("GRID", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) {
    r.Grid(I(a, 1, r.nStdLineHeight), I(a, 2, r.nRow));
    return Value();
  }));
  c.Method("NEWLINE", [rep](xb::Object& o, xb::Args& a) {
    rep(o).nRow += I(a, 1) != 0 ? I(a, 1) : rep(o).nStdLineHeight;
    return Value();
  });
  // SetShdColor( nColor ): the next shaded line makes its brush in the new colour.
  c.Method("SETSHDCOLOR", [rep](xb::Object& o, xb::Args& a) {
    rep(o).nClrShadow = static_cast<std::uint32_t>(a.Int(1, 12632256));
    rep(o).nShdBrush.reset();
    return Value();
  });
  // SetTxtColor( nColor, nFont ): the colour of a font's texts (font 1 by default).
  c.Method("SETTXTCOLOR", [rep](xb::Object& o, xb::Args& a) {
    const int font = std::max(1, I(a, 2, 1));
    std::vector<std::uint32_t>& colours = rep(o).aClrText;
    if (colours.size() < static_cast<std::size_t>(font)) colours.resize(static_cast<std::size_t>(font), 0);
    colours[static_cast<std::size_t>(font - 1)] = static_cast<std::uint32_t>(a.Int(1, 0));
    return Value();
  });
  // SetPenColor( nColor ): the horizontal pen made again, solid, in that colour.
  c.Method("SETPENCOLOR", [](xb::Object& o, xb::Args& a) {
    if (a.Arg(1).IsNumber() && R(o).Device() != nullptr) R(o).Device()->SetHorzPenColour(static_cast<std::uint32_t>(a.Int(1)));
    return Value();
  });
  c.Method("STARTLINE", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) {
    r.StartLine(I(a, 1, r.nStdLineHeight), a.Log(2));
    return Value();
  }));
  c.Method("ENDLINE", laid_out([](TQZReportObject&, TQZReport& r, xb::Args& a) {
    r.EndLine(I(a, 1, r.nStdLineHeight));
    return Value();
  }));
  c.Method("END", [](xb::Object& o, xb::Args&) {
    R(o).Engine().End();
    return Value();
  });
}

}  // namespace

const xb::Class& TQZReportObject::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZREPORT");
    DefineReport(c);
    return c;
  }();
  return cls;
}

void RegisterReportEngine() {
  (void)TQZReportObject::Cls();
  (void)TQZRColObject::Cls();
  (void)TQZRGroupObject::Cls();
  (void)TQZRFileObject::Cls();
  (void)TQZRLineObject::Cls();
  xb::RegisterFunction("TQZREPORT", [](xb::Args&) { return Value(xb::MakeRef<TQZReportObject>()); });
  xb::RegisterFunction("TQZRCOL", [](xb::Args&) { return Value(xb::MakeRef<TQZRColObject>()); });
  xb::RegisterFunction("TQZRGROUP", [](xb::Args&) { return Value(xb::MakeRef<TQZRGroupObject>()); });
  xb::RegisterFunction("TQZRFILE", [](xb::Args&) { return Value(xb::MakeRef<TQZRFileObject>()); });
}

}  // namespace reports
