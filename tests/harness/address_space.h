// Running out of memory for real: reserves every free range of the process's address space, so that no thread
// can be started and no large block allocated until the reservation ends. Small blocks may still come from what
// the heap already holds. A test does only the step under test meanwhile (no assertion, no message loop) and
// checks what it recorded once the reservation has ended.
#pragma once
#include <cstddef>
#include <vector>

namespace trr::test {

class ScopedAddressSpaceExhaustion {
 public:
  ScopedAddressSpaceExhaustion();
  ~ScopedAddressSpaceExhaustion() { Release(); }
  ScopedAddressSpaceExhaustion(const ScopedAddressSpaceExhaustion&) = delete;
  ScopedAddressSpaceExhaustion& operator=(const ScopedAddressSpaceExhaustion&) = delete;

  // Ends the reservation early.
  void Release();

  // Bytes reserved; 0 when nothing could be.
  size_t Reserved() const { return reserved_; }

 private:
  std::vector<void*> blocks_;
  size_t reserved_ = 0;
};

}  // namespace trr::test
