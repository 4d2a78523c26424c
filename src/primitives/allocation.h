// Running out of memory, reported with the number of bytes asked for. A
// program built with allocation.cpp gets global operator new and delete over
// malloc and free that note the size of an allocation they cannot satisfy
// before throwing std::bad_alloc.
#pragma once

#include <cstddef>

namespace txt2csv {

// The size of the last allocation that failed; 0 when none has.
std::size_t failed_allocation_size();

// The most that one allocation may ask for. Programs link allocation_limit.cpp,
// which sets none; a test build links a small limit of its own.
std::size_t allocation_limit();

}  // namespace txt2csv
