// Running out of memory for real: reserves every free range of the process's address space, so that no thread
// can be started and no large block allocated until the reservation ends. Small blocks may still come from what
// the heap already holds. A test does only the step under test meanwhile (no assertion, no message loop) and
// checks what it recorded once the reservation has ended.
//
// Only a 32-bit address space can be filled: Wine keeps a byte of bookkeeping per page of every reservation, so
// filling the 128 TiB of a 64-bit process would take 32 GiB of memory. There nothing is reserved (Reserved() is
// 0), and the tests that need it are skipped.
#pragma once
#include <cstddef>
#include <vector>

namespace trr::test {

class ScopedAddressSpaceExhaustion {
 public:
  // True where the address space can be filled: in 32-bit processes.
  static constexpr bool kPossible = sizeof(void*) == 4;

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
