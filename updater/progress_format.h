// The texts and the bar position that the updater window shows at each progress tick. Pure: no window.
#pragma once
#include <cstdint>
#include <string>

namespace trr {

// Initial texts of the four labels, shown before the first tick.
constexpr const char kInitialReceivedText[] = "已经下载:未知";
constexpr const char kInitialSizeText[] = "文件大小:未知";
constexpr const char kInitialPercentText[] = "升级进度:0%";
constexpr const char kInitialSpeedText[] = "传输速度: 0KB/s";

struct ProgressTexts {
  std::string size;      // "文件大小: 3 MB"
  std::string received;  // "已经下载: 1.5 MB"
  std::string speed;     // "传输速度: 50 KB/s"
  std::string percent;   // "升级进度: 50 %"
  int position = 0;      // progress bar position, 0..100
};

// A number in plain decimal, rounded half up to `decimals` places, without trailing zeros and without a point
// when whole (1.5, 2, 0.01).
std::string FormatDecimal(double value, int decimals);

// Received ÷ total × 100 rounded half up, clamped to 0..100; 0 while the total is not known (zero or less).
int ProgressPercent(int64_t received, int64_t total);

// The four tick texts for a transfer of `total` bytes with `received` bytes so far at `bytesPerSecond`. While
// the total is unknown (0 or less) the size and percentage texts are the initial ones and the position is 0.
ProgressTexts FormatProgress(int64_t total, int64_t received, int64_t bytesPerSecond);

}  // namespace trr
