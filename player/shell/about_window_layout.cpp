// Layout of the About window.
#include <iterator>

#include "assets/resource_ids.h"
#include "player/shell/about_window.h"
#include "player/shell/window_layouts.h"

namespace trr {
namespace {

using ui::ControlKind;
using ui::EventKind;

constexpr COLORREF kWhite = RGB(255, 255, 255);

const ui::ControlSpec kControls[] = {
    {.name = "图形按钮3", .kind = ControlKind::PictureButton, .left = 24, .top = 48, .width = 112, .height = 104,
     .pictures = {IDG_LOGO, IDG_LOGO, IDG_LOGO}, .flags = ui::kWhiteKey},
    {.name = "透明标签1", .kind = ControlKind::TransparentLabel, .left = 128, .top = 48, .width = 120,
     .height = 16, .text = "TiroRadio(1.0.1)", .textColour = kWhite},
    {.name = "透明标签2", .kind = ControlKind::TransparentLabel, .left = 128, .top = 72, .width = 120,
     .height = 16, .text = "蒂罗电台 免费发布", .textColour = kWhite},
    {.name = "透明标签3", .kind = ControlKind::TransparentLabel, .left = 128, .top = 96, .width = 120,
     .height = 56, .text = "2008-2010\r\nTiroRadio 工作室\r\n感谢各电台的节目", .textColour = kWhite,
     .flags = ui::kMultiLine},
    {.name = "关闭", .kind = ControlKind::PictureButton, .left = 235, .top = 0, .width = 43, .height = 18,
     .text = "关闭", .pictures = {IDG_CLOSE_NORMAL, IDG_CLOSE_HOT, IDG_CLOSE_NORMAL},
     .flags = ui::kHandCursor | ui::kMagentaKey},
};

const ui::EventBinding kBindings[] = {
    {"", EventKind::Created, OnAboutWindowCreated},
    {"", EventKind::Destroyed, OnAboutWindowDestroyed},
    {"关闭", EventKind::Click, OnAboutCloseClicked},
};

}  // namespace

const ui::WindowLayout kAboutWindowLayout = {
    kAboutWindowClass, "", ui::FrameStyle::Borderless, 286, 180, RGB(255, 255, 255), IDG_ABOUT, IDI_PROGRAM,
    true, false, kControls, std::size(kControls), kBindings, std::size(kBindings)};

}  // namespace trr
