#include "tests/harness/address_space.h"

#include <windows.h>

#include "common/scoped_win.h"

namespace trr::test {
namespace {

DWORD WINAPI EndAtOnce(void*) { ExitThread(0); }

}  // namespace

ScopedAddressSpaceExhaustion::ScopedAddressSpaceExhaustion() {
  if (!kPossible) return;
  // The first end of a thread makes the host's thread library load what unwinding needs; with no address space
  // left that load fails and the process aborts, whichever thread ends. So one thread ends before anything is
  // reserved: its handle is signalled a little before its host thread is gone, hence the pause.
  ScopedHandle ended(CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, nullptr));
  if (ended) WaitForSingleObject(ended.get(), INFINITE);
  Sleep(300);
  blocks_.reserve(1 << 16);  // the list itself must not need memory while nothing is left
  // From the largest block the space holds down to one allocation granule: each size as often as it fits.
  for (size_t size = size_t(1) << 30; size >= 64 * 1024; size /= 2) {
    while (blocks_.size() < blocks_.capacity()) {
      void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
      if (!block) break;
      blocks_.push_back(block);
      reserved_ += size;
    }
  }
}

void ScopedAddressSpaceExhaustion::Release() {
  for (void* block : blocks_) VirtualFree(block, 0, MEM_RELEASE);
  blocks_.clear();
  reserved_ = 0;
}

}  // namespace trr::test
