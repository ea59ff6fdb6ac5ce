#pragma once
// The one owner of a Win32 handle: it closes its handle exactly once, on
// every way out. Which values are no handle at all depends on the kind, and
// each kind's traits say it once, in `owns`.

#include <windows.h>

#include <utility>

namespace verbarium {

template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::owns(handle_); }
  // Gives the handle up without closing it.
  Handle release() { return std::exchange(handle_, Handle{}); }
  void reset(Handle handle = Handle{}) {
    Handle old = std::exchange(handle_, handle);
    if (Traits::owns(old)) Traits::close(old);
  }

 private:
  Handle handle_{};
};

// The calls that open kernel objects report failure with either value:
// CreateFileW and FindFirstFileExW with INVALID_HANDLE_VALUE, OpenProcess
// and CreateMutexW with null. Both are no handle.
struct KernelObjectTraits {
  using Handle = HANDLE;
  static bool owns(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Handle h) { ::CloseHandle(h); }
};

// A directory search: a kernel handle that only FindClose may close.
struct FindTraits : KernelObjectTraits {
  static void close(Handle h) { ::FindClose(h); }
};

// User and GDI objects and global memory: null is the only failure.
template <class H>
struct NullIsNoneTraits {
  using Handle = H;
  static bool owns(Handle h) { return h != nullptr; }
};

using KernelHandle = UniqueHandle<KernelObjectTraits>;
using FindHandle = UniqueHandle<FindTraits>;

}  // namespace verbarium
