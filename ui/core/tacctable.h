// TAccTable: the shortcut table of a menu. Entries are {key state, virtual key, command};
// Activate installs them as the application's accelerator table, which the message loop
// translates into WM_COMMAND for the application window.
#pragma once

#include <windows.h>

#include <vector>

#include "runtime/object.h"

namespace ui {

class TAccTable : public xb::Object {
 public:
  struct Entry {
    int state = 0;    // FSHIFT, FCONTROL, FALT
    int key = 0;      // virtual key
    int command = 0;  // menu item identifier
  };

  TAccTable();
  ~TAccTable() override;
  static const xb::Class& Cls();
  static xb::Ref<TAccTable> New() { return xb::MakeRef<TAccTable>(); }

  // Replaces the entry of the same state and key, else appends.
  void Add(int state, int key, int command);
  void Del(int state, int key);
  // Removes any table this object installed, then installs its entries (none: nothing).
  void Activate();
  // Removes the installed table.
  void DeActivate();
  void End() { DeActivate(); }

  HACCEL nHandle = nullptr;
  std::vector<Entry> aItems;
};

}  // namespace ui
