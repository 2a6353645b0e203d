#include "player/playback/play_state_display.h"

#include <gtest/gtest.h>

#include <optional>

namespace trr {
namespace {

// What one play state writes; nullopt: the item is left as it was.
struct Expected {
  long state;
  std::optional<std::string> status;
  std::optional<std::string> word;
  std::optional<bool> visible;
};

const std::string kStation = "中国之声 FM";

const Expected kTable[] = {
    {0, std::nullopt, std::nullopt, std::nullopt},
    {1, "TiroRadio", "停止", false},
    {2, std::nullopt, std::nullopt, std::nullopt},
    {3, kStation, "正在播放", true},
    {4, std::nullopt, std::nullopt, std::nullopt},
    {5, "正在向后搜索流媒体...", std::nullopt, std::nullopt},
    {6, "缓冲数据...", "缓存中", std::nullopt},
    {7, "等待加载流媒体...", std::nullopt, std::nullopt},
    {8, "播放结束", std::nullopt, false},
    {9, "正在连接到媒体...", "连接中", std::nullopt},
    {10, "准备就绪", "", std::nullopt},
    {11, "正在尝试重新连接流媒体数据...", std::nullopt, std::nullopt},
    {12, std::nullopt, std::nullopt, std::nullopt},
    {13, std::nullopt, std::nullopt, std::nullopt},
    {-1, std::nullopt, std::nullopt, std::nullopt},
};

TEST(PlayStateDisplay, EachStateWritesItsRowAndLeavesTheRest) {
  for (const Expected& row : kTable) {
    SCOPED_TRACE("play state " + std::to_string(row.state));
    std::optional<std::string> status, word;
    std::optional<bool> visible;
    int calls = 0;
    PlayStateSetters setters;
    setters.setStatusText = [&](const std::string& text) {
      EXPECT_FALSE(status.has_value()) << "status written twice";
      status = text;
      ++calls;
    };
    setters.setStateWord = [&](const std::string& text) {
      EXPECT_FALSE(word.has_value()) << "state word written twice";
      word = text;
      ++calls;
    };
    setters.setPlayerVisible = [&](bool shown) {
      EXPECT_FALSE(visible.has_value()) << "visibility written twice";
      visible = shown;
      ++calls;
    };
    ApplyPlayState(row.state, kStation, setters);
    EXPECT_EQ(status, row.status);
    EXPECT_EQ(word, row.word);
    EXPECT_EQ(visible, row.visible);
    EXPECT_EQ(calls, int(row.status.has_value()) + int(row.word.has_value()) + int(row.visible.has_value()));
  }
}

TEST(PlayStateDisplay, PlayingShowsWhicheverStationIsCurrentAndMissingSettersAreSkipped) {
  std::string status;
  PlayStateSetters onlyStatus;
  onlyStatus.setStatusText = [&](const std::string& text) { status = text; };
  ApplyPlayState(3, "第一台", onlyStatus);
  EXPECT_EQ(status, "第一台");
  ApplyPlayState(3, "第二台", onlyStatus);
  EXPECT_EQ(status, "第二台");
  ApplyPlayState(1, "第二台", onlyStatus);
  EXPECT_EQ(status, "TiroRadio");
  ApplyPlayState(3, "", PlayStateSetters{});  // nothing to call: must not crash
}

}  // namespace
}  // namespace trr
