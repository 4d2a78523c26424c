// For the test-only build of txt2csv.exe that runs out of memory: no
// allocation may take more than 64 MiB.
#include "primitives/allocation.h"

namespace txt2csv {

std::size_t allocation_limit() { return std::size_t{64} << 20; }

}  // namespace txt2csv
