// lm_autopilot: flies lm_simulator by itself, the way a person at the
// terminal would.
//
//   lm_autopilot [altitude [fuel]]      (defaults: 1300 m and 500 l)
//   lm_autopilot --help | --version
//
// It starts the simulator as a child over two pipes, waits for each prompt,
// answers it, and echoes the whole dialogue with its answers to standard
// output as a terminal would show it. Each fuel rate comes from a controller
// that reads the state report above the prompt and looks ahead: it lets the
// module fall as long as braking can still bring it down at under a metre
// per second, then brakes.
//
// The altitude and fuel are typed as given, and the simulator alone judges
// them, so the autopilot takes exactly the answers the simulator takes: an
// argument the simulator refuses (or takes only in part, as "5abc") ends the
// flight at once with the simulator's error line on standard error.
//
// It trusts nothing else the simulator does. Every wait (for a prompt, for
// an answer to be taken, for the simulator's exit) ends after
// LM_AUTOPILOT_TIMEOUT_MS milliseconds (10 s by default) of the
// autopilot's own running time, so that time spent stopped (^Z) does not
// count; at most longest_screen bytes are kept between two answers; each
// prompt must come in its turn, and each state report must be the state the
// model makes of the one before and the rate answered, or the flight ends
// with one line on standard error saying what went wrong. A simulator that
// has exited is judged by its exit status and what it wrote, even while
// another process holds its pipes open.
//
// The simulator is LM_SIMULATOR if that is set and not empty; or else, when
// this program was started by a path, lm_simulator in the same directory if
// it is there; or else lm_simulator on the PATH.
// Exit status: 0 after a soft landing; 1 after a hard one or a crash (with a
// line saying that the start could not be saved); 2 for arguments the
// simulator refuses, or more than two, or an unusable
// LM_AUTOPILOT_TIMEOUT_MS; 3 if the flight could not be flown or shown: the
// simulator could not be run, stopped answering, did not finish the flight,
// refused a fuel rate or wrote something the autopilot cannot read or
// believe, or standard output failed. --help and --version exit with 0.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "descent_model.h"
#include "dialogue_texts.h"
#include "posix_streams.h"
#include "spawn_child.h"

