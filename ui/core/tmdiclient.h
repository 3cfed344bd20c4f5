// TMdiClient: the client area of an MDI frame, a window of the system class "MDICLIENT".
// It keeps the live children in creation order and carries the frame's requests to Windows'
// MDI messages (tile, cascade, next, activate, destroy, menu swap).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/core/twindow.h"

namespace ui {

class TMdiChild;
class TMdiFrame;

class TMdiClient : public TWindow {
 public:
  TMdiClient();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // The client window of the frame; its children are listed in the frame menu's pop-up at
  // `menu_info` (1-based) and numbered from `first_id`.
  TMdiClient& New(TMdiFrame& frame, int menu_info, int first_id, xb::Ref<TBrush> brush, bool vscroll,
                  bool hscroll);

  void Tile(bool horizontal = false);
  void Cascade();
  void ArrangeIcons();
  void NextWindow();
  void PrevWindow();
  // The child Windows says is active, when it is one of the list.
  xb::Ref<TMdiChild> GetActive() const;
  void Add(xb::Ref<TMdiChild> child);

  struct ChildParams {
    std::optional<int> top, left, bottom, right;
    std::optional<std::string> caption;
    DWORD style = 0;
  };
  // A new child of the frame, shown and activated.
  xb::Ref<TMdiChild> ChildNew(const ChildParams& params);
  void ChildActivate(TMdiChild& child);
  void ChildMaximize(TMdiChild& child);
  void ChildRestore(TMdiChild& child);
  void ChildNext(TMdiChild& child, bool previous = false);
  // Destroys a child of the list; one that is not in it is ignored.
  void ChildClose(TMdiChild& child);
  // Ends the children from the last one back, until one refuses. True when none is left.
  bool lCloseAll();
  void IconizeAll();
  // Activates the n-th child (1-based); 0 or a number beyond the list activates none.
  void Select(int n);
  // Puts the menu on the frame's bar, its pop-up at `position` (default: its last) listing
  // the children.
  void SetMenu(const xb::ObjectRef& menu, std::optional<int> position = std::nullopt);
  // Leaves the child's entry when its window goes.
  void Forget(const TMdiChild& child);

  TMdiFrame* Frame() const;

  Answer KeyDown(int key, LPARAM flags) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer GotFocus(HWND losing) override;
  Answer ReSize(int type, int width, int height) override { return {}; }

  std::vector<xb::Ref<TMdiChild>> aWnd;
};

}  // namespace ui
