#include "ui/bridge/find_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "runtime/function_table.h"

namespace ui {
namespace {

struct FindRecord {
  FINDREPLACEA record{};
  char buffer[kFindBufferSize] = {};
  HWND dialog = nullptr;
};

std::vector<std::unique_ptr<FindRecord>>& Records() {
  static std::vector<std::unique_ptr<FindRecord>> records;
  return records;
}

bool g_registered = false;
UINT g_message = 0;

void FreeDeadRecords() {
  std::erase_if(Records(), [](const std::unique_ptr<FindRecord>& r) { return !IsWindow(r->dialog); });
}

}  // namespace

HWND FindTextDialog(std::string_view find, HWND owner, UINT* find_message) {
  FreeDeadRecords();
  auto made = std::make_unique<FindRecord>();
  const size_t length = std::min(find.size(), static_cast<size_t>(kFindBufferSize - 1));
  std::memcpy(made->buffer, find.data(), length);
  FINDREPLACEA& r = made->record;
  r.lStructSize = sizeof r;
  r.hwndOwner = owner != nullptr ? owner : GetActiveWindow();
  r.hInstance = GetModuleHandleA(nullptr);
  r.lpstrFindWhat = made->buffer;
  r.wFindWhatLen = kFindBufferSize;
  if (!g_registered) {
    g_message = RegisterWindowMessageA(FINDMSGSTRINGA);
    g_registered = true;
    if (find_message != nullptr) *find_message = g_message;
  }
  HWND dialog = FindTextA(&r);
  if (dialog == nullptr) return nullptr;
  made->dialog = dialog;
  Records().push_back(std::move(made));
  return dialog;
}

void ReleaseFindRecord(HWND dialog) {
  if (dialog == nullptr) return;
  std::erase_if(Records(), [dialog](const std::unique_ptr<FindRecord>& r) { return r->dialog == dialog; });
}

const FINDREPLACEA* FindRecordOf(HWND dialog) {
  for (const auto& r : Records()) {
    if (r->dialog == dialog) return &r->record;
  }
  return nullptr;
}

int FindRecordCount() { return static_cast<int>(Records().size()); }

void RegisterFindDialog() {
  xb::RegisterFunction("FINDTEXT", [](xb::Args& a) {
    UINT message = 0;
    HWND owner = reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(2)));
    HWND dialog = FindTextDialog(a.Str(1), owner, &message);
    if (message != 0 && a.IsByRef(4)) a.SetRef(4, xb::Value::Integer(message));
    return xb::Value::Integer(reinterpret_cast<std::intptr_t>(dialog));
  });
}

}  // namespace ui
