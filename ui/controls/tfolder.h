// TFolder: a tabbed set of pages. The tab strip is painted by the framework (FOLDPAINT) above
// a page area where each tab owns one page, a modeless child dialog that lives as long as the
// folder (or until its tab is deleted). Exactly one page shows: the page of nOption.
//
//   auto folder = xb::MakeRef<TFolder>();
//   folder->ReDefine(300, {.prompts = {"&General", "&Datos"}, .dialogs = {"PAGINA1", "PAGINA2"},
//                          .parent = dialog});
//   // controls of the pages: ReDefine on folder->Page(1), folder->Page(2) ...
//
// A disabled tab (aEnable) is drawn grey and cannot be selected. Alt + a tab's hot letter on a
// control of a page selects that tab (TControl asks GetHotPos).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "ui/core/tcontrol.h"
#include "ui/core/tdialog.h"

namespace ui {

class TFolder : public TControl {
 public:
  TFolder();
  explicit TFolder(const xb::Class& cls);
  static const xb::Class& Cls();

  struct NewParams {
    int top = 0;
    int left = 0;
    std::vector<std::string> prompts = {"&One", "&Two", "T&hree"};
    std::size_t dialogs = 0;  // pages to make; fewer than the prompts: one per prompt
    WindowRef parent{};       // default: the default window
    int option = 1;
    std::optional<COLORREF> fore{};  // default: the parent's text colour
    std::optional<COLORREF> back{};  // default: the button face
    bool pixel = false;              // else rows of 15 and columns of 6 pixels
    bool design = false;
    int width = 100;
    int height = 100;
    std::string message{};
    bool all_width = true;
    xb::Ref<TFont> font{};           // default: the parent's
  };
  TFolder& New(const NewParams& params);

  struct RedefineParams {
    std::vector<std::string> prompts{};
    std::vector<xb::Value> dialogs{};  // resource names or numbers, one per prompt
    WindowRef parent{};
    int option = 1;
    std::optional<COLORREF> fore{}, back{};
    xb::Value change{};
    bool all_width = false;
  };
  TFolder& ReDefine(int id, const RedefineParams& params);
  void Initiate(HWND dialog) override;
  // The tab size; every page activated modeless and hidden; the page of nOption shown.
  void Default() override;

  Answer Display() override;
  void Paint(HDC dc);
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer ReSize(int type, int width, int height) override;
  Answer GotFocus(HWND losing) override;
  Answer Destroy() override;
  // Invalidates the tab strip only.
  void Refresh(bool erase = true) override;
  // Update() of every page.
  void UpdatePages();
  // Update() of the window the folder sits in reaches its pages too.
  void UpdateFromParent() override;

  void AddItem(const std::string& prompt);
  // Removes the selected tab and its page; the tab now at its place (or the last) is shown.
  void DelItem();
  void DelPages();
  // The pages become dialogs of these resources; on_page(folder, n) defines each page's
  // controls before it is activated.
  void LoadPages(const std::vector<xb::Value>& resources, const xb::Value& on_page);
  void SetOption(int n);
  // The enabled tab, other than the selected one, whose hot letter is the key's (any case).
  int GetHotPos(int key) const;

  int PromptCount() const;
  std::string Prompt(int n) const;
  bool TabEnabled(int n) const;
  TDialog* Page(int n) const;
  // The widths the tabs take for a click: the tab size, or in the 95 look each prompt + 13.
  std::vector<int> TabWidths() const;

  xb::Value aPrompts;   // texts
  xb::Value aDialogs;   // TDialog pages
  xb::Value aEnable;    // logicals
  int nOption = 0;
  int nTabSize = 0;
  int nFdHeight = 22;
  xb::Ref<TFont> oFont2;
  bool lAllWidth = true;
  bool lWin95Look = false;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

 private:
  xb::Ref<TDialog> NewPage(const xb::Value& resource, bool in_memory);
  void ActivatePage(TDialog& page);
  static void EndPage(TDialog& page);
  void SizeTabs(int width);
  void ShowCurrent();
  void SetupLook();
  static bool Win95Look();
};

// SYSWAIT(nSeconds): lets messages run for that long (default 0.1 seconds), measured on the
// tick count.
void SysWait(double seconds = 0.1);

// Registers TFOLDER, SYSWAIT and FOLDPAINT (InitControls does).
void RegisterFolderControls();

}  // namespace ui
