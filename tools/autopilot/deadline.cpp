#include "deadline.h"

#include <poll.h>

#include <algorithm>

bool wait_ready(deadline& d, int fd, short events, steady::duration most) {
  const steady::duration planned = std::max(std::min({most, wait_slice, d.left}), {});
  const auto timeout = std::chrono::ceil<std::chrono::milliseconds>(planned);
  pollfd p{fd, events, 0};
  const steady::time_point start = steady::now();
  const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
  d.left -= std::min(steady::now() - start, planned);
  return ready > 0;
}
