#include "updater/block_writer.h"

#include "common/file_util.h"

namespace trr {

BlockWriter::BlockWriter(HANDLE file, size_t blockSize, int blockCount, std::function<void(int64_t)> written)
    : file_(file), written_(std::move(written)) {
  for (int i = 0; i < blockCount; ++i) free_.emplace_back(blockSize);
  thread_ = std::thread(&BlockWriter::Run, this);
}

BlockWriter::~BlockWriter() {
  DWORD ignored;
  Finish(ignored);
}

std::vector<char> BlockWriter::Take() {
  std::unique_lock<std::mutex> lock(lock_);
  changed_.wait(lock, [&] { return !free_.empty() || failed_; });
  if (failed_) return {};
  std::vector<char> buffer = std::move(free_.back());
  free_.pop_back();
  return buffer;
}

void BlockWriter::Submit(std::vector<char> buffer, size_t length) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    queued_.push_back({std::move(buffer), length});
  }
  changed_.notify_all();
}

bool BlockWriter::Finish(DWORD& error) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    finishing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  error = error_;
  return !failed_;
}

void BlockWriter::Run() {
  try {
    WriteQueued();
  } catch (...) {
    // A lock or the progress callback failed: the transfer fails as after a failed write, and the receiver,
    // waiting for a buffer, is told so.
    try {
      std::lock_guard<std::mutex> lock(lock_);
      if (!failed_) {
        failed_ = true;
        error_ = ERROR_NOT_ENOUGH_MEMORY;
      }
    } catch (...) {
      failed_ = true;
    }
  }
  changed_.notify_all();
}

void BlockWriter::WriteQueued() {
  for (;;) {
    Block block;
    {
      std::unique_lock<std::mutex> lock(lock_);
      changed_.wait(lock, [&] { return !queued_.empty() || finishing_; });
      if (queued_.empty()) return;
      block = std::move(queued_.front());
      queued_.pop_front();
    }
    bool ok = !failed_;
    DWORD error = 0;
    size_t done = 0;
    while (ok && done < block.length) {
      DWORD put = 0;
      BOOL wrote = WriteFile(file_, block.bytes.data() + done, IoChunk(block.length - done), &put, nullptr);
      // Taken at once: taking the lock below may itself change the thread's last error.
      if (!wrote) error = GetLastError();
      ok = wrote && put > 0;
      if (wrote && put == 0) error = ERROR_WRITE_FAULT;  // nothing written and no reason given
      done += put;
    }
    {
      std::lock_guard<std::mutex> lock(lock_);
      if (!ok && !failed_) {
        failed_ = true;
        error_ = error;
      }
      total_ += ok ? static_cast<int64_t>(block.length) : 0;
      free_.push_back(std::move(block.bytes));
    }
    if (ok && written_) written_(total_);
    changed_.notify_all();
  }
}

}  // namespace trr
