// A minimal owning COM pointer: releases its interface once, copies add a reference.
#pragma once
#include <unknwn.h>

#include <utility>

namespace trr {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference that the caller already holds.
  static ComPtr Adopt(T* raw) {
    ComPtr p;
    p.ptr_ = raw;
    return p;
  }
  ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
    if (ptr_) ptr_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (ptr_) std::exchange(ptr_, nullptr)->Release();
  }
  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For functions that return a new reference through an out parameter.
  T** Receive() {
    Reset();
    return &ptr_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

  template <typename U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> other;
    if (ptr_) ptr_->QueryInterface(iid, other.ReceiveVoid());
    return other;
  }

 private:
  T* ptr_ = nullptr;
};

}  // namespace trr
