#pragma once

// Huge-page advice for the big buffers of a large fit or load: the one place that knows the page
// size and asks the kernel. For a buffer of many megabytes that is about to be filled, backing it
// with 2 MB pages spares a page fault for every 4 kB touched. Advice only: contents and
// allocation stay as they are, and where the system offers no huge pages nothing changes.

#include <cstddef>

namespace tarvolen {

// Asks the kernel to back the whole 2 MB pages inside [begin, begin + bytes) with huge pages.
// Ranges smaller than a huge page are left alone.
void AdviseHugePages(void* begin, std::size_t bytes);

// Makes room in `container` (a vector or a string) for `count` elements and advises its storage
// onto huge pages.
template <class Container>
void ReserveOnHugePages(Container& container, std::size_t count) {
  container.reserve(count);
  AdviseHugePages(container.data(), container.capacity() * sizeof(*container.data()));
}

// `bytes` of memory for std::free: from malloc below a huge page; from a huge page boundary,
// rounded up to whole huge pages and advised onto them, above. Throws std::bad_alloc.
void* AllocateOnHugePages(std::size_t bytes);

}  // namespace tarvolen
