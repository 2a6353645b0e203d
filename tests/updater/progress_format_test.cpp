#include "updater/progress_format.h"

#include <gtest/gtest.h>

#include "updater/settings_file.h"

namespace trr {
namespace {

TEST(ProgressFormat, NumbersArePlainDecimalsRoundedHalfUp) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {3.0, 2, "3"},      {1.5, 2, "1.5"},     {2.0, 2, "2"},       {0.0, 2, "0"},     {1.005, 2, "1.01"},
      {1.004, 2, "1"},    {2.999, 2, "3"},     {0.125, 2, "0.13"},  {0.1, 2, "0.1"},   {12.3456, 2, "12.35"},
      {199.995, 2, "200"}, {1048575.0 / 1048576.0, 2, "1"}, {0.004, 2, "0"}, {7.25, 1, "7.3"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDecimal(c.value, c.decimals), c.text) << c.value;
}

TEST(ProgressFormat, PercentRoundsHalfUpAndIsZeroWhileTheSizeIsUnknown) {
  struct Case {
    int64_t received, total;
    int percent;
  } cases[] = {
      {0, 100, 0},   {1, 200, 1},       {1, 201, 0},   {49, 98, 50},        {199, 200, 100}, {995, 1000, 100},
      {994, 1000, 99}, {100, 100, 100}, {150, 100, 100}, {50, 0, 0},        {50, -1, 0},
      {int64_t(3) << 30, int64_t(6) << 30, 50},
      // Totals whose percentage product would overflow 64 bits.
      {INT64_MAX / 2, INT64_MAX, 50}, {INT64_MAX - 1, INT64_MAX, 100}, {INT64_MAX / 1000, INT64_MAX, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgressPercent(c.received, c.total), c.percent) << c.received << "/" << c.total;
}

TEST(ProgressFormat, TickTexts) {
  struct Case {
    int64_t total, received, speed;
    const char *size, *got, *rate, *percent;
    int position;
  } cases[] = {
      // Three megabytes, half received, at fifty kilobytes a second.
      {3 * 1048576, 3 * 1048576 / 2, 50 * 1024, "文件大小: 3 MB", "已经下载: 1.5 MB", "传输速度: 50 KB/s",
       "升级进度: 50 %", 50},
      {2 * 1048576, 0, 1023, "文件大小: 2 MB", "已经下载: 0 MB", "传输速度: 0 KB/s", "升级进度: 0 %", 0},
      {1000, 1000, 1024, "文件大小: 0 MB", "已经下载: 0 MB", "传输速度: 1 KB/s", "升级进度: 100 %", 100},
      {1572864 + 3000, 1048576, 2047, "文件大小: 1.5 MB", "已经下载: 1 MB", "传输速度: 1 KB/s",
       "升级进度: 67 %", 67},
      {1578107, 1048576, 0, "文件大小: 1.51 MB", "已经下载: 1 MB", "传输速度: 0 KB/s", "升级进度: 66 %", 66},
      // Before the size event: the initial size and percentage texts, position 0; received and speed shown.
      {0, 524288, 4096, kInitialSizeText, "已经下载: 0.5 MB", "传输速度: 4 KB/s", kInitialPercentText, 0},
  };
  for (const Case& c : cases) {
    ProgressTexts texts = FormatProgress(c.total, c.received, c.speed);
    EXPECT_EQ(texts.size, c.size);
    EXPECT_EQ(texts.received, c.got);
    EXPECT_EQ(texts.speed, c.rate);
    EXPECT_EQ(texts.percent, c.percent);
    EXPECT_EQ(texts.position, c.position);
  }
}

TEST(SettingsFile, DefaultTextIsExactGbkWithCrLfBetweenLines) {
  std::string expected =
      "\x5B\xBB\xF9\xB1\xBE\xC9\xE8\xD6\xC3\x5D\r\n"  // "[基本设置]" in GBK
#ifdef _WIN64
      "up=http://h:1/trftv/x64/trRadio.exe\r\n"
#else
      "up=http://h:1/trftv/trRadio.exe\r\n"
#endif
      "upr=http://h:1/trftv/Vorudoredu.exe";
  EXPECT_EQ(DefaultSettingsText("http://h:1"), expected);
}

}  // namespace
}  // namespace trr
