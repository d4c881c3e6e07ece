#include "dialogue.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The status of a child whose program could not be executed, as shells
// report it.
constexpr int cannot_execute_status = 127;

// Returns `patience` ms as seconds, as the messages say it.
std::string in_seconds(long patience) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g s", static_cast<double>(patience) / 1000);
  return seconds;
}

}  // namespace

maybe_failure echo(std::string_view text) {
  const int failed = write_all(STDOUT_FILENO, text.data(), text.size());
  if (failed == 0) return std::nullopt;
  return no_flight(std::string("cannot write to standard output: ") + std::strerror(failed));
}

dialogue_end hold_dialogue(simulator& sim, flight_check& check, const rate_source& rates,
                           long patience) {
  dialogue_end d{std::nullopt, "", false};
  const auto end = [&d](failure why) {
    d.failed = std::move(why);
    return std::move(d);
  };
  std::size_t searched = 0;  // d.screen[0, searched) holds no error line
  deadline wait = deadline_in(patience);
  char chunk[65536];
  for (;;) {
    const read_result got = read_output(sim, chunk, sizeof chunk, wait);
    if (got.timed_out)
      return end(no_flight("no prompt from the simulator in " + in_seconds(patience)));
    if (got.error != 0) {
      return end(no_flight(std::string("cannot read the simulator's output: ") +
                           std::strerror(got.error)));
    }
    if (got.size == 0) return d;
    d.wrote = true;
    const std::string_view arrived(chunk, std::min(got.size, longest_screen - d.screen.size()));
    if (maybe_failure failed = echo(arrived)) return end(*failed);
    d.screen += arrived;
    const std::string_view error = refusal(d.screen, searched);
    searched = d.screen.size();
    if (!error.empty()) return end(refused(check, error));
    const prompt asked = waiting_prompt(d.screen);
    if (asked == prompt::none) {
      if (d.screen.size() < longest_screen) continue;
      return end(no_flight("no prompt from the simulator in " + std::to_string(longest_screen) +
                           " bytes of output"));
    }
    if (maybe_failure failed = answer_prompt(check, d.screen, asked, rates)) return end(*failed);
    const std::string line = check.answer + '\n';
    if (maybe_failure failed = echo(line)) return end(*failed);
    wait = deadline_in(patience);
    // A simulator gone before reading its answer shows as the end of its
    // output, at the next read.
    if (write_input(sim, line, wait) == ETIMEDOUT) {
      return end(no_flight("the simulator did not take an answer in " + in_seconds(patience)));
    }
    d.screen.clear();
    searched = 0;
    wait = deadline_in(patience);
  }
}

landing judge_flight(const dialogue_end& d, const flight_check& check, const simulator& sim,
                     bool exited_alone, long patience) {
  const landing_verdict unknown = landing_verdict::crash;
  if (d.failed) return {d.failed, unknown};
  if (!exited_alone) {
    return {no_flight("the simulator ended its output but did not exit in " + in_seconds(patience)),
            unknown};
  }
  const int status = exit_status_of(sim);
  // Where the system starts a child before it knows whether the program
  // runs (as an emulator's fork does), a program that cannot run shows as
  // the status shells give it, with not a word written.
  if (status == cannot_execute_status && !d.wrote) {
    return {no_flight("cannot run the simulator"), unknown};
  }
  if (status != 0) return {no_flight("the simulator did not finish the flight"), unknown};
  return check_landing(check, d.screen);
}
