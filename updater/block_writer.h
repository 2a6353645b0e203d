// Writes blocks to a file on its own thread, so that receiving the next block overlaps writing the last one.
// A fixed set of buffers circulates between the receiver and the writer; the receiver waits only when all of
// them are queued for writing.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace trr {

class BlockWriter {
 public:
  // `file` stays owned by the caller and must outlive Finish. `written` is called on the writer thread with
  // the total bytes on disk after each block.
  BlockWriter(HANDLE file, size_t blockSize, int blockCount, std::function<void(int64_t)> written);
  ~BlockWriter();  // finishes
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  // A free buffer of blockSize bytes, waiting while all are queued; empty once a write has failed.
  std::vector<char> Take();
  // Queues the first `length` bytes of `buffer` (from Take) for writing.
  void Submit(std::vector<char> buffer, size_t length);
  // Writes what is queued and stops the thread. False (with the error) when any write failed.
  bool Finish(DWORD& error);

 private:
  struct Block {
    std::vector<char> bytes;
    size_t length;
  };
  void Run();          // the writer thread: nothing leaves it
  void WriteQueued();  // writes blocks until finishing and nothing is queued

  HANDLE file_;
  std::function<void(int64_t)> written_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Block> queued_;
  std::vector<std::vector<char>> free_;
  bool finishing_ = false;
  DWORD error_ = 0;
  bool failed_ = false;
  int64_t total_ = 0;
  std::thread thread_;
};

}  // namespace trr
