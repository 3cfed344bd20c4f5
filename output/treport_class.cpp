// The messages of TREPORT, TRCOLUMN, TRGROUP and TRLINE that text compiled at run time may
// send, and RPTBEGIN, RPTADDCOLUMN, RPTADDGROUP, RPTEND.
#include <vector>

#include "output/treport.h"
#include "output/trfile.h"
#include "runtime/function_table.h"

namespace output {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

std::vector<Value> Blocks(const Value& v) {
  std::vector<Value> blocks;
  if (v.IsArray()) {
    for (const Value& item : v.AsArray()) blocks.push_back(item);
  } else if (v.IsBlock()) {
    blocks.push_back(v);
  }
  return blocks;
}

template <typename T>
std::vector<xb::Ref<T>> Objects(const Value& v) {
  std::vector<xb::Ref<T>> objects;
  if (!v.IsArray()) return objects;
  for (const Value& item : v.AsArray()) objects.push_back(xb::Ref<T>(dynamic_cast<T*>(item.AsObject().get())));
  return objects;
}

std::vector<std::string> Strings(const Value& v) {
  std::vector<std::string> strings;
  if (v.IsArray()) {
    for (const Value& item : v.AsArray()) strings.emplace_back(item.AsString());
  } else if (v.IsString()) {
    strings.emplace_back(v.AsString());
  }
  return strings;
}

template <typename T>
Value ArrayOf(const std::vector<xb::Ref<T>>& objects) {
  xb::Array a = xb::Array::New();
  for (const auto& o : objects) a.Append(o ? Value(o) : Value());
  return Value(a);
}

Value Ints(const std::vector<int>& v) {
  xb::Array a = xb::Array::New();
  for (int n : v) a.Append(Value::Integer(n));
  return Value(a);
}

Value Values(const std::vector<Value>& v) { return Value(xb::Array::Of(std::span<const Value>(v))); }

TReport::NewParams ReportParams(Args& a) {
  TReport::NewParams p;
  p.title = Blocks(a.Arg(1));
  p.header = Blocks(a.Arg(2));
  p.footer = Blocks(a.Arg(3));
  p.fonts = Objects<ui::TFont>(a.Arg(4));
  p.pens = Objects<ui::TPen>(a.Arg(5));
  p.summary = a.Log(6);
  p.report_file = std::string(a.Str(7));
  p.resource = std::string(a.Str(8));
  p.to_printer = a.Log(9);
  p.to_screen = a.Log(10);
  p.file = std::string(a.Str(11));
  p.device = a.Obj(12);
  p.document = std::string(a.Str(13));
  if (a.Arg(14).IsString()) p.title_align = std::string(a.Str(14));
  if (a.Arg(15).IsString()) p.header_align = std::string(a.Str(15));
  if (a.Arg(16).IsString()) p.footer_align = std::string(a.Str(16));
  return p;
}

TRColumn::NewParams ColumnParams(Args& a) {
  TRColumn::NewParams p;
  p.titles = Blocks(a.Arg(1));
  p.col = static_cast<int>(a.Int(2));
  p.data = Blocks(a.Arg(3));
  p.size = static_cast<int>(a.Int(4));
  p.pictures = Strings(a.Arg(5));
  p.data_font = a.Arg(6);
  p.total = a.Log(7);
  p.total_expr = a.Arg(8);
  p.align = std::string(a.Str(9));
  p.shadow = a.Log(10);
  p.grid = a.Log(11);
  p.pen = static_cast<int>(a.Int(12, 1));
  return p;
}

TRGroup::NewParams GroupParams(Args& a) {
  TRGroup::NewParams p;
  p.key = a.Arg(1);
  p.header = a.Arg(2);
  p.footer = a.Arg(3);
  p.font = a.Arg(4);
  p.eject = a.Log(5);
  return p;
}

struct Definition {
  xb::Ref<TReport> report;
  std::vector<xb::Ref<TRColumn>> columns;
  std::vector<xb::Ref<TRGroup>> groups;
};
std::vector<Definition>& Definitions() {
  static std::vector<Definition> open;
  return open;
}

TReport& R(Object& o) { return xb::Class::Cast<TReport>(o); }
TRColumn& C(Object& o) { return xb::Class::Cast<TRColumn>(o); }
TRGroup& G(Object& o) { return xb::Class::Cast<TRGroup>(o); }
TRLine& L(Object& o) { return xb::Class::Cast<TRLine>(o); }
int I(const Args& a, int n, int def = 0) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); }
double D(const Args& a, int n, double def) { return a.IsNil(n) ? def : a.Num(n); }

