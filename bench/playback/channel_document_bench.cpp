// Parsing time of generated channel documents: 200 groups x 10,000 stations and 20 x 2,000.
#include <windows.h>

#include <cstdio>
#include <string>

#include "player/channel_document.h"

namespace {

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
    for (const auto& g : parsed) rows += g.stations.size();
    double ms = Milliseconds(start, end);
    if (ms < best) best = ms;
  }
  if (rows != static_cast<size_t>(stations)) std::printf("BENCH channel_parse_rows_mismatch %zu rows\n", rows);
  std::printf("BENCH channel_parse_%dx%d %.2f ms\n", groups, stations, best);
}

}  // namespace

int main() {
  Measure(200, 10000);
  Measure(20, 2000);
  return 0;
}
