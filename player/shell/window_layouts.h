// The player's two window layouts.
#pragma once
#include "ui/layout.h"

namespace trr {

// Borderless 286 x 545 main window: the skinned top panel 图片框1 with the playback controls and the lower
// panel 图片框2 that hosts the channel list.
extern const ui::WindowLayout kMainWindowLayout;

// Borderless 286 x 180 About window.
extern const ui::WindowLayout kAboutWindowLayout;

// The main window's controls that the player's code addresses by name.
constexpr char kListHost[] = "图片框";
constexpr char kPlayerHost[] = "电视播放器";
constexpr char kStatusLabel[] = "状态标签";
constexpr char kStateWordLabel[] = "时间标签";
constexpr char kCounterLabel[] = "透明标签2";
constexpr char kListTitleLabel[] = "列表标题";
constexpr char kSearchBox[] = "搜索框";
constexpr char kSearchDelayTimer[] = "搜索时钟";

constexpr char kMainWindowClass[] = "TrRadioMainWindow";
constexpr char kAboutWindowClass[] = "TrRadioAboutWindow";
constexpr int kFoldedHeight = 177;
constexpr int kUnfoldedHeight = 545;

}  // namespace trr