void DefineReport(xb::Class& c) {
  c.Data("ODEVICE", &TReport::oDevice);
  c.Property("OTITLE", [](Object& o) { return R(o).oTitle ? Value(R(o).oTitle) : Value(); }, nullptr);
  c.Property("OHEADER", [](Object& o) { return R(o).oHeader ? Value(R(o).oHeader) : Value(); }, nullptr);
  c.Property("OFOOTER", [](Object& o) { return R(o).oFooter ? Value(R(o).oFooter) : Value(); }, nullptr);
  c.Data("ORPTWND", &TReport::oRptWnd);
  c.Property("ACOLUMNS", [](Object& o) { return ArrayOf(R(o).aColumns); }, nullptr);
  c.Property("AGROUPS", [](Object& o) { return ArrayOf(R(o).aGroups); }, nullptr);
  c.Property("AFONT", [](Object& o) { return ArrayOf(R(o).aFont); }, nullptr);
  c.Property("APEN", [](Object& o) { return ArrayOf(R(o).aPen); }, nullptr);
  c.Property("ACOLS", [](Object& o) { return Ints(R(o).aCols); }, nullptr);
  c.Property("ADATAHEIGHT", [](Object& o) { return Ints(R(o).aDataHeight); }, nullptr);
  c.Property("OPENHORZ", [](Object& o) { return R(o).oPenHorz ? Value(R(o).oPenHorz) : Value(); }, nullptr);
  struct BlockData {
    const char* name;
    Value TReport::*member;
  };
  static const BlockData blocks[] = {
      {"BFOR", &TReport::bFor},           {"BWHILE", &TReport::bWhile},         {"BINIT", &TReport::bInit},
      {"BEND", &TReport::bEnd},           {"BSTARTLINE", &TReport::bStartLine}, {"BENDLINE", &TReport::bEndLine},
      {"BSTARTPAGE", &TReport::bStartPage}, {"BENDPAGE", &TReport::bEndPage},   {"BSTARTGROUP", &TReport::bStartGroup},
      {"BENDGROUP", &TReport::bEndGroup}, {"BSKIP", &TReport::bSkip},           {"BSTDFONT", &TReport::bStdFont},
      {"BPREVIEW", &TReport::bPreview},   {"BCHANGE", &TReport::bChange},       {"BPOSTEND", &TReport::bPostEnd},
      {"BPOSTPAGE", &TReport::bPostPage}, {"BPOSTGROUP", &TReport::bPostGroup}, {"BSTARTRECORD", &TReport::bStartRecord},
      {"CARGO", &TReport::Cargo}};
  for (const BlockData& b : blocks) c.Data(b.name, b.member);
  struct StringData {
    const char* name;
    std::string TReport::*member;
  };
  static const StringData strings[] = {{"CRPTFILE", &TReport::cRptFile},     {"CRESNAME", &TReport::cResName},
                                       {"CFILE", &TReport::cFile},           {"CNAME", &TReport::cName},
                                       {"CPAGETOTAL", &TReport::cPageTotal}, {"CGRANDTOTAL", &TReport::cGrandTotal},
                                       {"CCHARPATTERN", &TReport::cCharPattern}};
  for (const StringData& s : strings) c.Data(s.name, s.member);
  struct IntData {
    const char* name;
    int TReport::*member;
  };
  static const IntData ints[] = {
      {"NWIDTH", &TReport::nWidth},           {"NHEIGHT", &TReport::nHeight},         {"NMARGIN", &TReport::nMargin},
      {"NROW", &TReport::nRow},               {"NPAGE", &TReport::nPage},             {"NMAXTITLE", &TReport::nMaxTitle},
      {"NMAXDATA", &TReport::nMaxData},       {"NSEPARATOR", &TReport::nSeparator},   {"NLEFTMARGIN", &TReport::nLeftMargin},
      {"NRIGHTMARGIN", &TReport::nRightMargin}, {"NTOPMARGIN", &TReport::nTopMargin}, {"NDNMARGIN", &TReport::nDnMargin},
      {"NTITLEROW", &TReport::nTitleRow},     {"NBOTTOMROW", &TReport::nBottomRow},   {"NSTDLINEHEIGHT", &TReport::nStdLineHeight},
      {"NRPTWIDTH", &TReport::nRptWidth},     {"NLOGPIXX", &TReport::nLogPixX},       {"NLOGPIXY", &TReport::nLogPixY},
      {"NFIRSTDROW", &TReport::nFirstdRow},   {"NLASTDROW", &TReport::nLastdRow},     {"NTITLEHEIGHT", &TReport::nTitleHeight},
      {"NDATALINE", &TReport::nDataLine},     {"NCOUNTER", &TReport::nCounter},       {"NTOTALLINE", &TReport::nTotalLine},
      {"NGROUPLINE", &TReport::nGroupLine},   {"NTITLEUPLINE", &TReport::nTitleUpLine}, {"NTITLEDNLINE", &TReport::nTitleDnLine}};
  for (const IntData& n : ints) c.Data(n.name, n.member);
  c.Property("NCLRSHADOW", [](Object& o) { return Value::Integer(R(o).nClrShadow); },
             [](Object& o, const Value& v) { R(o).SetShdColor(static_cast<COLORREF>(v.AsInt())); });
  struct BoolData {
    const char* name;
    bool TReport::*member;
  };
  static const BoolData flags[] = {
      {"LSUMMARY", &TReport::lSummary},   {"LTOTAL", &TReport::lTotal},           {"LFINISH", &TReport::lFinish},
      {"LSTABLE", &TReport::lStable},     {"LGROUP", &TReport::lGroup},           {"LPRINTER", &TReport::lPrinter},
      {"LSCREEN", &TReport::lScreen},     {"LFIRSTROW", &TReport::lFirstRow},     {"LCREATED", &TReport::lCreated},
      {"LBREAK", &TReport::lBreak},       {"LSHADOW", &TReport::lShadow},         {"LGRID", &TReport::lGrid},
      {"LJOIN", &TReport::lJoin},         {"LSEPARATOR", &TReport::lSeparator},   {"LAUTOLAND", &TReport::lAutoLand},
      {"LISNARROW", &TReport::lIsNarrow}, {"LBOXONTOTAL", &TReport::lBoxOnTotal}, {"LNOCANCEL", &TReport::lNoCancel},
      {"LPAGETOTAL", &TReport::lPageTotal}};
  for (const BoolData& f : flags) c.Data(f.name, f.member);

  c.Method("NEW", [](Object& o, Args& a) {
    R(o).Init(ReportParams(a));
    return o.AsValue();
  });
  c.Method("ACTIVATE", [](Object& o, Args& a) {
    TReport::ActivateParams p{a.Arg(1), a.Arg(2),  a.Arg(3),  a.Arg(4),  a.Arg(5),  a.Arg(6),  a.Arg(7),
                              a.Arg(8), a.Arg(9), a.Arg(10), a.Arg(11), a.Arg(12), a.Arg(13), a.Arg(14)};
    R(o).Activate(p);
    return Value();
  });
  c.Method("ADDCOLUMN", [](Object& o, Args& a) {
    R(o).AddColumn(xb::Ref<TRColumn>(dynamic_cast<TRColumn*>(a.Obj(1).get())));
    return Value();
  });
  c.Method("DELCOLUMN", [](Object& o, Args& a) { R(o).DelColumn(I(a, 1)); return Value(); });
  c.Method("INSCOLUMN", [](Object& o, Args& a) {
    R(o).InsColumn(xb::Ref<TRColumn>(dynamic_cast<TRColumn*>(a.Obj(1).get())), I(a, 2, 1));
    return Value();
  });
  c.Method("ADDGROUP", [](Object& o, Args& a) {
    R(o).AddGroup(xb::Ref<TRGroup>(dynamic_cast<TRGroup*>(a.Obj(1).get())));
    return Value();
  });
  c.Method("DELGROUP", [](Object& o, Args& a) { R(o).DelGroup(I(a, 1)); return Value(); });
  c.Method("STABILIZE", [](Object& o, Args&) { R(o).Stabilize(); return Value(); });
  c.Method("NEEDNEWPAGE", [](Object& o, Args&) { return Value::Logical(R(o).NeedNewPage()); });
  c.Method("NEWLINE", [](Object& o, Args& a) { R(o).NewLine(I(a, 1)); return Value(); });
  c.Method("BACKLINE", [](Object& o, Args& a) { R(o).BackLine(I(a, 1)); return Value(); });
  c.Method("STARTLINE", [](Object& o, Args& a) {
    R(o).StartLine(I(a, 1, R(o).nStdLineHeight), a.Log(2));
    return Value();
  });
  c.Method("ENDLINE", [](Object& o, Args& a) { R(o).EndLine(I(a, 1, R(o).nStdLineHeight)); return Value(); });
  c.Method("END", [](Object& o, Args&) { R(o).End(); return Value(); });
  c.Method("SAY", [](Object& o, Args& a) {
    R(o).Say(I(a, 1, 1), a.Arg(2).IsNil() ? Value::String("") : a.Arg(2), I(a, 3, 1), I(a, 4, 1),
             a.Arg(5).IsNumber() ? std::optional<int>(I(a, 5)) : std::nullopt);
    return Value();
  });
  c.Method("SAYBITMAP", [](Object& o, Args& a) {
    R(o).SayBitmap(D(a, 1, 0.2), D(a, 2, 0.2), a.Arg(3), D(a, 4, 1), D(a, 5, 1), I(a, 6, 1));
    return Value();
  });
  c.Method("BOX", [](Object& o, Args& a) {
    R(o).Box(D(a, 1, 0.2), D(a, 2, 0.2), D(a, 3, 5), D(a, 4, 5), I(a, 5, 1), I(a, 6, 1));
    return Value();
  });
  c.Method("LINE", [](Object& o, Args& a) {
    R(o).Line(D(a, 1, 0.2), D(a, 2, 0.2), D(a, 3, 5), D(a, 4, 5), I(a, 5, 1), I(a, 6, 1));
    return Value();
  });
  c.Method("SHADOW", [](Object& o, Args& a) { R(o).Shadow(I(a, 1, R(o).nStdLineHeight)); return Value(); });
  c.Method("GRID", [](Object& o, Args& a) {
    R(o).Grid(I(a, 1), a.Arg(2).IsNumber() ? std::optional<int>(I(a, 2)) : std::nullopt,
              a.Arg(3).IsString() && !a.Str(3).empty() ? std::optional<char>(a.Str(3)[0]) : std::nullopt);
    return Value();
  });
  c.Method("SEPARATOR", [](Object& o, Args& a) {
    R(o).Separator(I(a, 1, 1), a.Arg(2).IsNumber() ? std::optional<int>(I(a, 2)) : std::nullopt);
    return Value();
  });
  c.Method("TOTALLINE", [](Object& o, Args& a) { R(o).TotalLine(I(a, 1), I(a, 2)); return Value(); });
  c.Method("PAGETOTAL", [](Object& o, Args&) { R(o).PageTotal(); return Value(); });
  c.Method("COLTITLE", [](Object& o, Args&) { R(o).ColTitle(); return Value(); });
  c.Method("SETTXTCOLOR", [](Object& o, Args& a) {
    R(o).SetTxtColor(static_cast<COLORREF>(a.Int(1)), I(a, 2, 1));
    return Value();
  });
  c.Method("SETSHDCOLOR", [](Object& o, Args& a) {
    R(o).SetShdColor(static_cast<COLORREF>(a.Int(1, 12632256)));
    return Value();
  });
  c.Method("SETPENCOLOR", [](Object& o, Args& a) {
    R(o).SetPenColor(a.Arg(1).IsNumber() ? std::optional<COLORREF>(static_cast<COLORREF>(a.Int(1))) : std::nullopt);
    return Value();
  });
  c.Method("MARGIN", [](Object& o, Args& a) {
    R(o).Margin(D(a, 1, 0.2), I(a, 2, 1), I(a, 3, 1));
    return Value();
  });
  c.Method("CELLVIEW", [](Object&, Args&) { return Value(); });
  c.Method("PHYWIDTH", [](Object& o, Args&) { return Value::Integer(R(o).PhyWidth()); });
  c.Method("PHYHEIGHT", [](Object& o, Args&) { return Value::Integer(R(o).PhyHeight()); });
}

