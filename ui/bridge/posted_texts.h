// Texts posted as a message's lParam (POSTMESSAGE with a text): the message is read later,
// when the caller's string may be gone, so the bridge keeps a copy until the message has
// been handled. Handled means: the window procedure of a subclassed window returned from it,
// or the program's message loop dispatched it. A text posted to every top-level window, or
// to a window nobody dispatches it to, is kept to the end of the run.
#pragma once

#include <windows.h>

#include <string_view>

namespace ui {

// Posts `message` with a kept copy of `text` as lParam; the PostMessageA result.
BOOL PostText(HWND hwnd, UINT message, WPARAM wparam, std::string_view text);

// Marks a message as being handled by `hwnd`'s procedure for as long as it lives; the text
// it carries is freed when the outermost delivery of it ends.
class PostedTextDelivery {
 public:
  PostedTextDelivery(HWND hwnd, UINT message, LPARAM lparam);
  ~PostedTextDelivery();
  PostedTextDelivery(const PostedTextDelivery&) = delete;
  PostedTextDelivery& operator=(const PostedTextDelivery&) = delete;

 private:
  const char* text_ = nullptr;
};

// The message loop dispatched `message`: its text, if it carries a kept one, is freed.
void PostedTextDispatched(const MSG& message);

// How many posted texts are kept now.
int PostedTextsKept();

}  // namespace ui
