// lm_autopilot: flies lm_simulator by itself, the way a person at the
// terminal would.
//
//   lm_autopilot [altitude [fuel]]      (defaults: 1300 m and 500 l)
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
// The simulator is LM_SIMULATOR if that is set, or else lm_simulator in the
// directory this program was started from, or else lm_simulator on the PATH.
// Exit status: 0 after a soft landing; 1 after a hard one or a crash (with a
// line saying that the start could not be saved); 2 for arguments the
// simulator refuses, or more than two; 3 if the flight could not be flown or
// shown: the simulator could not be run, stopped answering, refused a fuel
// rate or wrote a report the autopilot cannot read, or standard output
// failed.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// How long to wait for a prompt before deciding the simulator is stuck.
constexpr int prompt_timeout_ms = 10000;

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
// screen, or an empty view.
std::string_view refusal(std::string_view screen) {
  for (std::string_view error : {text::altitude_error, text::fuel_error, text::rate_error}) {
    if (screen.find(error) != std::string_view::npos) return error;
  }
  return {};
}

// Reads the number after the last `label` on the screen into `value`;
// returns false if the label is not there or no number follows it.
bool number_after(const std::string& screen, std::string_view label, double& value) {
  const std::size_t at = screen.rfind(label);
  if (at == std::string::npos) return false;
  const char* start = screen.c_str() + at + label.size();
  char* end = nullptr;
  value = std::strtod(start, &end);
  return end != start;
}

// Reads the last state report on the screen; returns false if it is not
// all there.
bool read_state(const std::string& screen, flight_state& s) {
  double time = 0;
  double fuel = 0;
  double rate = 0;
  const bool complete = number_after(screen, text::time_label, time) &&
                        number_after(screen, text::fuel_label, fuel) &&
                        number_after(screen, text::rate_label, rate) &&
                        number_after(screen, text::altitude_label, s.altitude) &&
                        number_after(screen, text::velocity_label, s.velocity);
  s.time = static_cast<std::int32_t>(time);
  s.fuel = static_cast<std::int32_t>(fuel);
  s.rate = static_cast<std::int32_t>(rate);
  return complete;
}

// The simulator as a child process.

struct simulator {
  pid_t pid;
  int to_child;    // its standard input
  int from_child;  // its standard output
};

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

// Returns the simulator to run: LM_SIMULATOR, or lm_simulator beside this
// program when it was started by a path, or else on the PATH.
std::string simulator_program(const char* self) {
  if (const char* set = std::getenv("LM_SIMULATOR")) return set;
  const std::string_view started = self;
  const std::size_t slash = started.rfind('/');
  if (slash == std::string_view::npos) return "lm_simulator";
  return std::string(started.substr(0, slash + 1)) + "lm_simulator";
}