void DefineColumn(xb::Class& c) {
  c.Property("OREPORT", [](Object& o) { return C(o).oReport ? C(o).oReport->Self() : Value(); }, nullptr);
  c.Property("ADATA", [](Object& o) { return Values(C(o).aData); }, nullptr);
  c.Property("ATITLE", [](Object& o) { return Values(C(o).aTitle); }, nullptr);
  for (auto [name, member] : {std::pair{"BDATAFONT", &TRColumn::bDataFont}, std::pair{"BTITLEFONT", &TRColumn::bTitleFont},
                              std::pair{"BTOTALFONT", &TRColumn::bTotalFont}, std::pair{"BTOTALEXPR", &TRColumn::bTotalExpr},
                              std::pair{"BCOLOR", &TRColumn::bColor}, std::pair{"CARGO", &TRColumn::Cargo}})
    c.Data(name, member);
  c.Data("CTOTALPICT", &TRColumn::cTotalPict);
  for (auto [name, member] :
       {std::pair{"NWIDTH", &TRColumn::nWidth}, std::pair{"NDATAHEIGHT", &TRColumn::nDataHeight},
        std::pair{"NTITLEHEIGHT", &TRColumn::nTitleHeight}, std::pair{"NCOL", &TRColumn::nCol},
        std::pair{"NSIZE", &TRColumn::nSize}, std::pair{"NPAD", &TRColumn::nPad}, std::pair{"NPEN", &TRColumn::nPen},
        std::pair{"NORDER", &TRColumn::nOrder}, std::pair{"NCALCOL", &TRColumn::nCalCol},
        std::pair{"NCURLINE", &TRColumn::nCurLine}})
    c.Data(name, member);
  c.Data("NTOTAL", &TRColumn::nTotal);
  for (auto [name, member] :
       {std::pair{"LTOTAL", &TRColumn::lTotal}, std::pair{"LSHADOW", &TRColumn::lShadow}, std::pair{"LGRID", &TRColumn::lGrid},
        std::pair{"LTOTALEXPR", &TRColumn::lTotalExpr}, std::pair{"LUNDERLINE", &TRColumn::lUnderline},
        std::pair{"LDOBLEUND", &TRColumn::lDobleUnd}, std::pair{"LTEXTUND", &TRColumn::lTextUnd},
        std::pair{"LSEPARATOR", &TRColumn::lSeparator}})
    c.Data(name, member);
  c.Method("NEW", [](Object& o, Args& a) {
    C(o).Init(ColumnParams(a), dynamic_cast<TReport*>(a.Obj(13).get()));
    return o.AsValue();
  });
  c.Method("SAYTITLE", [](Object& o, Args& a) { C(o).SayTitle(I(a, 1), I(a, 2, C(o).nCalCol), I(a, 3, 1)); return Value(); });
  c.Method("SAYDATA", [](Object& o, Args& a) { C(o).SayData(I(a, 1), I(a, 2, C(o).nCalCol), I(a, 3, 1)); return Value(); });
  c.Method("SAYTOTAL", [](Object& o, Args& a) { C(o).SayTotal(I(a, 1), I(a, 2, C(o).nCalCol)); return Value(); });
  c.Method("SEPARATOR", [](Object& o, Args& a) {
    C(o).Separator(I(a, 1, C(o).oReport ? C(o).oReport->nRow : 0), a.Log(2));
    return Value();
  });
  c.Method("UNDERLINE", [](Object& o, Args& a) {
    TRColumn& col = C(o);
    col.Underline(a.Log(1, col.lTextUnd), a.Log(2, col.lDobleUnd), I(a, 3, 1), I(a, 4, col.oReport ? col.oReport->nRow : 0));
    return Value();
  });
  c.Method("TITLEHEIGHT", [](Object& o, Args&) { C(o).TitleHeight(); return Value(); });
}

