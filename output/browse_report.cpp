// The report of a browse's contents (TWBrowse:Report): a framework report with one column a
// value, over the rows the browse hands over, to the printer or its preview.
#include "output/browse_report.h"

#include <cstdio>
#include <memory>

#include "output/treport.h"
#include "runtime/block.h"
#include "ui/controls/twbrowse.h"

namespace output {
namespace {

using xb::Value;

Value Block(std::function<Value()> f) {
  return Value(xb::Block::Native([f = std::move(f)](xb::Args&) { return f(); }));
}

void PrintBrowseReport(const ui::BrowseReport& browse) {
  PrintRows(browse.title, browse.heading, browse.footer, browse.titles, browse.widths, browse.rows, browse.preview);
}

}  // namespace

void PrintRows(const std::string& title, const std::string& heading, const std::string& footer,
               const std::vector<std::string>& titles, const std::vector<int>& widths,
               const std::vector<std::vector<std::string>>& rows, bool preview, xb::ObjectRef device) {
  TReport::NewParams p;
  p.title = {Block([title] { return Value::String(title); })};
  p.header = {Block([heading] { return Value::String(heading); })};
  p.to_printer = !preview;
  p.to_screen = preview;
  p.device = std::move(device);
  p.document = title;
  auto report = xb::MakeRef<TReport>();
  report->Init(p);
  RunRows(*report, footer, titles, widths, rows);
}

void RunRows(TReport& report, const std::string& footer, const std::vector<std::string>& titles,
             const std::vector<int>& widths, const std::vector<std::vector<std::string>>& rows) {
  auto data = std::make_shared<std::vector<std::vector<std::string>>>(rows);
  auto at = std::make_shared<std::size_t>(0);
  TReport* self = &report;
  report.oFooter = TRLine::New({Block([self, footer] {
                                 char page[16];
                                 std::snprintf(page, sizeof page, "%3d", self->nPage);
                                 return Value::String(footer + page);
                               })},
                               self, 1);
  for (std::size_t i = 0; i < titles.size(); ++i) {
    TRColumn::NewParams c;
    c.titles = {Block([t = titles[i]] { return Value::String(t); })};
    c.data = {Block([data, at, i] {
      const auto& row = *at < data->size() ? (*data)[*at] : std::vector<std::string>{};
      return Value::String(i < row.size() ? row[i] : std::string());
    })};
    c.size = i < widths.size() ? widths[i] : 0;
    report.AddColumn(TRColumn::New(c, self));
  }
  report.bSkip = Value(xb::Block::Native([at](xb::Args& a) {
    *at += static_cast<std::size_t>(a.Int(1, 1));
    return Value();
  }));
  TReport::ActivateParams run;
  run.while_block = Block([data, at] { return Value::Logical(*at < data->size()); });
  report.Activate(run);
}

void InstallBrowseReporter() { ui::SetBrowseReporter(&PrintBrowseReport); }

}  // namespace output
