#include "ui/controls/tmeter_group.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "ui/bridge/dialog_templates.h"
#include "ui/bridge/painters.h"
#include "ui/core/framework_error.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {

TMeterGroup::TMeterGroup() : TControl(Cls()) {}

const xb::Class& TMeterGroup::Cls() {
  static const xb::Class& cls = xb::Class::Define("TMETERGROUP", &TControl::Cls());
  return cls;
}

TMeterGroup::Place* TMeterGroup::PlaceOf(int id) {
  auto found = std::find_if(places_.begin(), places_.end(), [id](const Place& p) { return p.id == id; });
  return found == places_.end() ? nullptr : &*found;
}

std::string TMeterGroup::TakeMeters(std::string_view dialog_template, int id) {
  std::optional<DialogTemplateParts> parts = SplitDialogTemplate(dialog_template);
  if (!parts) return std::string(dialog_template);
  std::vector<DialogTemplateItem> kept;
  RECT around = {SHRT_MAX, SHRT_MAX, SHRT_MIN, SHRT_MIN};
  bool any = false;
  for (DialogTemplateItem& item : parts->items) {
    if (_stricmp(item.ClassName().c_str(), "TMeter") != 0) {
      kept.push_back(std::move(item));
      continue;
    }
    any = true;
    const int meter_id = static_cast<int>(item.id);
    if (!PlaceOf(meter_id)) places_.push_back(Place{.id = meter_id});
    PlaceOf(meter_id)->units = RECT{item.x, item.y, item.cx, item.cy};
    PlaceOf(meter_id)->taken = true;
    around.left = std::min<LONG>(around.left, item.x);
    around.top = std::min<LONG>(around.top, item.y);
    around.right = std::max<LONG>(around.right, item.x + item.cx);
    around.bottom = std::max<LONG>(around.bottom, item.y + item.cy);
  }
  if (!any) return std::string(dialog_template);
  origin_units_ = POINT{around.left, around.top};
  DialogTemplateItem group;
  group.style = WS_CHILD | WS_VISIBLE;
  group.x = static_cast<std::int16_t>(around.left);
  group.y = static_cast<std::int16_t>(around.top);
  // One unit more each way: the meters' pixels are rounded one by one.
  group.cx = static_cast<std::int16_t>(around.right - around.left + 1);
  group.cy = static_cast<std::int16_t>(around.bottom - around.top + 1);
  group.id = static_cast<std::uint32_t>(id);
  group.window_class = DialogTemplateItem::Text(ClassName());
  group.title = DialogTemplateItem::Text("");
  kept.push_back(std::move(group));
  parts->items = std::move(kept);
  return JoinDialogTemplate(*parts);
}

TMeterGroup& TMeterGroup::ReDefine(int id, const WindowRef& parent) {
  oWnd = parent;
  nClrPane = parent ? parent->nClrPane : GetSysColor(COLOR_BTNFACE);
  Register(CS_VREDRAW | CS_HREDRAW);
  Redefine(id, parent);
  return *this;
}

TMeter& TMeterGroup::Meter(const TMeter::ReDefineParams& params) {
  if (!PlaceOf(params.id)) places_.push_back(Place{.id = params.id});
  Place& place = *PlaceOf(params.id);
  place.meter = xb::MakeRef<TMeter>();
  place.meter->Define(params);
  return *place.meter;
}

TMeter* TMeterGroup::Find(int id) const {
  for (const Place& p : places_)
    if (p.id == id) return p.meter.get();
  return nullptr;
}

void TMeterGroup::Invalidate(std::span<const int> ids) {
  if (hWnd == nullptr || ids.empty()) return;
  HRGN changed = CreateRectRgn(0, 0, 0, 0);
  for (int id : ids) {
    if (const Place* place = PlaceOf(id)) {
      HRGN one = CreateRectRgnIndirect(&place->pixels);
      CombineRgn(changed, changed, one, RGN_OR);
      DeleteObject(one);
    }
  }
  InvalidateRgn(hWnd, changed, FALSE);
  DeleteObject(changed);
}

// The meters' pixels as the dialog manager would have made their windows: each coordinate
// and size converted on its own.
void TMeterGroup::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  RECT origin = {origin_units_.x, origin_units_.y, 0, 0};
  MapDialogRect(dialog, &origin);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  for (Place& place : places_) {
    if (!place.meter) continue;
    if (!place.taken) {
      RaiseFrameworkError(static_cast<int>(FrameworkError::kNonDefinedId), "No: " + PaddedNumber(place.id, 6));
      continue;
    }
    RECT r = place.units;
    MapDialogRect(dialog, &r);
    place.pixels = RECT{r.left - origin.left, r.top - origin.top, r.left - origin.left + r.right,
                        r.top - origin.top + r.bottom};
    HRGN one = CreateRectRgnIndirect(&place.pixels);
    CombineRgn(shape, shape, one, RGN_OR);
    DeleteObject(one);
    if (place.meter->VarGet().IsNil()) place.meter->VarPut(xb::Value::Integer(0));
  }
  SetWindowRgn(hWnd, shape, FALSE);  // the region now belongs to the window
}

Answer TMeterGroup::Display() {
  BeginPaint();
  for (const Place& place : places_) {
    if (!place.meter || !RectVisible(hDC, &place.pixels)) continue;
    MeterPaintParams params = place.meter->PaintParams();
    if (params.font == nullptr && oFont) params.font = oFont->hFont;
    MeterPaintOn(hDC, place.pixels, params);
    ++nPainted;
  }
  EndPaint();
  return Answer::Number(0);
}

Answer TMeterGroup::EraseBkGnd(HDC) { return Answer::Number(1); }

void TMeterGroup::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  for (const Place& place : places_)
    if (place.meter) visitor.Visit(place.meter.get());
}

void TMeterGroup::ClearValues() {
  TControl::ClearValues();
  for (Place& place : places_) place.meter = nullptr;
}

}  // namespace ui