void DefineGroup(xb::Class& c) {
  c.Property("OREPORT", [](Object& o) { return G(o).oReport ? G(o).oReport->Self() : Value(); }, nullptr);
  c.Property("ATOTAL", [](Object& o) {
    xb::Array a = xb::Array::New();
    for (double t : G(o).aTotal) a.Append(Value::Number(t));
    return Value(a);
  }, nullptr);
  for (auto [name, member] :
       {std::pair{"BGROUP", &TRGroup::bGroup}, std::pair{"BHEADER", &TRGroup::bHeader}, std::pair{"BFOOTER", &TRGroup::bFooter},
        std::pair{"BHEADFONT", &TRGroup::bHeadFont}, std::pair{"BFOOTFONT", &TRGroup::bFootFont},
        std::pair{"CVALUE", &TRGroup::cValue}, std::pair{"COLDVALUE", &TRGroup::cOldValue}, std::pair{"CARGO", &TRGroup::Cargo}})
    c.Data(name, member);
  for (auto [name, member] : {std::pair{"NCOUNTER", &TRGroup::nCounter}, std::pair{"NHEADERHEIGHT", &TRGroup::nHeaderHeight},
                              std::pair{"NFOOTERHEIGHT", &TRGroup::nFooterHeight}, std::pair{"NORDER", &TRGroup::nOrder}})
    c.Data(name, member);
  for (auto [name, member] : {std::pair{"LEJECT", &TRGroup::lEject}, std::pair{"LNEEDSTART", &TRGroup::lNeedStart},
                              std::pair{"LHEADER", &TRGroup::lHeader}, std::pair{"LFOOTER", &TRGroup::lFooter}})
    c.Data(name, member);
  c.Method("NEW", [](Object& o, Args& a) {
    G(o).Init(GroupParams(a), dynamic_cast<TReport*>(a.Obj(6).get()));
    return o.AsValue();
  });
  c.Method("RESET", [](Object& o, Args&) { G(o).Reset(); return Value(); });
  c.Method("EVALUATE", [](Object& o, Args&) { G(o).Evaluate(); return Value(); });
  c.Method("CHECK", [](Object& o, Args&) { return Value::Logical(G(o).Check()); });
  c.Method("HEADER", [](Object& o, Args& a) { return Value::Logical(G(o).Header(I(a, 1))); });
  c.Method("FOOTER", [](Object& o, Args& a) { return Value::Logical(G(o).Footer(I(a, 1))); });
  c.Method("TOTAL", [](Object& o, Args& a) { G(o).Total(I(a, 1)); return Value(); });
}

