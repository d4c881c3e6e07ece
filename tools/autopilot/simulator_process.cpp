#include "simulator_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dialogue_texts.h"
#include "spawn_child.h"

namespace {

// Returns whether the simulator has exited, reaping it if it just did. A
// child that cannot be waited for counts as gone, with no exit status.
bool has_exited(simulator& sim) {
  if (sim.exited) return true;
  const pid_t reaped = ::waitpid(sim.pid, &sim.status, WNOHANG);
  if (reaped < 0 && errno != EINTR) sim.status = -1;
  sim.exited = reaped == sim.pid || (reaped < 0 && errno != EINTR);
  return sim.exited;
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

}  // namespace

maybe_failure start_simulator(const char* self, simulator& sim) {
  int to_child[2];
  int from_child[2];
  if (!make_pipe(to_child) || !make_pipe(from_child) ||
      ::fcntl(to_child[1], F_SETFL, O_NONBLOCK) != 0) {
    return no_flight(std::string("cannot make a pipe: ") + std::strerror(errno));
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
    ::close(sim.to_child);
    ::close(sim.from_child);
    return no_flight("cannot run " + program + ": " + std::strerror(failed));
  }
  return std::nullopt;
}

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

int exit_status_of(const simulator& sim) {
  return WIFEXITED(sim.status) ? WEXITSTATUS(sim.status) : -1;
}
