#pragma once

#include <cstddef>

namespace tarvolen {

// Asks the kernel to back the whole 2 MB pages inside [begin, begin + bytes) with huge pages: for a
// buffer of many megabytes that is about to be filled, this spares a page fault for every 4 kB
// touched. Advice only: contents and allocation stay as they are, and where the system offers no
// huge pages nothing changes. Ranges smaller than a huge page are left alone.
void AdviseHugePages(void* begin, std::size_t bytes);

}  // namespace tarvolen
