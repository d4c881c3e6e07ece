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
// The simulator is LM_SIMULATOR if that is set, or else lm_simulator beside
// this program. Exit status: 0 after a soft landing, 1 after a hard one or a
// crash (with a line saying that the start could not be saved), 2 for bad
// arguments, 3 if the simulator could not be run or stopped answering.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "descent_model.h"
#include "spawn_child.h"

namespace {

// The controller aims to reach the surface no faster than this, m/s ...
constexpr double hold_speed = 0.5;

// ... and judges a touchdown no faster than this safe, which leaves a margin
// below the 1 m/s of a soft landing for the reports' rounding.
constexpr double safe_speed = 0.9;

// How long to wait for a prompt before deciding the simulator is stuck.
constexpr int prompt_timeout_ms = 10000;

const char* const prompt_endings[] = {
    "(in meters): ",
    "(in liters): ",
    "9=max thrust): ",
};

enum class prompt { altitude, fuel, rate, none };

struct lm_state {
  double altitude;
  double velocity;  // positive upward
  std::int32_t fuel;
};

int highest_rate(const lm_state& s) {
  return s.fuel < 9 ? s.fuel : 9;
}

double acceleration(int rate) {
  return acceleration_for_rate(lunar_gravity, rate);
}

// Returns the state one second on at the given rate, computed by the
// simulator's own descent model (from the reports' rounded figures).
lm_state after_second(const lm_state& s, int rate) {
  const double a = acceleration(rate);
  return {altitude_after_second(s.altitude, s.velocity, a), velocity_after_second(s.velocity, a),
          fuel_after_second(s.fuel, rate)};
}

// Returns the lowest rate that leaves the module sinking no faster than
// hold_speed after a second, or the highest the fuel allows.
int braking_rate(const lm_state& s) {
  const int most = highest_rate(s);
  for (int rate = 0; rate < most; ++rate) {
    if (s.velocity + acceleration(rate) >= -hold_speed) return rate;
  }
  return most;
}

// Returns whether braking from this state on still reaches the surface
// safely: slowed to hold_speed above the ground with fuel left to hover, or
// touching down no faster than safe_speed.
bool can_still_land(lm_state s) {
  while (s.altitude > 0) {
    if (s.velocity >= -hold_speed && s.fuel > 0) return true;
    s = after_second(s, braking_rate(s));
  }
  return s.velocity >= -safe_speed;
}

// Returns the fuel rate for the coming second: the lowest from which the
// module can still brake in time, so it falls freely as long as it may and
// burns its fuel late, where it does most good. When no rate is safe, it
// brakes as hard as it can.
int choose_rate(const lm_state& s) {
  const int most = highest_rate(s);
  for (int rate = 0; rate <= most; ++rate) {
    if (can_still_land(after_second(s, rate))) return rate;
  }
  return braking_rate(s);
}

// Returns the number after the last `label` in text, or `fallback`.
double number_after(const std::string& text, const char* label, double fallback) {
  const std::size_t at = text.rfind(label);
  if (at == std::string::npos) return fallback;
  return std::strtod(text.c_str() + at + std::strlen(label), nullptr);
}

prompt waiting_prompt(const std::string& text) {
  for (int i = 0; i < 3; ++i) {
    const std::size_t n = std::strlen(prompt_endings[i]);
    if (text.size() >= n && text.compare(text.size() - n, n, prompt_endings[i]) == 0) {
      return static_cast<prompt>(i);
    }
  }
  return prompt::none;
}

void write_all(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

std::string simulator_path() {
  if (const char* set = std::getenv("LM_SIMULATOR")) return set;
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "lm_simulator";
  std::string path(self, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + "lm_simulator";
}

bool parse_arguments(int argc, char** argv, std::string& altitude, std::string& fuel) {
  if (argc > 3) return false;
  if (argc > 1) {
    char* end = nullptr;
    const double h = std::strtod(argv[1], &end);
    if (*argv[1] == '\0' || *end != '\0' || !(h >= 1 && h <= 9999)) return false;
    altitude = argv[1];
  }
  if (argc > 2) {
    char* end = nullptr;
    errno = 0;
    const long f = std::strtol(argv[2], &end, 10);
    if (*argv[2] == '\0' || *end != '\0' || errno != 0 || f <= 0 || f > INT_MAX) return false;
    fuel = argv[2];
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string altitude = "1300";
  std::string fuel = "500";
  if (!parse_arguments(argc, argv, altitude, fuel)) {
    std::fprintf(stderr,
                 "usage: lm_autopilot [altitude [fuel]]\n"
                 "  altitude from 1 to 9999 metres, fuel a positive number of litres\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  // With a standard stream closed, a pipe could take its number, and the
  // child's dup2 onto it would then leave it to close at exec.
  int spare = ::open("/dev/null", O_RDWR);
  while (spare >= 0 && spare <= 2)
    spare = ::open("/dev/null", O_RDWR);
  if (spare > 2) ::close(spare);

  int to_child[2];
  int from_child[2];
  if (::pipe2(to_child, O_CLOEXEC) != 0 || ::pipe2(from_child, O_CLOEXEC) != 0) {
    std::perror("lm_autopilot: pipe");
    return 3;
  }
  std::string program = simulator_path();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, to_child[0], 0);
  posix_spawn_file_actions_adddup2(&actions, from_child[1], 1);
  char* const child_argv[] = {program.data(), nullptr};
  pid_t child = 0;
  const int failed = spawn_child(child, &actions, child_argv, false);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    std::fprintf(stderr, "lm_autopilot: cannot run %s: %s\n", program.c_str(),
                 std::strerror(failed));
    return 3;
  }
  ::close(to_child[0]);
  ::close(from_child[1]);

  std::string screen;      // what the dialogue has shown since the last answer
  std::string everything;  // the whole dialogue, for the verdict
  char chunk[65536];
  bool stuck = false;
  for (;;) {
    pollfd p{from_child[0], POLLIN, 0};
    const int ready = ::poll(&p, 1, prompt_timeout_ms);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      stuck = true;
      break;
    }
    const ssize_t got = ::read(from_child[0], chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    write_all(1, chunk, static_cast<std::size_t>(got));
    screen.append(chunk, static_cast<std::size_t>(got));

    std::string answer;
    switch (waiting_prompt(screen)) {
      case prompt::altitude:
        answer = altitude;
        break;
      case prompt::fuel:
        answer = fuel;
        break;
      case prompt::rate: {
        const lm_state state{
            number_after(screen, "    Altitude: ", 0.0),
            number_after(screen, "    Velocity: ", 0.0),
            static_cast<std::int32_t>(number_after(screen, "        Fuel: ", 0.0))};
        answer = std::to_string(choose_rate(state));
        break;
      }
      case prompt::none:
        continue;
    }
    answer += '\n';
    write_all(1, answer.data(), answer.size());
    write_all(to_child[1], answer.data(), answer.size());
    everything += screen;
    screen.clear();
  }
  everything += screen;
  ::close(to_child[1]);
  ::close(from_child[0]);
  if (stuck) {
    ::kill(child, SIGKILL);
    std::fprintf(stderr, "lm_autopilot: no prompt from the simulator in %d s\n",
                 prompt_timeout_ms / 1000);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (stuck || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    if (!stuck) std::fprintf(stderr, "lm_autopilot: the simulator did not finish the flight\n");
    return 3;
  }
  if (everything.find("The eagle has landed!") != std::string::npos) return 0;
  std::printf("Autopilot: a soft landing from %s m with %s l of fuel was out of reach.\n",
              altitude.c_str(), fuel.c_str());
  return 1;
}
