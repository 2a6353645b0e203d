#include "player/shell/program_end.h"

#include <windows.h>

namespace trr {
namespace {

ExitCleanup g_cleanup = nullptr;
bool g_cleanedUp = false;

void ExitThisProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

ProcessEnd g_end = ExitThisProcess;

}  // namespace

void RegisterExitCleanup(ExitCleanup cleanup) { g_cleanup = cleanup; }

void EndProgram(int exitCode) {
  if (!g_cleanedUp) {
    g_cleanedUp = true;
    if (g_cleanup) g_cleanup();
  }
  g_end(exitCode);
}

ProcessEnd SetProcessEnd(ProcessEnd end) {
  ProcessEnd previous = g_end;
  g_end = end ? end : ExitThisProcess;
  g_cleanedUp = false;
  return previous;
}

}  // namespace trr
