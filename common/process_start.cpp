#include "common/process_start.h"

#include <windows.h>

#include "common/scoped_win.h"

namespace trr {

bool StartProgram(const std::string& path) {
  // CreateProcess may write into the command line buffer, so it gets its own copy.
  std::string commandLine = "\"" + path + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return false;
  ScopedHandle process(info.hProcess);
  ScopedHandle thread(info.hThread);
  return true;
}

}  // namespace trr
