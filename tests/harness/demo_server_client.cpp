#include "tests/harness/demo_server_client.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "common/gbk_convert.h"
#include "common/gbk_text.h"
#include "common/http_fetch.h"

namespace trr::test {

std::string TestServerUrl() {
  char value[512];
  DWORD n = GetEnvironmentVariableA("TRRADIO_TEST_SERVER", value, sizeof(value));
  if (n == 0 || n >= sizeof(value)) return "http://127.0.0.1:18080";
  return std::string(value, n);
}

std::string ServerControl(const std::string& pathAndQuery) {
  // The request log and the control answers stay far below this; a hanging control is a failed test, not a hang.
  const FetchLimits limits = {16 * 1024 * 1024, 3000, 10000, 10000};
  return HttpGet(TestServerUrl() + pathAndQuery, limits);
}

void ServerReset() { ServerControl("/__control/reset"); }

std::vector<std::string> ServerRequestLog() {
  std::vector<std::string> entries;
  for (const std::string& line : SplitText(ServerControl("/__control/log"), "\n"))
    if (!line.empty()) entries.push_back(line);
  return entries;
}

void ServerSetFault(const std::string& path, const std::string& mode, double delaySeconds, int count) {
  char delay[32];
  std::snprintf(delay, sizeof(delay), "%g", delaySeconds);
  ServerControl("/__control/fault?path=" + PercentEncode(path) + "&mode=" + mode + "&delay=" + delay +
                (count >= 0 ? "&count=" + std::to_string(count) : std::string()));
}

void ServerSetRedirect(const std::string& path, const std::string& target) {
  ServerControl("/__control/fault?path=" + PercentEncode(path) + "&mode=redirect&to=" + PercentEncode(target));
}

void ServerGenerateDirectory(int stations, int groups, int repeat, int pad) {
  ServerControl("/__control/directory?stations=" + std::to_string(stations) + "&groups=" + std::to_string(groups) +
                "&repeat=" + std::to_string(repeat) + "&pad=" + std::to_string(pad));
}

void ServerSetBody(const std::string& path, const std::string& body) {
  ServerControl("/__control/body?path=" + PercentEncode(path) + "&text=" + PercentEncode(body));
}

void ServerSetStreamTitle(const std::string& gbkText, const char* encoding) {
  const std::wstring wide = GbkToWide(gbkText);
  std::string utf8(wide.size() * 4, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                  static_cast<int>(utf8.size()), nullptr, nullptr));
  ServerControl("/__control/icytitle?text=" + PercentEncode(utf8) + "&encoding=" + encoding);
}

std::string PercentEncode(const std::string& bytes) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '_' || c == '.' || c == '~';
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

}  // namespace trr::test
