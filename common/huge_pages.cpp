#include "common/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace tarvolen {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}  // namespace

void AdviseHugePages(void* begin, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  const auto first = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t start = (first + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (first + bytes) & ~(kHugePage - 1);
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)begin;
  (void)bytes;
#endif
}

void* AllocateOnHugePages(std::size_t bytes) {
  if (bytes < kHugePage) {
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (!p) throw std::bad_alloc();
    return p;
  }
  if (bytes > SIZE_MAX - kHugePage) throw std::bad_alloc();
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (!p) throw std::bad_alloc();
  AdviseHugePages(p, rounded);
  return p;
}

}  // namespace tarvolen