void DefineLine(xb::Class& c) {
  c.Property("OREPORT", [](Object& o) { return L(o).oReport ? L(o).oReport->Self() : Value(); }, nullptr);
  c.Property("ALINE", [](Object& o) { return Values(L(o).aLine); }, nullptr);
  c.Property("AFONT", [](Object& o) { return Values(L(o).aFont); }, nullptr);
  c.Property("AROW", [](Object& o) { return Ints(L(o).aRow); }, nullptr);
  c.Property("AWIDTH", [](Object& o) { return Ints(L(o).aWidth); }, nullptr);
  c.Property("APAD", [](Object& o) { return Ints(L(o).aPad); }, nullptr);
  c.Data("NCOL", &TRLine::nCol);
  c.Data("NHEIGHT", &TRLine::nHeight);
  c.Data("NWIDTH", &TRLine::nWidth);
  c.Data("CARGO", &TRLine::Cargo);
  c.Method("NEW", [](Object& o, Args& a) {
    L(o).Init(Blocks(a.Arg(1)), dynamic_cast<TReport*>(a.Obj(2).get()), I(a, 3, 1));
    return o.AsValue();
  });
  c.Method("STABILIZE", [](Object& o, Args& a) { L(o).Stabilize(I(a, 1), I(a, 2)); return Value(); });
  c.Method("SAY", [](Object& o, Args& a) { L(o).Say(I(a, 1)); return Value(); });
  c.Method("ADD", [](Object& o, Args& a) { L(o).Add(a.Arg(1), a.Arg(2), I(a, 3, 1)); return Value(); });
  c.Method("INS", [](Object& o, Args& a) { L(o).Ins(I(a, 1, 1), a.Arg(2), a.Arg(3), I(a, 4, 1)); return Value(); });
  c.Method("DEL", [](Object& o, Args& a) { L(o).Del(I(a, 1, 1), I(a, 2)); return Value(); });
}

}  // namespace

