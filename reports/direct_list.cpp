#include "reports/direct_list.h"

#include <algorithm>

#include "runtime/codepage.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;

Value Field(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  return pos == 0 ? Value() : a.GetField(pos);
}
int Int(WorkArea& a, std::string_view name) {
  const Value v = Field(a, name);
  return v.IsNumber() ? static_cast<int>(v.AsDouble()) : 0;
}
std::string Str(WorkArea& a, std::string_view name) {
  const Value v = Field(a, name);
  return v.IsString() ? std::string(v.AsString()) : std::string();
}
bool Log(WorkArea& a, std::string_view name) {
  const Value v = Field(a, name);
  return v.IsLogical() && v.AsLogical();
}

}  // namespace

bool TDirectList::Execute(const std::string& alias) {
  const bool printed = Print(alias);
  if (device_ != nullptr) device_->End();
  return printed;
}

bool TDirectList::Print(const std::string& alias) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int number = areas.AreaOfAlias(xb::AllTrim(alias));
  if (device_ == nullptr || !device_->Ready() || number == 0) return false;
  WorkArea& work = *areas.Area(number);
  nLineHeight = std::max(1, device_->TextHeight(anFonts[1]));
  nAnchoCol = std::max(1, device_->TextWidth("0123456789", anFonts[1]) / 10);
  nMargenIzdo = device_->MmToCol(nMgIzMM);
  StartPage();
  bool underlined = false;
  for (work.GoTop(); !work.eof() && !lBreak; work.Skip(1)) {
    if (bRefresh) bRefresh();
    if (lBreak) break;
    Line line;
    line.cText = std::string(xb::RTrim(Str(work, "TEXTO")));
    line.nCol = Int(work, "COLUMNA");
    const int font = Int(work, "TFUENTE");
    line.nFont = font >= 1 && font <= 4 ? font : 2;
    const std::string align = std::string(xb::AllTrim(Str(work, "ALINEACION")));
    line.nPad = align == "D" ? 2 : align == "C" ? 3 : 1;
    line.lSubr = Log(work, "SUBRAYADO");
    const int fila = Int(work, "FILA");
    // A row step of 0 stays on the row; after an underlined text the next row is one lower.
    line.nRow = fila == 0 ? 0 : fila + (underlined ? 1 : 0);
    if (fila != 0) underlined = false;
    underlined = underlined || line.lSubr;
    const bool starts_group = Log(work, "STARTGRP");
    const int grupo = Int(work, "GRUPO");
    if (starts_group) {
      if (grupo != nGrupo) aStLastGrupo.clear();
      nGrupo = grupo;
      aStLastGrupo.push_back(line);
    }
    Print1Line(line, starts_group);
  }
  device_->EndPage();
  return nPage > 0;
}

void TDirectList::StartPage() {
  device_->StartPage();
  ++nPage;
  lFirstRow = true;
  nPxStartRow = 0;
  if (bStartPage) bStartPage(*this);
  nPxRow = nPxStartRow - nLineHeight;
}

void TDirectList::EndPage() {
  device_->EndPage();
  StartPage();
}

void TDirectList::Say(const Line& line) {
  const int font = anFonts[static_cast<std::size_t>(std::clamp(line.nFont, 1, 4) - 1)];
  const int width = device_->TextWidth(line.cText, font);
  int x = line.nCol * nAnchoCol + nMargenIzdo;
  if (line.nPad == 2) x -= width;
  else if (line.nPad == 3) x -= width / 2;
  device_->Say(nPxRow, std::max(x, device_->IsText() ? 1 : 0), line.cText, font, 0, 1);
  if (line.lSubr) {
    const int under = nPxRow + nLineHeight * 3 / 2;
    device_->Line(under, x, under, x + width);
  }
}

void TDirectList::Print1Line(const Line& line, bool heading) {
  std::string word = xb::Upper(xb::CurrentCodePage(), xb::AllTrim(line.cText));
  if (word == "EJECT") {
    EndPage();
    return;
  }
  const int height = nLineHeight * (line.lSubr ? 2 : 1);
  const int bottom = device_->Height() - nDnMargin;
  if (!lFirstRow) {
    nPxRow += line.nRow * nLineHeight;
    if (nPxRow + height > bottom) EndPage();
  }
  if (lFirstRow) {
    // The group's heading lines again at the top of each following page.
    if (nPage > 1 && !heading) {
      for (const Line& h : aStLastGrupo) {
        nPxRow += (lFirstRow ? 1 : std::max(h.nRow, 0)) * nLineHeight;
        lFirstRow = false;
        Say(h);
      }
    }
    nPxRow += lFirstRow ? nLineHeight : std::max(line.nRow, 1) * nLineHeight;
    lFirstRow = false;
  }
  Say(line);
}

}  // namespace reports
