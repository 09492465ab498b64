#pragma once
// The text of a whole .dcf file on its way to disk. Its large buffers come straight from
// the system with transparent huge pages asked for: a fresh buffer of tens of megabytes
// then costs a few page faults instead of one per 4 KiB page, which on a virtual machine
// is what writing a large dictionary would otherwise spend most of its time on. Internal
// to the dictionary library.
#include <sys/mman.h>

#include <cstddef>
#include <new>
#include <string>

namespace dcf {

template <typename T>
class PageAllocator {
 public:
  using value_type = T;
  PageAllocator() = default;
  template <typename U>
  PageAllocator(const PageAllocator<U>&) {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kLarge) return static_cast<T*>(::operator new(bytes));
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    madvise(p, bytes, MADV_HUGEPAGE);  // a request only; without it the buffer still works
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kLarge)
      ::operator delete(p);
    else
      munmap(p, bytes);
  }
  bool operator==(const PageAllocator&) const { return true; }

 private:
  static constexpr size_t kLarge = size_t{1} << 20;
};

using FileText = std::basic_string<char, std::char_traits<char>, PageAllocator<char>>;

}  // namespace dcf