const xb::Class& TReport::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TREPORT");
    DefineReport(c);
    return c;
  }();
  return cls;
}

const xb::Class& TRColumn::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TRCOLUMN");
    DefineColumn(c);
    return c;
  }();
  return cls;
}

const xb::Class& TRGroup::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TRGROUP");
    DefineGroup(c);
    return c;
  }();
  return cls;
}

const xb::Class& TRLine::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TRLINE");
    DefineLine(c);
    return c;
  }();
  return cls;
}

xb::Ref<TReport> RptBegin(const TReport::NewParams& params) {
  auto report = xb::MakeRef<TReport>();
  report->Init(params);
  Definitions().push_back({report, {}, {}});
  return report;
}

xb::Ref<TRColumn> RptAddColumn(const TRColumn::NewParams& params) {
  if (Definitions().empty()) return nullptr;
  Definition& d = Definitions().back();
  xb::Ref<TRColumn> column = TRColumn::New(params, d.report.get());
  d.columns.push_back(column);
  return column;
}

xb::Ref<TRGroup> RptAddGroup(const TRGroup::NewParams& params) {
  if (Definitions().empty()) return nullptr;
  Definition& d = Definitions().back();
  xb::Ref<TRGroup> group = TRGroup::New(params, d.report.get());
  d.groups.push_back(group);
  return group;
}

