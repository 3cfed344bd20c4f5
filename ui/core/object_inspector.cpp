#include "ui/core/object_inspector.h"

#include <windows.h>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/object.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/core/error_report.h"
#include "ui/core/framework_utils.h"
#include "ui/core/plain_control.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

constexpr size_t kNameWidth = 15;

}  // namespace

std::vector<std::string> InspectorLines(const xb::Value& object) {
  std::vector<std::string> lines;
  if (!object.IsObject()) return lines;
  for (std::string name : AOData(object)) {
    const xb::Value value = xb::Send(object, xb::Intern(name));
    if (name.size() < kNameWidth) name.append(kNameWidth - name.size(), ' ');
    lines.push_back(name + " " + std::string(1, value.ValType()) + " " + CGetInfo(value));
  }
  return lines;
}

void InspectObject(const xb::Value& object) {
  if (!object.IsObject() || Unattended()) return;
  const std::vector<std::string> lines = InspectorLines(object);
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams p;
  p.caption = object.AsObject()->ClassName();
  p.width = 300;
  p.height = 250;
  dialog->New(p);
  auto place = [&](int top, int left, int width, int height, const char* windows_class, const char* caption,
                   DWORD style) {
    PlainControl::Params c;
    c.top = top;
    c.left = left;
    c.width = width;
    c.height = height;
    c.windows_class = windows_class;
    c.caption = caption;
    c.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style;
    c.parent = dialog;
    return PlainControl::Place(c);
  };
  auto list = place(4, 3, 145, 100, "LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT);
  auto ok = place(108, 57, 36, 12, "BUTTON", "&Aceptar", BS_DEFPUSHBUTTON);
  ok->on_click = [d = dialog.get()] { d->End(IDOK); };
  TDialog::ActivateParams activate;
  activate.centered = true;
  activate.init = xb::Value(xb::Block::Native([&](xb::Args&) {
    // Fixed pitch: names, types and values line up in columns.
    SendMessageA(list->hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
    for (const std::string& line : lines) {
      SendMessageA(list->hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendMessageA(list->hWnd, LB_SETHORIZONTALEXTENT, 600, 0);
    return xb::Value();
  }));
  dialog->Activate(activate);
}

void RegisterObjectInspector() {
  for (const char* name : {"OINSPECT", "OINSPECT2"}) {
    xb::RegisterFunction(name, [](xb::Args& a) {
      InspectObject(a.Arg(1));
      return xb::Value();
    });
  }
}

}  // namespace ui