// Starts the simulator over two pipes; returns false after saying why not.
bool start_simulator(const char* self, simulator& sim) {
  int to_child[2];
  int from_child[2];
  if (!make_pipe(to_child) || !make_pipe(from_child)) {
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

// The dialogue.

struct flight_order {
  std::string altitude = "1300";
  std::string fuel = "500";
};

// How a dialogue ended.
enum class dialogue_end {
  output_ended,       // the simulator closed its output, the flight over
  refused,            // the simulator refused an answer
  stuck,              // no prompt came in time
  unreadable_report,  // a rate prompt without a whole state report above it
  echo_failed,        // standard output failed
};

struct dialogue {
  dialogue_end end;
  std::string transcript;  // everything the simulator wrote
  std::string answer;      // the answer last sent, without its newline
  prompt asked;            // the prompt it answered
  std::string_view error;  // for dialogue_end::refused, the simulator's error line
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

// Answers each prompt until the simulator's output ends or something goes
// wrong; echoes the dialogue to standard output as it goes.
dialogue hold_dialogue(const simulator& sim, const flight_order& order) {
  dialogue d{dialogue_end::output_ended, "", "", prompt::none, {}};
  std::size_t screen_at = 0;  // where the text since the last answer starts
  char chunk[65536];
  for (;;) {
    const read_result got = read_when_ready(sim.from_child, chunk, sizeof chunk, prompt_timeout_ms);
    if (got.timed_out) {
      d.end = dialogue_end::stuck;
      return d;
    }
    if (got.size == 0) return d;
    const std::string_view arrived(chunk, got.size);
    if (!echo(arrived)) {
      d.end = dialogue_end::echo_failed;
      return d;
    }
    d.transcript += arrived;
    const std::string screen = d.transcript.substr(screen_at);
    d.error = refusal(screen);
    if (!d.error.empty()) {
      d.end = dialogue_end::refused;
      return d;
    }
    d.asked = waiting_prompt(screen);
    switch (d.asked) {
      case prompt::altitude:
        d.answer = order.altitude;
        break;
      case prompt::fuel:
        d.answer = order.fuel;
        break;
      case prompt::rate: {
        flight_state state{};
        if (!read_state(screen, state)) {
          d.end = dialogue_end::unreadable_report;
          return d;
        }
        d.answer = std::to_string(choose_rate(state));
        break;
      }
      case prompt::none:
        continue;
    }
    const std::string line = d.answer + '\n';
    if (!echo(line)) {
      d.end = dialogue_end::echo_failed;
      return d;
    }
    // A simulator gone before reading its answer shows as the end of its
    // output, at the next read.
    write_all(sim.to_child, line.data(), line.size());
    screen_at = d.transcript.size();
  }
}

// Ends the child: its input closed, its output drained, its exit awaited
// (or forced when it is stuck). Returns its exit status, or -1 if it did
// not exit by itself.
int finish_simulator(const simulator& sim, bool stuck) {
  ::close(sim.to_child);
  if (stuck) ::kill(sim.pid, SIGKILL);
  char chunk[4096];
  while (read_when_ready(sim.from_child, chunk, sizeof chunk, prompt_timeout_ms).size > 0) {
  }
  ::close(sim.from_child);
  int status = 0;
  while (::waitpid(sim.pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

// Returns the autopilot's exit status for the dialogue and the simulator's
// own, after saying what went wrong or whether the start was out of reach.
int verdict(const dialogue& d, int simulator_status, const flight_order& order) {
  switch (d.end) {
    case dialogue_end::refused: {
      const std::string_view line = d.error.substr(0, d.error.size() - 1);  // without "\n"
      std::fprintf(
          stderr, "lm_autopilot: the simulator did not take \"%s\" as the %s; it wrote: %.*s\n",
          d.answer.c_str(), answer_name(d.asked), static_cast<int>(line.size()), line.data());
      return d.asked == prompt::rate ? no_flight_status : refused_arguments_status;
    }
    case dialogue_end::stuck:
      std::fprintf(stderr, "lm_autopilot: no prompt from the simulator in %d s\n",
                   prompt_timeout_ms / 1000);
      return no_flight_status;
    case dialogue_end::unreadable_report:
      std::fprintf(stderr, "lm_autopilot: cannot read the state report above the prompt\n");
      return no_flight_status;
    case dialogue_end::echo_failed:
      return no_flight_status;
    case dialogue_end::output_ended:
      break;
  }
  // Where the system starts a child before it knows whether the program
  // runs (as an emulator's fork does), a program that cannot run shows as
  // the status shells give it, with not a word written.
  if (simulator_status == cannot_execute_status && d.transcript.empty()) {
    std::fprintf(stderr, "lm_autopilot: cannot run the simulator\n");
    return no_flight_status;
  }
  if (simulator_status != 0 || d.transcript.find(text::status_at_landing) == std::string::npos) {
    std::fprintf(stderr, "lm_autopilot: the simulator did not finish the flight\n");
    return no_flight_status;
  }
  const std::string soft = std::string(text::status_at_landing) + std::string(text::soft_landing);
  if (ends_with(d.transcript, soft)) return soft_landing_status;
  const std::string out_of_reach = "Autopilot: a soft landing from " + order.altitude + " m with " +
                                   order.fuel + " l of fuel was out of reach.\n";
  return echo(out_of_reach) ? out_of_reach_status : no_flight_status;
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

int usage() {
  std::fprintf(stderr,
               "usage: lm_autopilot [altitude [fuel]]\n"
               "  each one answer the simulator takes: altitude from 1 to 9999 metres,\n"
               "  fuel a positive whole number of litres\n");
  return refused_arguments_status;
}

}  // namespace

int main(int argc, char** argv) {
  flight_order order;
  if (!read_arguments(argc, argv, order)) return usage();
  // A simulator gone early shows as a failed write to it, not as a signal.
  signal(SIGPIPE, SIG_IGN);
  simulator sim{};
  if (!start_simulator(argv[0], sim)) return no_flight_status;
  const dialogue d = hold_dialogue(sim, order);
  const int simulator_status = finish_simulator(sim, d.end == dialogue_end::stuck);
  return verdict(d, simulator_status, order);
}
