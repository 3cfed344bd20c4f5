// TClipBoard: text and bitmaps through the Windows clipboard, for the edit fields, the
// multi-line edit, the bitmap control and the edit menus. SetText empties the clipboard
// first; SetBitmap adds its bitmap (a copy) beside what is there; a clipboard that holds only
// a bitmap counts as empty. A clipboard another program holds open gives false, "" or null
// and nothing is written.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/object.h"
#include "ui/core/twindow.h"

namespace ui {

class TClipBoard : public xb::Object {
 public:
  static constexpr int kText = 1;    // CF_TEXT
  static constexpr int kBitmap = 2;  // CF_BITMAP

  TClipBoard();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // The window that opens the clipboard: the one given, else the main window, else the
  // default window.
  TClipBoard& New(int format = kText, WindowRef window = nullptr);

  bool Open();
  bool Empty();
  bool Close();
  void End() { Close(); }
  void Clear();
  bool IsEmpty();

  // On a clipboard the caller opened, in nFormat: text, or a bitmap handle (a copy goes).
  bool SetData(const xb::Value& value);
  // The text, or a copy of the bitmap as a number (the caller deletes it).
  xb::Value GetData();

  bool SetText(const std::string& text);
  std::string GetText();
  // Adds a copy of the bitmap; the caller keeps its own.
  bool SetBitmap(HBITMAP bitmap);
  // A copy of the clipboard's bitmap, which the caller owns and deletes; null when none.
  HBITMAP GetBitmap();

  int nFormat = kText;
  WindowRef oWnd;
};

void RegisterClipboardClass();

}  // namespace ui
