// Ending the player. Every way out goes through EndProgram, which runs the exit clean-up once and then ends the
// process; a test running the player's windows in its own process replaces the last step to observe it.
#pragma once

namespace trr {

using ExitCleanup = void (*)();
using ProcessEnd = void (*)(int exitCode);

// Registers the clean-up that EndProgram runs (once) before the process ends.
void RegisterExitCleanup(ExitCleanup cleanup);

// Runs the registered clean-up (the first time only) and ends the process with `exitCode`.
void EndProgram(int exitCode);

// Replaces the final step of EndProgram (ExitProcess) and re-arms the clean-up; returns the previous step.
ProcessEnd SetProcessEnd(ProcessEnd end);

}  // namespace trr
