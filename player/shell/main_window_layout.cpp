// Layout of the main window: every control's place, size, text and pictures, and the events it reports.
#include <iterator>

#include "assets/resource_ids.h"
#include "player/shell/main_window.h"
#include "player/shell/now_playing_title.h"
#include "player/shell/search_box.h"
#include "player/shell/window_layouts.h"

namespace trr {
namespace {

using ui::ControlKind;
using ui::EventKind;

const ui::FontSpec kStateFont = {"宋体", -12, FW_NORMAL, GB2312_CHARSET};
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr unsigned kWindowButton = ui::kHandCursor | ui::kMagentaKey;

const ui::ControlSpec kControls[] = {
    {.name = "图片框1", .kind = ControlKind::PictureBox, .left = 0, .top = 0, .width = 286, .height = 180,
     .pictures = {IDG_TOP_PANEL}},
    {.name = "最小化", .kind = ControlKind::PictureButton, .parent = "图片框1", .left = 184, .top = 0, .width = 26,
     .height = 18, .pictures = {IDG_MIN_NORMAL, IDG_MIN_HOT, IDG_MIN_NORMAL}, .flags = kWindowButton},
    {.name = "置顶", .kind = ControlKind::PictureButton, .parent = "图片框1", .left = 208, .top = 0, .width = 26,
     .height = 18, .pictures = {IDG_PIN_NORMAL, IDG_PIN_HOT, IDG_PIN_NORMAL}, .flags = kWindowButton},
    {.name = "关闭", .kind = ControlKind::PictureButton, .parent = "图片框1", .left = 232, .top = 0, .width = 43,
     .height = 18, .text = "关闭", .pictures = {IDG_CLOSE_NORMAL, IDG_CLOSE_HOT, IDG_CLOSE_NORMAL},
     .flags = kWindowButton},
    {.name = "状态标签", .kind = ControlKind::TransparentLabel, .parent = "图片框1", .left = 8, .top = 32,
     .width = 128, .height = 15, .text = "TiroRadio", .textColour = kWhite},
    {.name = "透明标签2", .kind = ControlKind::TransparentLabel, .parent = "图片框1", .left = 144, .top = 32,
     .width = 120, .height = 15, .text = "人数统计服务器故障.", .textColour = kWhite},
    {.name = "电视播放器", .kind = ControlKind::ActiveXHost, .parent = "图片框1", .left = 8, .top = 54,
     .width = 122, .height = 45, .flags = ui::kHidden},
    {.name = "时间标签1", .kind = ControlKind::TransparentLabel, .parent = "图片框1", .left = 144, .top = 57,
     .width = 32, .height = 18, .text = "状态:", .textColour = kWhite, .font = &kStateFont},
    {.name = "时间标签", .kind = ControlKind::TransparentLabel, .parent = "图片框1", .left = 179, .top = 57,
     .width = 55, .height = 18, .text = "准备就绪", .textColour = kWhite, .font = &kStateFont},
    {.name = "声音开关", .kind = ControlKind::PictureButton, .parent = "图片框1", .left = 144, .top = 85,
     .width = 20, .height = 17, .pictures = {IDG_SPEAKER_NORMAL, IDG_SPEAKER_HOT, IDG_SPEAKER_NORMAL},
     .flags = ui::kMagentaKey},
    {.name = "音量大小", .kind = ControlKind::VolumeSlider, .parent = "图片框1", .left = 176, .top = 80,
     .width = 88, .height = 24,
     .pictures = {IDB_SLIDER_RAIL, IDB_SLIDER_FILL, IDB_SLIDER_FILL_HOT, IDB_SLIDER_THUMB},
     .rangeMin = 0, .rangeMax = 100, .position = 30},
    {.name = "播放暂停", .kind = ControlKind::PictureButton, .parent = "图片框1", .left = 124, .top = 125,
     .width = 46, .height = 43, .pictures = {IDG_PLAY_NORMAL, IDG_PLAY_HOT, IDG_PLAY_NORMAL},
     .flags = ui::kMagentaKey},
    {.name = "列表开关", .kind = ControlKind::PictureButton, .parent = "图片框1", .left = 32, .top = 133,
     .width = 34, .height = 27, .pictures = {IDG_LIST_NORMAL, IDG_LIST_HOT, IDG_LIST_NORMAL},
     .flags = kWindowButton},
    {.name = "列表开关1", .kind = ControlKind::PictureButton, .parent = "图片框1", .left = 224, .top = 133,
     .width = 34, .height = 27, .pictures = {IDG_MUSIC_NORMAL, IDG_MUSIC_HOT, IDG_MUSIC_NORMAL},
     .flags = kWindowButton},
    {.name = "图片框2", .kind = ControlKind::PictureBox, .left = 0, .top = 176, .width = 286, .height = 369,
     .pictures = {IDG_LOWER_PANEL}},
    {.name = "图片框", .kind = ControlKind::PictureBox, .parent = "图片框2", .left = 9, .top = 50, .width = 267,
     .height = 310},
    // The header band above the list: its title, and the search box with its delay before the community
    // directory is asked.
    {.name = "列表标题", .kind = ControlKind::TransparentLabel, .parent = "图片框2", .left = 16, .top = 12,
     .width = 124, .height = 18, .text = "频道列表", .textColour = RGB(22, 78, 150), .flags = ui::kClickable},
    {.name = "搜索框", .kind = ControlKind::EditBox, .parent = "图片框2", .left = 146, .top = 11, .width = 128,
     .height = 20, .textLimit = kSearchBoxMaxBytes, .hint = "搜索电台"},
    {.name = "搜索时钟", .kind = ControlKind::Timer, .parent = "图片框2", .interval = 0},
    {.name = "时钟1", .kind = ControlKind::Timer, .parent = "图片框2", .interval = 1000},
};

const ui::EventBinding kBindings[] = {
    {"", EventKind::Created, OnMainWindowCreated},
    {"", EventKind::Destroyed, OnMainWindowDestroyed},
    {"关闭", EventKind::Click, OnCloseClicked},
    {"最小化", EventKind::Click, OnMinimiseClicked},
    {"置顶", EventKind::Click, OnPinClicked},
    {"列表开关", EventKind::Click, OnFoldClicked},
    {"图片框1", EventKind::RightPress, OnPanelRightPress},
    {"图片框2", EventKind::RightPress, OnPanelRightPress},
    {"时钟1", EventKind::TimerTick, OnClockTick},
    {"播放暂停", EventKind::Click, OnStopClicked},
    {"音量大小", EventKind::SliderChanged, OnVolumeMoved},
    {"搜索框", EventKind::TextChanged, OnSearchTextChanged},
    {"搜索时钟", EventKind::TimerTick, OnSearchDelay},
    {"列表标题", EventKind::Click, OnTitleLabelClicked},
};

}  // namespace

const ui::WindowLayout kMainWindowLayout = {
    kMainWindowClass, "TiroRadio", ui::FrameStyle::Borderless, 286, kUnfoldedHeight, RGB(204, 227, 248),
    0, IDI_PROGRAM, false, true, kControls, std::size(kControls), kBindings, std::size(kBindings)};

}  // namespace trr
