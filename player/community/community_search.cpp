#include "player/community/community_search.h"

#include <mutex>
#include <optional>
#include <utility>

#include "common/gbk_convert.h"
#include "player/community/community_names.h"
#include "player/community/community_reply.h"

namespace trr {
namespace {

std::string Utf8Of(std::string_view gbk) {
  const std::wstring wide = GbkToWide(gbk);
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

// Every byte but the unreserved ones (letters, digits, "-._~") as %XX.
std::string PercentEncoded(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
        byte == '-' || byte == '.' || byte == '_' || byte == '~') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  return encoded;
}

}  // namespace

std::string CommunitySearchPath(std::string_view name) {
  const std::string utf8 = Utf8Of(name);
  if (utf8.empty()) return {};
  return "/json/stations/search?name=" + PercentEncoded(utf8) + "&hidebroken=true&order=votes&reverse=true&limit=" +
         std::to_string(kCommunitySearchLimit);
}

bool SearchCommunityDirectory(const CommunityGet& get, const std::string& server, std::string_view name,
                              std::vector<CommunityRow>& rows) {
  rows.clear();
  const std::string path = CommunitySearchPath(name);
  if (path.empty()) return false;
  const std::vector<std::string> bases = CommunityServersToAsk(get, server);
  std::vector<CommunityStation> stations;
  for (const std::string& base : bases) {
    if (!ParseCommunityStations(get(base + path, kCommunityLimits), stations)) continue;
    for (size_t i = 0; i < stations.size() && rows.size() < kCommunitySearchLimit; ++i) {
      // The parser left the address empty where the station address rule refused it: not listed, as in a
      // listing.
      if (stations[i].address.empty()) continue;
      rows.push_back(CommunityRow{stations[i].uuid, stations[i].address,
                                  CommunityDisplayName(stations[i].name, stations[i].countryCode, i + 1)});
    }
    return true;
  }
  return false;
}

struct CommunityNameSearch::Shared {
  HWND window = nullptr;
  UINT message = 0;
  Search search;
  std::mutex lock;
  unsigned long long latest = 0;  // number of the newest request
  std::optional<std::pair<std::string, std::vector<CommunityRow>>> answer;
};

CommunityNameSearch::CommunityNameSearch(HWND window, UINT message, Search search)
    : shared_(std::make_shared<Shared>()) {
  shared_->window = window;
  shared_->message = message;
  shared_->search = std::move(search);
}

CommunityNameSearch::~CommunityNameSearch() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  ++shared_->latest;
  shared_->answer.reset();
}

bool CommunityNameSearch::Request(std::string name, std::string server) {
  unsigned long long number = 0;
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    number = ++shared_->latest;
  }
  std::shared_ptr<Shared> shared = shared_;
  return worker_.Post([shared, number, name = std::move(name), server = std::move(server)] {
    {
      // A request overtaken before it began is not sent at all.
      std::lock_guard<std::mutex> guard(shared->lock);
      if (number != shared->latest) return;
    }
    std::vector<CommunityRow> rows;
    bool answered = false;
    try {
      answered = shared->search(name, server, rows);
    } catch (...) {
      answered = false;  // only allocation can fail here: no answer
    }
    if (!answered) return;
    {
      std::lock_guard<std::mutex> guard(shared->lock);
      if (number != shared->latest) return;  // overtaken while it ran
      shared->answer.emplace(name, std::move(rows));
    }
    PostMessageA(shared->window, shared->message, 0, 0);
  });
}

bool CommunityNameSearch::TakeAnswer(std::string& name, std::vector<CommunityRow>& rows) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (!shared_->answer) return false;
  name = std::move(shared_->answer->first);
  rows = std::move(shared_->answer->second);
  shared_->answer.reset();
  return true;
}

}  // namespace trr
