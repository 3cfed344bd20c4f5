// FOLDPAINT: the tab strip of a tabbed folder and the 3-D frame of its page area, in the
// classic look (tabs with cut corners, the selected prompt in bold) or the Windows 95 look
// (rectangular tabs as wide as their prompts, the selected one raised). Sizes come from the
// window; drawing goes to the DC given, which the painter never releases. The DC's pen, font
// and colours are as they were when it returns.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

inline constexpr COLORREF kDisabledTabText = RGB(128, 128, 128);

struct FolderLook {
  std::vector<std::string> prompts{};
  std::vector<bool> enabled{};  // one per prompt; missing entries are enabled
  HFONT font = nullptr;       // the prompts
  HFONT bold = nullptr;       // the selected prompt in the classic look
  COLORREF pane = RGB(192, 192, 192);
  int option = 1;             // the selected tab, 1-based
  int tab_size = 0;           // classic look; 0: the width shared equally
  bool win95 = false;
  int strip_height = 22;
};

void FoldPaint(HWND hwnd, HDC dc, const FolderLook& look);

// The width of a prompt as the painter measures it, in `font` (the screen's DC when dc is null).
int PromptExtent(HDC dc, const std::string& prompt, HFONT font);

// Registers FOLDPAINT(hWnd, hDC, aPrompts, hFont, hFont2, nClrPane, nOption, aEnable,
// nTabSize, lWin95Look, nFdHeight).
void RegisterFolderPaint();

}  // namespace ui
