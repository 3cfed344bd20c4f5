// TRLine: a report's header, title or footer: lines of text blocks, each with its font
// (an index into the report's fonts, by a block) and alignment (1 left, 2 right, 3 centre).
// A block whose first line's text is "" takes no room and draws nothing.
#pragma once

#include <vector>

#include "runtime/object.h"

namespace output {

class TReport;

class TRLine : public xb::Object {
 public:
  TRLine();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  static xb::Ref<TRLine> New(const std::vector<xb::Value>& lines, TReport* report, int pad = 1);
  void Init(const std::vector<xb::Value>& lines, TReport* report, int pad);

  void Stabilize(int top = 0, int col = 0);
  void Say(int offset = 0);
  void Add(xb::Value text = {}, xb::Value font = {}, int pad = 1);
  void Ins(int position = 1, xb::Value text = {}, xb::Value font = {}, int pad = 1);
  void Del(int from, int to = 0);

  std::string Text(std::size_t line) const;
  int FontIndex(std::size_t line) const;

  TReport* oReport = nullptr;
  std::vector<xb::Value> aLine;
  std::vector<xb::Value> aFont;
  std::vector<int> aRow;
  std::vector<int> aWidth;
  std::vector<int> aPad;
  int nCol = 0;
  int nHeight = 0;
  int nWidth = 0;
  xb::Value Cargo;

 private:
  void Restabilize();
};

}  // namespace output
