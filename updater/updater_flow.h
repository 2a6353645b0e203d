// The updater program: start-up steps, the upgrade, the completion and give-up questions and the exit step.
#pragma once
#include <windows.h>

namespace trr {

constexpr const char kSkinFileName[] = "trss.she";
constexpr const char kQuestionTitle[] = "提示";
constexpr const char kFinishedQuestion[] = "升级成功,您是否要马上运行TiroRadio?";
constexpr const char kGiveUpQuestion[] = "正在升级中,是否中途强制退出?";
// Shown in 标签进度 when a transfer failed and the installed player was kept.
constexpr const char kUpgradeFailedText[] = "升级失败";

// Runs the whole program: maps the carried skin engine, creates the updater window and runs its message loop.
// Returns the process exit code.
int RunUpdater();

}  // namespace trr
