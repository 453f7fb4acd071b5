// A check before the large arrays of a ring are allocated: a demand beyond the
// machine's physical memory is treated as memory that cannot be had, instead of letting
// the system promise it and end the process later.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <new>

namespace korvane2 {

inline void check_memory_for(double bytes) {
  long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0 && bytes > static_cast<double>(pages) * static_cast<double>(pageSize))
    throw std::bad_alloc();
}

}  // namespace korvane2
