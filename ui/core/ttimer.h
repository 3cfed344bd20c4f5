// TTimer: a Windows timer owned by a window. Its expiry reaches the owner's Timer method,
// which calls TIMEREVENT with the identifier; the active timer of that identifier runs its
// action. Identifiers come from one counter for the run (the first timer gets 2).
#pragma once

#include <windows.h>

#include "runtime/object.h"
#include "runtime/value.h"
#include "ui/core/twindow.h"

namespace ui {

class TTimer : public xb::Object {
 public:
  TTimer();
  ~TTimer() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // Interval default 18 ms; action default a block that does nothing; owner the window's
  // handle, or the active window without one. The timer starts inactive.
  static xb::Ref<TTimer> New(int interval = 18, xb::Value action = {}, TWindow* window = nullptr);
  void Init(int interval, xb::Value action, HWND owner);

  // Starts the Windows timer; its identifier becomes the one Windows answers.
  void Activate();
  void DeActivate();
  // Stops it and leaves the list of timers.
  void End();

  // TIMEREVENT: the active timer of that identifier runs its action. Returns 0.
  static int TimerEvent(UINT_PTR id);
  // The timers alive (not ended).
  static int Count();

  xb::Value Self() { return AsValue(); }

  xb::Value bAction;
  bool lActive = false;
  UINT_PTR nId = 0;
  int nInterval = 18;
  HWND hWndOwner = nullptr;
  xb::Value Cargo;
};

// Registers TTIMER and TIMEREVENT by name.
void RegisterTimerFunctions();

}  // namespace ui
