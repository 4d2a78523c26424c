#include <cstdint>

#include "primitives/allocation.h"

namespace txt2csv {

// Only the system's memory limits an allocation.
std::size_t allocation_limit() { return SIZE_MAX; }

}  // namespace txt2csv
