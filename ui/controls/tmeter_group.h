// TMeterGroup: many meters drawn by one control. The "TMeter" items of a dialog template
// are taken out of it (TakeMeters) and one item of this class stands over them all, its
// window shaped to their rectangles; each meter is bound as TMeter::ReDefine binds one and
// painted as a TMeter paints itself. A meter whose value changed is invalidated alone, and
// a paint draws only the meters its update region touches, once each.
//
//   auto group = xb::MakeRef<TMeterGroup>();
//   dialog->edit_template = [&](std::string_view t) { return group->TakeMeters(t, 101); };
//   group->ReDefine(101, dialog);
//   group->Meter({.id = 101, .set_get = done.block, .total = 100, .parent = dialog});
//   ...  done.Put(40); group->Invalidate(101);
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controls/tmeter.h"
#include "ui/core/tcontrol.h"

namespace ui {

class TMeterGroup : public TControl {
 public:
  TMeterGroup();
  static const xb::Class& Cls();

  // Rewrites `dialog_template`: its items of class "TMeter" are remembered by identifier
  // and rectangle and give way to one item of this class, identifier `id`, over all of
  // them. The template as it was when it has none or cannot be read.
  std::string TakeMeters(std::string_view dialog_template, int id);
  // Binds the group to its item of the dialog `parent`.
  TMeterGroup& ReDefine(int id, const WindowRef& parent);
  // Binds the meter of identifier params.id, one of those taken, as TMeter::ReDefine binds
  // its control. A meter bound but not in the template raises the framework error 1 when
  // the dialog initialises, as a missing control does.
  TMeter& Meter(const TMeter::ReDefineParams& params);
  // The meter of identifier `id`; nullptr when none is bound.
  TMeter* Find(int id) const;
  // The meters' values are painted again by the next paint (one request to the window
  // system for all of them).
  void Invalidate(std::span<const int> ids);
  void Invalidate(int id) { Invalidate(std::span<const int>(&id, 1)); }

  void Initiate(HWND dialog) override;
  Answer Display() override;
  // Nothing: the meters cover every pixel of the window.
  Answer EraseBkGnd(HDC dc) override;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // Meters drawn since the group was made.
  int nPainted = 0;

 private:
  struct Place {
    int id = 0;
    RECT units{};   // x, y, width, height in dialog units
    RECT pixels{};  // in the group's client area
    bool taken = false;  // found in the template
    xb::Ref<TMeter> meter{};
  };
  Place* PlaceOf(int id);
  std::vector<Place> places_;
  POINT origin_units_{};
};

}  // namespace ui
