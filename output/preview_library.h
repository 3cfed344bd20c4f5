// The preview library "VxPrev32.dll": the strings, pictures, cursor and dialogs of the
// framework printer's preview and of the reports' progress dialogs. For the life of a
// PreviewLibrary it is the current resource module; the module in force before comes back
// when it goes, whether the library loaded or not.
#pragma once

#include <windows.h>

#include <string>

namespace output {

inline constexpr const char* kPreviewLibrary = "VxPrev32.dll";
// The file loaded as the library: kPreviewLibrary unless a test names another.
const std::string& PreviewLibraryFile();
void SetPreviewLibraryFile(const std::string& file);

// Whose resources a preview shows: the framework's (the preview library, strings from 1) or
// the program's own (the current resource module, strings from 22201).
struct PreviewFace {
  bool own = false;
  int base() const { return own ? 22200 : 0; }
};
inline constexpr PreviewFace kFrameworkFace{};
inline constexpr PreviewFace kOwnFace{true};

class PreviewLibrary {
 public:
  explicit PreviewLibrary(PreviewFace face = kFrameworkFace);
  ~PreviewLibrary();
  PreviewLibrary(const PreviewLibrary&) = delete;
  PreviewLibrary& operator=(const PreviewLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }
  HMODULE module() const { return module_; }

 private:
  HMODULE module_ = nullptr;
  HMODULE previous_ = nullptr;
};

// The library's strings by number.
namespace text {
inline constexpr int kPagesMenu = 1, kViewMenu = 2, kMsgBarText = 3;
inline constexpr int kWideQuestion = 5, kWideTitle = 6;
inline constexpr int kTopPrompt = 7, kPrevPrompt = 8, kNextPrompt = 9, kBottomPrompt = 10;
inline constexpr int kZoomPrompt = 11, kUnzoomPrompt = 12, kTwoPrompt = 13, kOnePrompt = 14;
inline constexpr int kPrintPrompt = 15, kExitPrompt = 16;
inline constexpr int kPagePrefix = 19, kAlreadyOpen = 20;
inline constexpr int kTopMsg = 21, kPrevMsg = 22, kNextMsg = 23, kBottomMsg = 24;
inline constexpr int kZoomMsg = 25, kUnzoomMsg = 26, kTwoMsg = 27, kOneMsg = 28, kPrintMsg = 29, kExitMsg = 30;
inline constexpr int kFactorMsg = 31;
// The program's face: its two pop-ups (file, then pages).
inline constexpr int kOwnFileMenu = 17, kOwnPagesMenu = 18;
}  // namespace text

// A string of the library ("" when it is not there); with the program's face, its string
// base + id of the current resource module.
std::string PreviewString(int id, PreviewFace face = kFrameworkFace);
// The same without its "&" (a tooltip of a prompt).
std::string PreviewTip(int id, PreviewFace face = kFrameworkFace);

}  // namespace output
