// Questions asked in message boxes.
#pragma once
#include <windows.h>

#include <string>

namespace trr::ui {

// Asks a Yes/No question with the question icon, `title` and `text` (GBK); true when the user chose Yes.
bool AskYesNo(HWND owner, const std::string& title, const std::string& text);

}  // namespace trr::ui
