// TTabs' design aid: the prompts edited one a line.
#include <cctype>
#include <sstream>

#include "runtime/block.h"
#include "runtime/symbol.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tmultiget.h"
#include "ui/controls/ttabs.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

std::string Trimmed(const std::string& line) {
  std::size_t start = 0, end = line.size();
  while (start < end && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
  while (end > start && std::isspace(static_cast<unsigned char>(line[end - 1]))) --end;
  return line.substr(start, end - start);
}

}  // namespace

void TTabs::Inspect(const std::string& data) {
  const std::string name = xb::UpperName(data);
  if (name == "APROMPTS") EditPrompts();
}

bool TTabs::EditPrompts() {
  TFont::Spec spec;
  spec.face = "Ms Sans Serif";
  spec.height = -8;
  xb::Ref<TFont> font = TFont::New(spec);
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams dp;
  dp.pixel = true;
  dp.width = 300;
  dp.height = 178;
  dp.caption = "Edit prompts";
  dp.font = font;
  dp.parent = oWnd;
  dialog->New(dp);

  std::string text;
  for (const std::string& prompt : aPrompts) text += prompt + "\r\n";
  const SetGet work = SetGet::Of(xb::Value::String(text));
  auto edit = xb::MakeRef<TMultiGet>();
  TMultiGet::NewParams ep;
  ep.row = 6;
  ep.col = 6;
  ep.set_get = work.block;
  ep.parent = dialog;
  ep.width = 280;
  ep.height = 110;
  ep.pixel = true;
  edit->New(ep);

  bool confirmed = false;
  TDialog* box = dialog.get();
  TMultiGet* field = edit.get();
  auto button = [&](int col, const char* caption, std::function<void()> action) {
    auto b = xb::MakeRef<TButton>();
    TButton::NewParams bp;
    bp.row = 124;
    bp.col = col;
    bp.caption = caption;
    bp.parent = dialog;
    bp.width = 60;
    bp.height = 20;
    bp.pixel = true;
    bp.action = xb::Value(xb::Block::Native([action = std::move(action)](xb::Args&) {
      action();
      return xb::Value();
    }));
    b->New(bp);
    return b;
  };
  auto ok = button(156, "&Ok", [&] {
    field->Assign();
    confirmed = true;
    box->End(IDOK);
  });
  auto cancel = button(224, "&Cancel", [box] { box->End(); });
  TDialog::ActivateParams ap;
  ap.centered = true;
  dialog->Activate(ap);
  font->End();
  if (!confirmed) return false;

  // One prompt a line, trimmed; empty lines make no tab.
  std::vector<std::string> prompts;
  std::istringstream lines(std::string(work.Get().AsString()));
  for (std::string line; std::getline(lines, line);)
    if (std::string t = Trimmed(line); !t.empty()) prompts.push_back(t);
  SetTabs(prompts, 1);
  return true;
}

}  // namespace ui
