#include "ui/clipboard.h"

#include <cstring>

#include "common/gbk_convert.h"

namespace trr::ui {
namespace {

// The clipboard, open for one block.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

}  // namespace

bool CopyTextToClipboard(HWND owner, const std::string& gbkText) {
  const std::wstring wide = GbkToWide(gbkText);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return false;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);
  OpenedClipboard clipboard(owner);
  // Once SetClipboardData has taken the memory, the clipboard owns it; until then it is ours to free.
  if (!clipboard.open() || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

}  // namespace trr::ui
