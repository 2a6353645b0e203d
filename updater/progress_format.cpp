#include "updater/progress_format.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace trr {

std::string FormatDecimal(double value, int decimals) {
  if (!std::isfinite(value)) return "0";
  double scale = std::pow(10.0, decimals);
  // Half up on the scaled value; the small bias keeps 1.005 (stored as 1.00499..) from rounding down.
  double scaled = std::floor(std::fabs(value) * scale + 0.5 + 1e-9);
  bool negative = value < 0 && scaled != 0;
  char text[64];
  std::snprintf(text, sizeof(text), "%.*f", decimals, scaled / scale);
  std::string out = text;
  if (out.find('.') != std::string::npos) {
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
  }
  return negative ? "-" + out : out;
}

int ProgressPercent(int64_t received, int64_t total) {
  if (total <= 0 || received <= 0) return 0;
  if (received >= total) return 100;
  // Integer half-up: (200 * received + total) / (2 * total). Sizes too large for that product are halved
  // together first; the share stays exact far below one percent.
  while (total > INT64_MAX / 201) {
    total /= 2;
    received /= 2;
  }
  return static_cast<int>((200 * received + total) / (2 * total));
}

ProgressTexts FormatProgress(int64_t total, int64_t received, int64_t bytesPerSecond) {
  ProgressTexts texts;
  int percent = ProgressPercent(received, total);
  texts.position = percent;
  // Until the size event arrives the size and percentage keep their initial texts and the bar stays at 0.
  texts.size = total > 0 ? "文件大小: " + FormatDecimal(static_cast<double>(total) / 1048576.0, 2) + " MB"
                         : std::string(kInitialSizeText);
  texts.received = "已经下载: " + FormatDecimal(static_cast<double>(received) / 1048576.0, 2) + " MB";
  int64_t kilobytes = bytesPerSecond > 0 ? bytesPerSecond / 1024 : 0;
  texts.speed = "传输速度: " + std::to_string(kilobytes) + " KB/s";
  texts.percent = total > 0 ? "升级进度: " + std::to_string(percent) + " %" : std::string(kInitialPercentText);
  return texts;
}

}  // namespace trr
