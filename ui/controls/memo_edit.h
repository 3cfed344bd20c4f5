// MEMOEDIT: a long text edited in a modal dialog with a multi-line edit and the buttons
// "&Ok", "&Cancel" and "&Help". The caller's text changes only when "&Ok" ends the dialog.
#pragma once

#include <string>

namespace ui {

struct MemoEditParams {
  std::string title = "MemoEdit";
  // Dialog coordinates in text cells (rows of 15.1 and columns of 7.9 pixels).
  double top = 9;
  double left = 9;
  double bottom = 22;
  double right = 68.5;
};

// True when the user confirmed with "&Ok"; `text` then holds the edited text.
bool MemoEdit(std::string& text, const MemoEditParams& params = {});

}  // namespace ui
