#include "ui/message_box.h"

namespace trr::ui {

bool AskYesNo(HWND owner, const std::string& title, const std::string& text) {
  return MessageBoxA(owner, text.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace trr::ui
