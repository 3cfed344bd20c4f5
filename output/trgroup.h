// TRGroup: a report's group: a key block, header and footer blocks with their fonts,
// subtotals of the total columns, and whether a new page follows the group.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "runtime/object.h"

namespace output {

class TReport;

class TRGroup : public xb::Object {
 public:
  TRGroup();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  struct NewParams {
    xb::Value key;     // block
    xb::Value header;  // block, NIL: none
    xb::Value footer;  // block, NIL: none
    xb::Value font;    // block answering a font index (header and footer)
    bool eject = false;
  };
  static xb::Ref<TRGroup> New(const NewParams& params, TReport* report);
  void Init(const NewParams& params, TReport* report);

  // Counter and subtotals to 0; the key read now becomes the group's.
  void Reset();
  void Stabilize(int order);
  bool Header(int row);
  bool Footer(int row);
  void Total(int row);
  // The key of the current record.
  void Evaluate();
  // The current record's key differs from the group's (type and value compared exactly).
  bool Check() const;

  std::string HeaderText() const;
  // A summary prints the header when the group ends, with its subtotals: its text is read
  // on the group's first record.
  void KeepHeader() { kept_header_ = HeaderText(); }
  std::string FooterText() const;

  TReport* oReport = nullptr;
  std::vector<double> aTotal;
  xb::Value bGroup, bHeader, bFooter, bHeadFont, bFootFont;
  xb::Value cValue;
  xb::Value cOldValue;
  int nCounter = 0;
  int nHeaderHeight = 0;
  int nFooterHeight = 0;
  int nOrder = 0;
  bool lEject = false;
  bool lNeedStart = false;
  bool lHeader = false;
  bool lFooter = false;
  xb::Value Cargo;

 private:
  std::optional<std::string> kept_header_;
};

// Two group keys are the same key: same type and same value.
bool SameKey(const xb::Value& a, const xb::Value& b);

}  // namespace output
