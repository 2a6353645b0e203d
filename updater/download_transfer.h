// The transfer thread of a download: opens the HTTP or FTP address, receives the file into
// "<destination>.part" and installs exactly the bytes it checked. Every WinINet handle and the partial file are
// owned by this thread and closed by it, each exactly once, when the call that uses them has returned.
#pragma once
#include <memory>

#include "updater/download_state.h"

namespace trr {

// Runs one transfer to its end and reports it: 3 (size known) once the size is, then 4 (finished) or 5
// (failed, with the error), unless the open-phase watch gave the transfer up first (then it reports nothing
// and touches no file) or the download was stopped. Never throws.
void RunTransfer(const std::shared_ptr<DownloadState>& state);

}  // namespace trr
