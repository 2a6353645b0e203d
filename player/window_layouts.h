// The player's two window layouts.
#pragma once
#include "ui/layout.h"

namespace trr {

// Borderless 286 x 545 main window: the skinned top panel 图片框1 with the playback controls and the lower
// panel 图片框2 that hosts the channel list.
extern const ui::WindowLayout kMainWindowLayout;

// Borderless 286 x 180 About window.
extern const ui::WindowLayout kAboutWindowLayout;

constexpr char kMainWindowClass[] = "TrRadioMainWindow";
constexpr char kAboutWindowClass[] = "TrRadioAboutWindow";
constexpr int kFoldedHeight = 177;
constexpr int kUnfoldedHeight = 545;

}  // namespace trr
