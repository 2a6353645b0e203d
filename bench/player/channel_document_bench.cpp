// The channel directory's cost. Parsing time of generated documents (200 groups x 10,000 stations and
// 20 x 2,000), and the directory work on the largest directory the player takes (16 MB) in its worst shapes:
// one parse that decides whether to keep the reply and gives the groups to show, run on a worker as
// the player runs it, timed from the start of the job to its result and measured as the process's peak memory
// above what it used before the body existed (the body counted). Each 16 MB case runs in a process of its own,
// so that one case's peak is not another's.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "common/file_util.h"
#include "common/window_job.h"
#include "player/directory/channel_cache.h"
#include "player/directory/channel_document.h"

namespace {

constexpr size_t kBodyBytes = trr::kMaxChannelDirectoryBytes;

std::string MakeDocument(int groups, int stations) {
  std::string doc = "<html><body><type>";
  for (int g = 0; g < groups; ++g) doc += (g ? ";" : "") + std::string("分组") + std::to_string(g);
  doc += "</type>\r\n<tvdata>";
  for (int s = 0; s < stations; ++s)
    doc += "电台" + std::to_string(s) + "|" + std::to_string(100000 + s) + "|分组" + std::to_string(s % groups) +
           "|extra\r\n";
  doc += "</tvdata></body></html>";
  return doc;
}

// 16 MB directories. "one_group": one group, every line a one-line station of it ("a|1|g"). "own_groups":
// every line names a group of its own, and the group list names every one of them (half the body each).
// "thousand_groups": the thousand groups the list may show, lines spread over all of them.
std::string MakeLargeDocument(const std::string& shape) {
  std::string doc;
  doc.reserve(kBodyBytes);
  const std::string close = "</tvdata>";
  if (shape == "one_group") {
    doc = "<type>g</type><tvdata>";
    while (doc.size() + 7 + close.size() <= kBodyBytes) doc += "a|1|g\r\n";
  } else if (shape == "own_groups") {
    doc = "<type>";
    for (int g = 0; doc.size() < kBodyBytes / 2; ++g) doc += "g" + std::to_string(g) + ";";
    doc += "</type><tvdata>";
    for (int g = 0;; ++g) {
      std::string line = "a|1|g" + std::to_string(g) + "\r\n";
      if (doc.size() + line.size() + close.size() > kBodyBytes) break;
      doc += line;
    }
  } else {
    doc = "<type>";
    for (int g = 0; g < 1000; ++g) doc += "g" + std::to_string(g) + ";";
    doc += "</type><tvdata>";
    for (int i = 0;; ++i) {
      std::string line = "a|1|g" + std::to_string(i % 1000) + "\r\n";
      if (doc.size() + line.size() + close.size() > kBodyBytes) break;
      doc += line;
    }
  }
  doc += close;
  return doc;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Measure(int groups, int stations) {
  std::string doc = MakeDocument(groups, stations);
  double best = 1e9;
  size_t rows = 0;
  for (int round = 0; round < 5; ++round) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    auto parsed = trr::ParseChannelDocument(doc);
    QueryPerformanceCounter(&end);
    rows = 0;
    for (const auto& g : parsed.groups) rows += g.stations.size();
    double ms = Milliseconds(start, end);
    if (ms < best) best = ms;
  }
  if (rows != static_cast<size_t>(stations)) std::printf("BENCH channel_parse_rows_mismatch %zu rows\n", rows);
  std::printf("BENCH channel_parse_%dx%d %.2f ms\n", groups, stations, best);
}

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters;
}

// Runs `job` on a worker, as the player does, and waits for it; the job's time in milliseconds.
double RunOnWorker(trr::WindowJob<trr::DirectoryResult>::Work job, trr::DirectoryResult& result) {
  trr::WindowJob<trr::DirectoryResult> worker(nullptr, WM_NULL);
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  if (!worker.Start(std::move(job))) return -1;
  std::optional<trr::DirectoryResult> finished;
  while (!(finished = worker.Take())) Sleep(1);
  QueryPerformanceCounter(&end);
  result = std::move(*finished);
  return Milliseconds(start, end);
}

// One 16 MB case: "<shape>" parses the body in memory (a reply just fetched); "<shape>_cached" reads it from a
// cache file and parses it, as a later start does.
int RunLargeCase(const std::string& name) {
  const bool cached = name.size() > 7 && name.compare(name.size() - 7, 7, "_cached") == 0;
  const std::string shape = cached ? name.substr(0, name.size() - 7) : name;
  const std::string cachePath = trr::ModuleDirectory() + "\\bench_directory_" + shape + ".dat";
  if (cached) {
    std::string body = MakeLargeDocument(shape);
    if (!trr::WriteWholeFile(cachePath, body)) return 1;
  }
  const PROCESS_MEMORY_COUNTERS before = Memory();
  trr::DirectoryResult result;
  double ms = 0;
  size_t bodyBytes = 0;
  bool keep = false;
  if (cached) {
    ms = RunOnWorker([cachePath] { return trr::ReadOrFetchDirectory(cachePath, "http://127.0.0.1:1/"); }, result);
    bodyBytes = kBodyBytes;
    keep = !result.groups.empty();
  } else {
    std::string body = MakeLargeDocument(shape);  // the reply, as it arrives from the network
    bodyBytes = body.size();
    ms = RunOnWorker(
        [&body, &keep] {
          trr::ChannelDirectory directory = trr::ParseChannelDocument(body);
          keep = directory.WorthKeeping();
          trr::DirectoryResult found;
          if (keep) found.groups = std::move(directory.groups);
          return found;
        },
        result);
  }
  const PROCESS_MEMORY_COUNTERS after = Memory();
  size_t rows = 0;
  for (const auto& g : result.groups) rows += g.stations.size();
  // Peak resident memory: every byte the work allocates is written, so it is all resident. (Wine's commit
  // counters do not follow private allocations.)
  const double peakMb = (static_cast<double>(after.PeakWorkingSetSize) - before.WorkingSetSize) / (1024.0 * 1024.0);
  std::printf("BENCH directory16_%s_ms %.1f ms\n", name.c_str(), ms);
  std::printf("BENCH directory16_%s_peak_above_start %.1f MB\n", name.c_str(), peakMb);
  std::printf("BENCH directory16_%s_shape %zu bytes %zu groups %zu rows keep=%d\n", name.c_str(), bodyBytes,
              result.groups.size(), rows, keep ? 1 : 0);
  if (cached) trr::DeleteFileIfPresent(cachePath);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--large") == 0) return RunLargeCase(argv[2]);
  Measure(200, 10000);
  Measure(20, 2000);
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof(self));
  for (const char* name : {"one_group", "own_groups", "thousand_groups", "one_group_cached", "own_groups_cached"}) {
    std::fflush(stdout);
    std::string command = std::string("\"") + self + "\" --large " + name;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
      std::printf("BENCH directory16_%s_failed 1 flag\n", name);
      continue;
    }
    WaitForSingleObject(info.hProcess, 120000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  return 0;
}
