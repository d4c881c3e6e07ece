#include "best_landing.h"

#include <algorithm>

#include "landing_bound.h"

namespace {

constexpr std::int64_t lowest_rank = -(std::int64_t{1} << 62);

bool operator<(const landing_key& a, const landing_key& b) {
  return std::lexicographical_compare(a.rank, a.rank + 4, b.rank, b.rank + 4);
}

// How many states are searched between two looks at the clock.
constexpr std::int64_t states_per_clock_reading = 16;

bool on_surface(const flight_state& s) {
  return !(s.altitude > 0.0);
}

// Returns the state at touchdown of a module left with no fuel.
flight_state fall(flight_state s) {
  while (!on_surface(s))
    s = state_after_second(s, lunar_gravity, 0);
  return s;
}

landing_result result_of(const flight_state& touchdown) {
  return {touchdown_verdict(touchdown.velocity), touchdown.fuel, touchdown.time,
          touchdown.velocity};
}

landing_key key_of(const landing_search& search, const flight_state& touchdown) {
  const std::int64_t burnt = search.fuel - touchdown.fuel;
  if (touchdown_verdict(touchdown.velocity) == landing_verdict::soft) {
    return {{1, -burnt, -touchdown.time, 0}};
  }
  return {{0, reported_hundredths(touchdown.velocity), -burnt, 0}};
}

// Returns whether `s` is where a flight ends: on the surface, or with no
// fuel left to choose a rate for.
bool ends_flight(const flight_state& s) {
  return on_surface(s) || s.fuel == 0;
}

// Returns the best key any flight through `s` could reach, above the
// surface with fuel. Once a soft landing is found, a state that cannot
// land softly is not worth the gentlest touchdown's bound.
landing_key bound_of(const landing_search& search, const flight_state& s) {
  const std::int64_t burnt = search.fuel - s.fuel;
  const soft_landing_bound soft = least_soft_landing(s);
  if (soft.possible) return {{1, -(burnt + soft.litres), -(s.time + soft.seconds), 0}};
  if (search.found && search.best_key.rank[0] == 1) return {{0, lowest_rank, 0, 0}};
  const touchdown_bound touchdown = gentlest_touchdown(s);
  return {{0, touchdown.hundredths, -(burnt + touchdown.litres), 0}};
}

// Returns the frame of `s` with its rates ordered best bound first, and at
// equal bounds the smaller rate first: litres burnt late leave the most
// choice for later.
search_frame frame_of(const landing_search& search, const flight_state& s) {
  search_frame frame{};
  frame.state = s;
  const std::int32_t top = burnable_rate(highest_rate, s.fuel);
  for (std::int32_t rate = lowest_rate; rate <= top; ++rate) {
    const flight_state next = state_after_second(s, lunar_gravity, rate);
    const landing_key key = ends_flight(next) ? key_of(search, fall(next)) : bound_of(search, next);
    int at = frame.count++;
    for (; at > 0 && frame.bounds[at - 1] < key; --at) {
      frame.bounds[at] = frame.bounds[at - 1];
      frame.rates[at] = frame.rates[at - 1];
    }
    frame.bounds[at] = key;
    frame.rates[at] = static_cast<std::int8_t>(rate);
  }
  return frame;
}

// Takes the flight that ends at `touchdown`, after the path and `rate`,
// if it is the best so far.
void consider(landing_search& search, std::int8_t rate, const flight_state& touchdown) {
  const landing_key key = key_of(search, touchdown);
  if (search.found && !(search.best_key < key)) return;
  search.found = true;
  search.best_key = key;
  search.best.answers = search.path;
  search.best.answers.push_back(rate);
  search.best.result = result_of(touchdown);
}

// Tries the next rate of the deepest frame, or leaves the frame when none
// is left that could beat the best found.
void search_one(landing_search& search) {
  search_frame& frame = search.stack.back();
  if (frame.next == frame.count ||
      (search.found && !(search.best_key < frame.bounds[frame.next]))) {
    search.stack.pop_back();
    if (!search.path.empty()) search.path.pop_back();
    return;
  }
  const std::int8_t rate = frame.rates[frame.next++];
  const flight_state next = state_after_second(frame.state, lunar_gravity, rate);
  ++search.states;
  if (ends_flight(next)) {
    consider(search, rate, fall(next));
    return;
  }
  search.path.push_back(rate);
  search.stack.push_back(frame_of(search, next));
}

// Returns the best key still open in the search: the first untried rate of
// each frame holds its frame's best.
landing_key open_bound(const landing_search& search) {
  landing_key open{{-1, 0, 0, 0}};
  for (const search_frame& frame : search.stack) {
    if (frame.next >= frame.count) continue;
    const landing_key& candidate = frame.bounds[frame.next];
    // cppcheck-suppress useStlAlgorithm ; a running maximum, not a search
    if (open < candidate) open = candidate;
  }
  return open;
}

}  // namespace

landing_search start_landing_search(double altitude, std::int32_t fuel) {
  landing_search search{};
  search.altitude = altitude;
  search.fuel = fuel;
  // A frame a second: a few hundred for the longest best flights.
  search.stack.reserve(512);
  search.path.reserve(512);
  const flight_state start = initial_state(altitude, fuel);
  search.start_bound = bound_of(search, start);
  search.stack.push_back(frame_of(search, start));
  return search;
}

bool continue_landing_search(landing_search& search,
                             std::chrono::steady_clock::time_point deadline) {
  std::int64_t until_clock = states_per_clock_reading;
  while (!search.stack.empty()) {
    search_one(search);
    if (--until_clock > 0) continue;
    until_clock = states_per_clock_reading;
    if (std::chrono::steady_clock::now() >= deadline) break;
  }
  return search.stack.empty();
}

best_landing landing_found(const landing_search& search) {
  best_landing found = search.best;
  const landing_key open = open_bound(search);
  found.proven = !(search.best_key < open);
  found.gap = {landing_gap::litres, 0};
  if (found.proven) return found;
  if (search.best_key.rank[0] == 1) {
    found.gap.amount = open.rank[1] - search.best_key.rank[1];
  } else {
    found.gap.unit = landing_gap::hundredths_of_m_per_s;
    const std::int64_t reachable = open.rank[0] == 1 ? -100 : open.rank[1];
    found.gap.amount = reachable - search.best_key.rank[1];
  }
  return found;
}

best_landing find_best_landing(double altitude, std::int32_t fuel,
                               std::chrono::steady_clock::duration time_limit) {
  const auto deadline = std::chrono::steady_clock::now() + time_limit;
  landing_search search = start_landing_search(altitude, fuel);
  continue_landing_search(search, deadline);
  // The first flight is a few hundred states away at most.
  while (!search.found)
    continue_landing_search(search, std::chrono::steady_clock::time_point::max());
  return landing_found(search);
}
