// The station search's cost with 1,000, 10,000 and 100,000 stations listed, as the player runs it: the list
// filled as the player fills it, the index built on a worker, then 100 keystrokes of a mix of Chinese text,
// Latin text and pinyin initials, each timed from the changed text to the refilled "搜索结果" group (at most 200
// rows) in the real list control. Prints the median and the worst keystroke, the index's build time and
// memory, the process's private memory growth over the 100 keystrokes (elements the XML document made and
// gave up stay in Wine's msxml until the document goes), and the character tables' memory. The keystroke's
// two parts are timed apart as well, over the same texts: matching the whole index (without the narrowing to
// the last matches that typing on allows) and refilling "搜索结果" with the rows found.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "player/list/channel_list.h"
#include "player/list/top_groups.h"
#include "player/search/hanzi_tables.h"
#include "player/search/station_search.h"

namespace {

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  return n == 0 ? 0 : n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

double NowMs() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int32_t __stdcall Ignore(int32_t, int32_t, int32_t) { return 0; }

// A 2 x 2 24-bit BMP: every row needs a picture, and decoding it once per fill is not what is measured.
std::string SmallPicture() {
  std::string bytes = "BM";
  const uint32_t header[] = {70, 0, 54, 40, 2, 2, 0x180001, 0, 16, 2835, 2835, 0, 0};
  bytes.append(reinterpret_cast<const char*>(header), sizeof header);
  return bytes + std::string(16, '\x40');
}

// Names as a Chinese directory has them: a place, a kind of station, often a frequency; some in traditional
// characters, some Latin.
std::vector<trr::ChannelGroup> MakeStations(int count) {
  const char* places[] = {"北京", "上海", "广州", "深圳", "重庆", "天津", "成都", "杭州", "南京", "武汉", "西安",
                          "长沙", "郑州", "济南", "沈阳", "哈尔滨", "昆明", "福州", "厦门", "青岛", "大连", "苏州",
                          "臺北", "高雄", "香港", "澳門", "中国", "中央", "东方", "江苏"};
  const char* kinds[] = {"交通广播", "音乐台", "新闻综合广播", "经济之声", "文艺广播", "故事广播", "都市频率",
                         "之声", "乡村广播", "體育台", "爱乐电台", "老年之声", "私家车广播", "生活广播"};
  const char* latin[] = {"Hit FM", "Classic Rock Radio", "Jazz Lounge", "News Talk", "Easy Radio", "Kiss FM"};
  const int groups = std::max(1, count / 500);
  std::vector<trr::ChannelGroup> directory(groups);
  for (int g = 0; g < groups; ++g) directory[g].name = "分组" + std::to_string(g);
  for (int i = 0; i < count; ++i) {
    std::string name;
    if (i % 7 == 3) {
      name = std::string(latin[i % 6]) + " " + std::to_string(i % 97);
    } else {
      name = std::string(places[(i / 3) % 30]) + kinds[i % 14];
      if (i % 2) name += " FM " + std::to_string(87 + i % 21) + "." + std::to_string(i % 10);
    }
    directory[i % groups].stations.push_back(trr::Station{name, std::to_string(100000 + i)});
  }
  return directory;
}

// 100 keystrokes: each word typed one character after the other, then the next word typed over it.
std::vector<std::string> Keystrokes() {
  const std::vector<std::vector<std::string>> words = {
      {"北", "北京", "北京交", "北京交通"},
      {"z", "zg", "zgz", "zgzs"},
      {"r", "ra", "rad", "radi", "radio"},
      {"音", "音乐", "音乐台"},
      {"b", "bj", "bjj", "bjjt", "bjjtg"},
      {"臺", "臺北"},
      {"f", "fm", "fm ", "fm 9", "fm 97"},
      {"x", "xw", "xwz", "xwzh"},
      {"重", "重庆"},
      {"h", "hi", "hit"},
  };
  std::vector<std::string> strokes;
  for (size_t w = 0; strokes.size() < 100; w = (w + 1) % words.size())
    for (const std::string& text : words[w])
      if (strokes.size() < 100) strokes.push_back(text);
  return strokes;
}

void Run(int count, HWND box) {
  trr::GroupList list;
  trr::CreateChannelList(list, box, &Ignore);
  const std::string picture = SmallPicture();
  std::vector<trr::ChannelGroup> stations = MakeStations(count);
  trr::FillChannelList(list, stations, picture);
  trr::TopGroups top(list, picture);
  trr::StationSearch search(trr::StationSearch::Setup{box, &list, &top, nullptr});

  const double start = NowMs();
  search.OnListed([stations]() { return stations; }, trr::StationSource::Builtin, nullptr);
  while (!search.Index()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == trr::StationSearch::kIndexMessage) search.OnIndexBuilt();
      DispatchMessageA(&msg);
    }
  }
  const double built = NowMs() - start;

  PROCESS_MEMORY_COUNTERS memoryBefore{}, memoryAfter{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memoryBefore, sizeof memoryBefore);
  std::vector<double> times;
  for (const std::string& text : Keystrokes()) {
    const double before = NowMs();
    search.SetText(text);
    times.push_back(NowMs() - before);
    Pump();  // the list paints between keystrokes, as it would between a user's
  }
  search.SetText("");
  GetProcessMemoryInfo(GetCurrentProcess(), &memoryAfter, sizeof memoryAfter);

  std::vector<double> matching, refilling;
  const trr::StationIndex& index = *search.Index();
  for (const std::string& text : Keystrokes()) {
    double before = NowMs();
    const std::vector<uint32_t> found = index.Search(trr::MakeSearchQuery(text), trr::StationSearch::kMaxLocalResults);
    matching.push_back(NowMs() - before);
    std::vector<trr::TopStation> rows;
    for (uint32_t station : found)
      rows.push_back(trr::TopStation{{std::string(index.Name(station)), std::string(index.Id(station))},
                                     trr::StationSource::Builtin, {}});
    before = NowMs();
    top.Set(trr::TopSlot::SearchResults, std::move(rows));
    refilling.push_back(NowMs() - before);
    Pump();
  }
  top.Clear(trr::TopSlot::SearchResults);

  std::printf("BENCH search_keystroke_median_%d %.2f ms\n", count, Median(times));
  std::printf("BENCH search_keystroke_worst_%d %.2f ms\n", count, *std::max_element(times.begin(), times.end()));
  std::printf("BENCH search_match_whole_index_median_%d %.2f ms\n", count, Median(matching));
  std::printf("BENCH search_refill_median_%d %.2f ms\n", count, Median(refilling));
  std::printf("BENCH search_index_build_%d %.1f ms\n", count, built);
  std::printf("BENCH search_index_memory_%d %.2f MB\n", count, search.Index()->MemoryBytes() / 1048576.0);
  std::printf("BENCH search_memory_growth_100_keystrokes_%d %.1f MB\n", count,
              (static_cast<double>(memoryAfter.PagefileUsage) - static_cast<double>(memoryBefore.PagefileUsage)) / 1048576.0);
  std::fflush(stdout);
  list.RemoveGroup();
}

}  // namespace

int main() {
  HWND box = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 50, 50, 267, 310, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  for (int count : {1000, 10000, 100000}) Run(count, box);
  std::printf("BENCH search_character_tables %.2f MB\n", trr::HanziTableBytes() / 1048576.0);
  DestroyWindow(box);
  return 0;
}
