#include "command/OrderedWork.h"

#include <algorithm>

namespace vthost {

unsigned DefaultJobs() {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return std::min(cores * 4, 64u);
}

}  // namespace vthost