xb::Ref<TReport> RptEnd() {
  if (Definitions().empty()) return nullptr;
  Definition d = std::move(Definitions().back());
  Definitions().pop_back();
  for (auto& column : d.columns) d.report->AddColumn(column);
  for (auto& group : d.groups) d.report->AddGroup(group);
  return d.report;
}

void RegisterReportFunctions() {
  for (const xb::Class* c : {&TReport::Cls(), &TRColumn::Cls(), &TRGroup::Cls(), &TRLine::Cls()}) (void)c;
  RegisterTextDevice();
  xb::RegisterFunction("TREPORT", [](Args&) { return Value(xb::MakeRef<TReport>()); });
  xb::RegisterFunction("TRCOLUMN", [](Args&) { return Value(xb::MakeRef<TRColumn>()); });
  xb::RegisterFunction("TRGROUP", [](Args&) { return Value(xb::MakeRef<TRGroup>()); });
  xb::RegisterFunction("TRLINE", [](Args&) { return Value(xb::MakeRef<TRLine>()); });
  xb::RegisterFunction("RPTBEGIN", [](Args& a) { return Value(RptBegin(ReportParams(a))); });
  xb::RegisterFunction("RPTADDCOLUMN", [](Args& a) {
    xb::Ref<TRColumn> column = RptAddColumn(ColumnParams(a));
    return column ? Value(column) : Value();
  });
  xb::RegisterFunction("RPTADDGROUP", [](Args& a) {
    xb::Ref<TRGroup> group = RptAddGroup(GroupParams(a));
    return group ? Value(group) : Value();
  });
  xb::RegisterFunction("RPTEND", [](Args&) {
    xb::Ref<TReport> report = RptEnd();
    return report ? Value(report) : Value();
  });
}

}  // namespace output
