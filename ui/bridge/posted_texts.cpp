#include "ui/bridge/posted_texts.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace ui {
namespace {

struct Kept {
  HWND hwnd = nullptr;
  UINT message = 0;
  std::unique_ptr<std::string> text;
  int deliveries = 0;  // procedures handling it now
};

// By the address of the characters, which is the message's lParam.
std::unordered_map<const char*, Kept>& Texts() {
  static std::unordered_map<const char*, Kept> texts;
  return texts;
}

Kept* Find(HWND hwnd, UINT message, LPARAM lparam) {
  if (lparam == 0) return nullptr;
  auto& texts = Texts();
  const auto it = texts.find(reinterpret_cast<const char*>(lparam));
  if (it == texts.end() || it->second.hwnd != hwnd || it->second.message != message) return nullptr;
  return &it->second;
}

}  // namespace

BOOL PostText(HWND hwnd, UINT message, WPARAM wparam, std::string_view text) {
  auto copy = std::make_unique<std::string>(text);
  const char* characters = copy->c_str();
  // Kept before posting: another thread of the program could not take it sooner, but a
  // failed post must not leave it behind.
  Texts()[characters] = Kept{hwnd, message, std::move(copy), 0};
  const BOOL posted = PostMessageA(hwnd, message, wparam, reinterpret_cast<LPARAM>(characters));
  if (!posted) Texts().erase(characters);
  return posted;
}

PostedTextDelivery::PostedTextDelivery(HWND hwnd, UINT message, LPARAM lparam) {
  if (Texts().empty()) return;
  if (Kept* kept = Find(hwnd, message, lparam)) {
    ++kept->deliveries;
    text_ = kept->text->c_str();
  }
}

PostedTextDelivery::~PostedTextDelivery() {
  if (text_ == nullptr) return;
  auto& texts = Texts();
  const auto it = texts.find(text_);
  if (it != texts.end() && --it->second.deliveries == 0) texts.erase(it);
}

void PostedTextDispatched(const MSG& message) {
  if (Texts().empty()) return;
  Kept* kept = Find(message.hwnd, message.message, message.lParam);
  // A procedure still handling it (the loop runs inside that handler) keeps it.
  if (kept != nullptr && kept->deliveries == 0) Texts().erase(reinterpret_cast<const char*>(message.lParam));
}

int PostedTextsKept() { return static_cast<int>(Texts().size()); }

}  // namespace ui