namespace {

constexpr int soft_landing_status = 0;
constexpr int out_of_reach_status = 1;
constexpr int refused_arguments_status = 2;
constexpr int no_flight_status = 3;

// The status of a child whose program could not be executed, as shells
// report it.
constexpr int cannot_execute_status = 127;

// The controller aims to reach the surface no faster than this, m/s ...
constexpr double hold_speed = 0.5;

// ... and judges a touchdown safe when it would still be a soft landing this
// much faster, a margin for the reports' rounding.
constexpr double touchdown_margin = 0.1;

// How long each wait for the simulator may last, ms, unless
// LM_AUTOPILOT_TIMEOUT_MS says otherwise (from 1 ms to an hour).
constexpr long default_patience_ms = 10000;
constexpr long longest_patience_ms = 3600000;

// The most the simulator may write between two answers, and so the most
// the autopilot keeps: far beyond anything a flight shows there (a state
// report, or each second's line of the fall once the fuel is gone).
constexpr std::size_t longest_screen = std::size_t{1} << 20;

// How far a report's altitude and velocity may lie from what the model
// makes of the report before: each report is rounded to hundredths, and
// the altitude gathers the rounding of both numbers before it.
constexpr double report_tolerance = 0.02;

// The controller, on the simulator's own one-second step.

// Returns the highest rate the fuel on board allows.
std::int32_t most_rate(const flight_state& s) {
  return burnable_rate(highest_rate, s.fuel);
}

flight_state after_second(const flight_state& s, std::int32_t rate) {
  return state_after_second(s, lunar_gravity, rate);
}

// Returns the lowest rate that leaves the module sinking no faster than
// hold_speed after a second, or the highest the fuel allows.
std::int32_t braking_rate(const flight_state& s) {
  const std::int32_t most = most_rate(s);
  for (std::int32_t rate = lowest_rate; rate < most; ++rate) {
    if (after_second(s, rate).velocity >= -hold_speed) return rate;
  }
  return most;
}

// Returns whether braking from this state on still reaches the surface
// safely: slowed to hold_speed above the ground with fuel left to hover, or
// touching down softly with touchdown_margin to spare.
bool can_still_land(flight_state s) {
  while (s.altitude > 0) {
    if (s.velocity >= -hold_speed && s.fuel > 0) return true;
    s = after_second(s, braking_rate(s));
  }
  return touchdown_verdict(s.velocity - touchdown_margin) == landing_verdict::soft;
}

// Returns the fuel rate for the coming second: the lowest from which the
// module can still brake in time, so it falls freely as long as it may and
// burns its fuel late, where it does most good. When no rate is safe, it
// brakes as hard as it can.
std::int32_t choose_rate(const flight_state& s) {
  const std::int32_t most = most_rate(s);
  for (std::int32_t rate = lowest_rate; rate <= most; ++rate) {
    if (can_still_land(after_second(s, rate))) return rate;
  }
  return braking_rate(s);
}

// Reading the simulator's screen, through the texts it writes.

enum class prompt { altitude, fuel, rate, none };

bool ends_with(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

// Returns the prompt the screen ends with: the simulator waits for it.
prompt waiting_prompt(std::string_view screen) {
  if (ends_with(screen, text::altitude_prompt)) return prompt::altitude;
  if (ends_with(screen, text::fuel_prompt)) return prompt::fuel;
  if (ends_with(screen, text::rate_prompt)) return prompt::rate;
  return prompt::none;
}

// Returns the error line with which the simulator refused an answer on the
// screen, or an empty view; the screen's first `searched` bytes hold none,
// and are searched only where a line could begin in them and end after.
std::string_view refusal(std::string_view screen, std::size_t searched) {
  for (std::string_view error : {text::altitude_error, text::fuel_error, text::rate_error}) {
    const std::size_t from = searched < error.size() ? 0 : searched - error.size() + 1;
    if (screen.find(error, from) != std::string_view::npos) return error;
  }
  return {};
}

// How a state report reads.
enum class report_reading { possible, unreadable, impossible };

// The numbers of a report, in order.
constexpr const char* number_names[] = {"time", "fuel", "rate", "altitude", "velocity"};

// Reads the state report that ends the screen, above the rate prompt, into
// `s`, and checks it against `due`, the state the model makes of the last
// report and answer: the time, fuel and rate exactly, the altitude and
// velocity to the reports' rounding, with fuel left and the module not
// below the surface, as a prompt needs. Sets `wrong` to the index in
// number_names of the first number found impossible, and `written` to its
// text.
report_reading read_state(std::string_view screen, const flight_state& due, flight_state& s,
                          int& wrong, std::string& written) {
  // Each line's label and the unit that ends it, in the report's order.
  const std::string_view lines[5][2] = {{text::time_label, text::time_unit},
                                        {text::fuel_label, text::fuel_unit},
                                        {text::rate_label, text::rate_unit},
                                        {text::altitude_label, text::altitude_unit},
                                        {text::velocity_label, text::velocity_unit}};
  const std::string_view report = screen.substr(0, screen.size() - text::rate_prompt.size());
  std::size_t at = report.rfind(lines[0][0]);
  if (at == std::string_view::npos) return report_reading::unreadable;
  std::string numbers[5];
  for (int i = 0; i < 5; ++i) {
    const std::string_view label = lines[i][0];
    const std::string_view unit = lines[i][1];
    if (report.compare(at, label.size(), label) != 0) return report_reading::unreadable;
    at += label.size();
    const std::size_t end = report.find(unit, at);
    if (end == std::string_view::npos) return report_reading::unreadable;
    numbers[i] = report.substr(at, end - at);
    at = end + unit.size();
  }
  if (at != report.size()) return report_reading::unreadable;
  long long whole[3] = {};
  double real[2] = {};
  bool in_range[5] = {};
  for (int i = 0; i < 5; ++i) {
    const char* start = numbers[i].c_str();
    char* end = nullptr;
    errno = 0;
    if (i < 3) {
      whole[i] = std::strtoll(start, &end, 10);
      in_range[i] = errno != ERANGE;
    } else {
      real[i - 3] = std::strtod(start, &end);
      in_range[i] = std::isfinite(real[i - 3]);
    }
    if (end == start || *end != '\0') return report_reading::unreadable;
  }
  const bool possible[5] = {
      in_range[0] && whole[0] == due.time,
      in_range[1] && whole[1] == due.fuel && whole[1] > 0,
      in_range[2] && whole[2] == due.rate,
      in_range[3] && real[0] >= 0 && std::fabs(real[0] - due.altitude) <= report_tolerance,
      in_range[4] && std::fabs(real[1] - due.velocity) <= report_tolerance,
  };
  for (int i = 0; i < 5; ++i) {
    if (!possible[i]) {
      wrong = i;
      written = numbers[i].substr(numbers[i].find_first_not_of(' '));
      return report_reading::impossible;
    }
  }
  s = {due.time, real[0], real[1], due.fuel, due.rate};
  return report_reading::possible;
}

// Waiting for the simulator.

using steady = std::chrono::steady_clock;

// A deadline of running time: waiting goes in slices of at most 100 ms,
// and a slice counts for no longer than it was meant to last, however late
// the process comes back from it. So the time a stopped job (^Z) spends
// stopped does not count, nor does a suspended machine's.
struct deadline {
  steady::duration left;  // the running time still to wait
};

// The longest a deadline waits at a time.
constexpr steady::duration wait_slice = std::chrono::milliseconds(100);

// Returns a deadline `ms` milliseconds of running time away.
deadline deadline_in(long ms) {
  return {std::chrono::milliseconds(ms)};
}

// Returns whether the time of `d` is up.
bool passed(const deadline& d) {
  return d.left.count() <= 0;
}

// Waits up to `most` (at most a slice) of the time left in `d` for `fd` to
// be ready for `events` (with fd -1, that time passes); returns whether it
// is.
bool wait_ready(deadline& d, int fd, short events, steady::duration most = wait_slice) {
  const steady::duration planned = std::max(std::min({most, wait_slice, d.left}), {});
  const auto timeout = std::chrono::ceil<std::chrono::milliseconds>(planned);
  pollfd p{fd, events, 0};
  const steady::time_point start = steady::now();
  const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
  d.left -= std::min(steady::now() - start, planned);
  return ready > 0;
}

// The simulator as a child process.

struct simulator {
  pid_t pid;
  int to_child;    // its standard input, non-blocking at this end
  int from_child;  // its standard output
  bool exited;     // reaped, with its wait status in `status`
  int status;
};

// Returns whether the simulator has exited, reaping it if it just did. A
// child that cannot be waited for counts as gone, with no exit status.
bool has_exited(simulator& sim) {
  if (sim.exited) return true;
  const pid_t reaped = ::waitpid(sim.pid, &sim.status, WNOHANG);
  if (reaped < 0 && errno != EINTR) sim.status = -1;
  sim.exited = reaped == sim.pid || (reaped < 0 && errno != EINTR);
  return sim.exited;
}

// Reads what the simulator wrote next, waiting within `d`. Its output ends
// (size 0) at its pipe's end or, once it has exited and so has written all
// it will, when the pipe holds nothing more, however long a process it
// left behind holds the pipe open.
read_result read_output(simulator& sim, char* chunk, std::size_t size, deadline& d) {
  for (;;) {
    const bool exited = sim.exited;
    if (wait_ready(d, sim.from_child, POLLIN, exited ? steady::duration::zero() : wait_slice)) {
      return read_when_ready(sim.from_child, chunk, size, wait_forever);
    }
    if (exited) return {0, false, 0};
    if (!has_exited(sim) && passed(d)) return {0, true, 0};
  }
}

// Writes `line` to the simulator within `d`. Returns 0, ETIMEDOUT if it
// did not take it all in time, EPIPE once it is gone, or the error number
// of a failed write.
int write_input(simulator& sim, std::string_view line, deadline& d) {
  while (!line.empty()) {
    const ssize_t written = ::write(sim.to_child, line.data(), line.size());
    if (written > 0) {
      line.remove_prefix(static_cast<std::size_t>(written));
      continue;
    }
    if (written == 0) return EIO;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return errno;
    if (has_exited(sim)) return EPIPE;
    if (passed(d)) return ETIMEDOUT;
    wait_ready(d, sim.to_child, POLLOUT);
  }
  return 0;
}

// Makes a pipe whose ends close at exec and are above the standard
// streams' numbers: with a standard stream closed, an end could take its
// number, and the child's dup2 onto it would then leave it to close at exec.
bool make_pipe(int ends[2]) {
  if (::pipe(ends) != 0) return false;
  for (int i = 0; i < 2; ++i) {
    const int moved = ::fcntl(ends[i], F_DUPFD_CLOEXEC, 3);
    if (moved < 0) return false;
    ::close(ends[i]);
    ends[i] = moved;
  }
  return true;
}

// Returns the simulator to run: LM_SIMULATOR unless unset or empty; or
// lm_simulator beside this program when it was started by a path and that
// is there; or else lm_simulator on the PATH.
std::string simulator_program(const char* self) {
  const char* set = std::getenv("LM_SIMULATOR");
  if (set != nullptr && *set != '\0') return set;
  const std::string_view started = self != nullptr ? self : "";
  const std::size_t slash = started.rfind('/');
  if (slash != std::string_view::npos) {
    std::string beside = std::string(started.substr(0, slash + 1)) + "lm_simulator";
    if (::access(beside.c_str(), X_OK) == 0) return beside;
  }
  return "lm_simulator";
}

// Starts the simulator over two pipes; returns false after saying why not.
bool start_simulator(const char* self, simulator& sim) {
  int to_child[2];
  int from_child[2];
  if (!make_pipe(to_child) || !make_pipe(from_child) ||
      ::fcntl(to_child[1], F_SETFL, O_NONBLOCK) != 0) {
    std::fprintf(stderr, "lm_autopilot: cannot make a pipe: %s\n", std::strerror(errno));
    return false;
  }
  std::string program = simulator_program(self);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, to_child[0], 0);
  posix_spawn_file_actions_adddup2(&actions, from_child[1], 1);
  char* const child_argv[] = {program.data(), nullptr};
  const bool search_path = program.find('/') == std::string::npos;
  ::unsetenv(text::brief_variable);  // it reads the full dialogue, whatever it was given
  const int failed = spawn_child(sim.pid, &actions, child_argv, search_path);
  posix_spawn_file_actions_destroy(&actions);
  ::close(to_child[0]);
  ::close(from_child[1]);
  sim.to_child = to_child[1];
  sim.from_child = from_child[0];
  if (failed != 0) {
    std::fprintf(stderr, "lm_autopilot: cannot run %s: %s\n", program.c_str(),
                 std::strerror(failed));
    ::close(sim.to_child);
    ::close(sim.from_child);
    return false;
  }
  return true;
}

// Ends the child: its input closed, and its exit awaited within `patience`
// ms while its output is read and dropped, so that it is not held up
// writing; killed at once if `kill_now`, or when the time runs out. Returns
// whether it exited by itself.
bool finish_simulator(simulator& sim, bool kill_now, long patience) {
  ::close(sim.to_child);
  deadline d = deadline_in(kill_now ? 0 : patience);
  int output = sim.from_child;
  char chunk[4096];
  // Its output at an end, its exit comes soon: looked for after 1 ms, then
  // twice as long each time, up to a slice.
  steady::duration pause = std::chrono::milliseconds(1);
  while (!has_exited(sim) && !passed(d)) {
    if (output < 0) {
      wait_ready(d, -1, 0, pause);
      pause = std::min(2 * pause, wait_slice);
    } else if (wait_ready(d, output, POLLIN) &&
               read_when_ready(output, chunk, sizeof chunk, wait_forever).size == 0) {
      ::close(output);  // ended or failed: wait for the exit alone
      output = -1;
    }
  }
  if (output >= 0) ::close(output);
  if (sim.exited) return true;
  ::kill(sim.pid, SIGKILL);  // which no process can outlast
  while (::waitpid(sim.pid, &sim.status, 0) < 0 && errno == EINTR) {
  }
  sim.exited = true;
  return false;
}

// The dialogue.

struct flight_order {
  std::string altitude = "1300";
  std::string fuel = "500";
};

// How a dialogue ended.
enum class dialogue_end {
  output_ended,       // the simulator's output ended, the flight over
  refused,            // the simulator refused an answer
  stuck,              // no prompt came in time
  flooded,            // longest_screen bytes came without a prompt
  out_of_turn,        // a prompt came where another was due
  unreadable_report,  // a rate prompt without a whole state report above it
  impossible_report,  // a report that the last one and the answer cannot give
  answer_not_taken,   // the simulator did not read an answer in time
  output_unreadable,  // reading the simulator's output failed
  echo_failed,        // standard output failed
};

struct dialogue {
  dialogue_end end;
  std::string screen;      // what the simulator wrote since the last answer
  bool wrote;              // whether it wrote anything at all
  bool flown;              // whether a fuel rate was answered
  std::string answer;      // the answer last sent, without its newline
  prompt asked;            // the prompt it answered, or the prompt out of turn
  std::string_view error;  // for dialogue_end::refused, the simulator's error line
  int wrong;               // for impossible_report, the number's index in number_names
  std::string written;     // and its text
  int failure;             // for output_unreadable, the error number
};

// Returns whether `text` reached standard output, after saying why not.
bool echo(std::string_view text) {
  const int failed = write_all(STDOUT_FILENO, text.data(), text.size());
  if (failed != 0) {
    std::fprintf(stderr, "lm_autopilot: cannot write to standard output: %s\n",
                 std::strerror(failed));
  }
  return failed == 0;
}

// Returns the state the flight starts from, as the simulator reads the
// answers typed: the number each begins with (the rest, if any, it
// refuses at the next prompt). A fuel beyond 32 bits is refused too, and
// no report can show -1 l.
flight_state starting_state(const flight_order& order) {
  const long long fuel = std::strtoll(order.fuel.c_str(), nullptr, 10);
  const bool fits = fuel > 0 && fuel <= INT32_MAX;
  return initial_state(std::strtod(order.altitude.c_str(), nullptr),
                       fits ? static_cast<std::int32_t>(fuel) : -1);
}

// Answers each prompt until the simulator's output ends or something goes
// wrong, each wait within `patience` ms; echoes the dialogue to standard
// output as it goes.
dialogue hold_dialogue(simulator& sim, const flight_order& order, long patience) {
  dialogue d{dialogue_end::output_ended, "", false, false, "", prompt::none, {}, 0, "", 0};
  std::size_t searched = 0;  // d.screen[0, searched) holds no error line
  prompt due_prompt = prompt::altitude;
  flight_state due = starting_state(order);
  deadline wait = deadline_in(patience);
  char chunk[65536];
  for (;;) {
    const read_result got = read_output(sim, chunk, sizeof chunk, wait);
    if (got.timed_out || got.error != 0 || got.size == 0) {
      d.end = got.timed_out    ? dialogue_end::stuck
              : got.error != 0 ? dialogue_end::output_unreadable
                               : dialogue_end::output_ended;
      d.failure = got.error;
      return d;
    }
    d.wrote = true;
    const std::string_view arrived(chunk, std::min(got.size, longest_screen - d.screen.size()));
    if (!echo(arrived)) {
      d.end = dialogue_end::echo_failed;
      return d;
    }
    d.screen += arrived;
    d.error = refusal(d.screen, searched);
    searched = d.screen.size();
    if (!d.error.empty()) {
      d.end = dialogue_end::refused;
      return d;
    }
    d.asked = waiting_prompt(d.screen);
    if (d.asked == prompt::none) {
      if (d.screen.size() < longest_screen) continue;
      d.end = dialogue_end::flooded;
      return d;
    }
    if (d.asked != due_prompt) {
      d.end = dialogue_end::out_of_turn;
      return d;
    }
    switch (d.asked) {
      case prompt::altitude:
        d.answer = order.altitude;
        due_prompt = prompt::fuel;
        break;
      case prompt::fuel:
        d.answer = order.fuel;
        due_prompt = prompt::rate;
        break;
      case prompt::rate: {
        flight_state state{};
        const report_reading reading = read_state(d.screen, due, state, d.wrong, d.written);
        if (reading != report_reading::possible) {
          d.end = reading == report_reading::unreadable ? dialogue_end::unreadable_report
                                                        : dialogue_end::impossible_report;
          return d;
        }
        const std::int32_t rate = choose_rate(state);
        d.answer = std::to_string(rate);
        d.flown = true;
        due = after_second(state, rate);
        break;
      }
      case prompt::none:
        break;
    }
    const std::string line = d.answer + '\n';
    if (!echo(line)) {
      d.end = dialogue_end::echo_failed;
      return d;
    }
    wait = deadline_in(patience);
    // A simulator gone before reading its answer shows as the end of its
    // output, at the next read.
    if (write_input(sim, line, wait) == ETIMEDOUT) {
      d.end = dialogue_end::answer_not_taken;
      return d;
    }
    d.screen.clear();
    searched = 0;
    wait = deadline_in(patience);
  }
}

const char* answer_name(prompt asked) {
  switch (asked) {
    case prompt::altitude:
      return "altitude";
    case prompt::fuel:
      return "fuel";
    case prompt::rate:
      return "fuel rate";
    case prompt::none:
      break;
  }
  return "answer";
}

// Says what ended a dialogue other than by the end of the simulator's
// output, on standard error; returns the exit status.
int say_dialogue_end(const dialogue& d, double patience_s) {
  switch (d.end) {
    case dialogue_end::refused: {
      const std::string_view line = d.error.substr(0, d.error.size() - 1);  // without "\n"
      std::fprintf(
          stderr, "lm_autopilot: the simulator did not take \"%s\" as the %s; it wrote: %.*s\n",
          d.answer.c_str(), answer_name(d.asked), static_cast<int>(line.size()), line.data());
      return d.asked == prompt::rate ? no_flight_status : refused_arguments_status;
    }
    case dialogue_end::stuck:
      std::fprintf(stderr, "lm_autopilot: no prompt from the simulator in %g s\n", patience_s);
      break;
    case dialogue_end::flooded:
      std::fprintf(stderr, "lm_autopilot: no prompt from the simulator in %zu bytes of output\n",
                   longest_screen);
      break;
    case dialogue_end::out_of_turn:
      std::fprintf(stderr, "lm_autopilot: the simulator asked for the %s out of turn\n",
                   answer_name(d.asked));
      break;
    case dialogue_end::unreadable_report:
      std::fprintf(stderr, "lm_autopilot: cannot read the state report above the prompt\n");
      break;
    case dialogue_end::impossible_report:
      std::fprintf(stderr, "lm_autopilot: the simulator reported an impossible %s: %.40s\n",
                   number_names[d.wrong], d.written.c_str());
      break;
    case dialogue_end::answer_not_taken:
      std::fprintf(stderr, "lm_autopilot: the simulator did not take an answer in %g s\n",
                   patience_s);
      break;
    case dialogue_end::output_unreadable:
      std::fprintf(stderr, "lm_autopilot: cannot read the simulator's output: %s\n",
                   std::strerror(d.failure));
      break;
    case dialogue_end::echo_failed:  // said already
    case dialogue_end::output_ended:
      break;
  }
  return no_flight_status;
}

// Returns the autopilot's exit status for the dialogue and the simulator's
// end, after saying what went wrong or whether the start was out of reach.
int verdict(const dialogue& d, const simulator& sim, bool exited_alone, long patience,
            const flight_order& order) {
  const double patience_s = static_cast<double>(patience) / 1000;
  if (d.end != dialogue_end::output_ended) return say_dialogue_end(d, patience_s);
  if (!exited_alone) {
    std::fprintf(stderr, "lm_autopilot: the simulator ended its output but did not exit in %g s\n",
                 patience_s);
    return no_flight_status;
  }
  const int status = WIFEXITED(sim.status) ? WEXITSTATUS(sim.status) : -1;
  // Where the system starts a child before it knows whether the program
  // runs (as an emulator's fork does), a program that cannot run shows as
  // the status shells give it, with not a word written.
  if (status == cannot_execute_status && !d.wrote) {
    std::fprintf(stderr, "lm_autopilot: cannot run the simulator\n");
    return no_flight_status;
  }
  const std::string landed = std::string(text::status_at_landing);
  const bool soft = ends_with(d.screen, landed + std::string(text::soft_landing));
  const bool not_soft = ends_with(d.screen, landed + std::string(text::hard_landing)) ||
                        ends_with(d.screen, landed + std::string(text::crash));
  if (status != 0 || !d.flown || !(soft || not_soft)) {
    std::fprintf(stderr, "lm_autopilot: the simulator did not finish the flight\n");
    return no_flight_status;
  }
  if (soft) return soft_landing_status;
  const std::string out_of_reach = "Autopilot: a soft landing from " + order.altitude + " m with " +
                                   order.fuel + " l of fuel was out of reach.\n";
  return echo(out_of_reach) ? out_of_reach_status : no_flight_status;
}

// The command line.

constexpr const char usage_text[] =
    "usage: lm_autopilot [altitude [fuel]]\n"
    "       lm_autopilot --help | --version\n"
    "Flies lm_simulator (LM_SIMULATOR, else lm_simulator beside this program, else on\n"
    "the PATH) from the altitude and fuel given (1300 m and 500 l by default), each\n"
    "one answer the simulator takes: altitude from 1 to 9999 metres, fuel a positive\n"
    "whole number of litres. LM_AUTOPILOT_TIMEOUT_MS (default 10000) bounds each\n"
    "wait for the simulator.\n"
    "Exit status: 0 a soft landing, 1 a start that cannot be saved, 2 arguments the\n"
    "simulator refuses, 3 no flight flown or shown.\n";

// Returns whether --help or --version is among the arguments, after
// answering the first of them on standard output.
bool answered_option(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      std::fputs(usage_text, stdout);
      return true;
    }
    if (argument == "--version") {
      std::fputs("lm_autopilot " LM_VERSION "\n", stdout);
      return true;
    }
  }
  return false;
}

// Reads the arguments into `order`; returns false if there are more than
// two, or one is empty or holds white space, and so would be no answer or
// several.
bool read_arguments(int argc, char** argv, flight_order& order) {
  if (argc > 3) return false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.empty() || argument.find_first_of(" \t\n\r\v\f") != std::string_view::npos) {
      return false;
    }
  }
  if (argc > 1) order.altitude = argv[1];
  if (argc > 2) order.fuel = argv[2];
  return true;
}

// Returns the patience LM_AUTOPILOT_TIMEOUT_MS sets (unset or empty: the
// default), or 0 if it is not a whole number of ms in range.
long patience_from_environment() {
  const char* set = std::getenv("LM_AUTOPILOT_TIMEOUT_MS");
  if (set == nullptr || *set == '\0') return default_patience_ms;
  char* end = nullptr;
  errno = 0;
  const long ms = std::strtol(set, &end, 10);
  const bool whole = *set >= '0' && *set <= '9' && *end == '\0' && errno == 0;
  return whole && ms >= 1 && ms <= longest_patience_ms ? ms : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (answered_option(argc, argv)) return std::fflush(stdout) == 0 ? 0 : no_flight_status;
  flight_order order;
  if (!read_arguments(argc, argv, order)) {
    std::fputs(usage_text, stderr);
    return refused_arguments_status;
  }
  const long patience = patience_from_environment();
  if (patience == 0) {
    std::fprintf(stderr,
                 "lm_autopilot: LM_AUTOPILOT_TIMEOUT_MS must be a whole number of milliseconds "
                 "from 1 to %ld\n",
                 longest_patience_ms);
    return refused_arguments_status;
  }
  // A simulator gone early shows as a failed write to it, not as a signal;
  // its exit is waited for, even where this program was started with
  // SIGCHLD ignored.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGCHLD, SIG_DFL);
  simulator sim{};
  if (!start_simulator(argc > 0 ? argv[0] : nullptr, sim)) return no_flight_status;
  const dialogue d = hold_dialogue(sim, order, patience);
  const bool exited_alone = finish_simulator(sim, d.end != dialogue_end::output_ended, patience);
  return verdict(d, sim, exited_alone, patience, order);
}
