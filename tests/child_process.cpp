#include "child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "posix_streams.h"
#include "spawn_child.h"

namespace {

using steady = std::chrono::steady_clock;

// Returns the master side of a new pseudo-terminal at which `typed` has
// been typed, and sets `slave` to its other side.
int open_terminal(const std::string& typed, int& slave) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
    throw std::runtime_error("no pseudo-terminal");
  slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0 || write_all(master, typed.data(), typed.size()) != 0)
    throw std::runtime_error("cannot type at the pseudo-terminal");
  return master;
}

pid_t spawn(const char* program, posix_spawn_file_actions_t& actions,
            const std::vector<std::string>& arguments, const child_input& input) {
  pid_t pid = 0;
  std::vector<std::string> words;
  if (!input.environment.empty()) words.emplace_back("env");
  words.insert(words.end(), input.environment.begin(), input.environment.end());
  const long address_space_mib = input.address_space_mib;
#ifdef LM_CHILD_WRAPPER
  // A program built for another machine runs under its emulator, and any
  // program under a checker such as valgrind when the build asks for it.
  std::istringstream emulator(LM_CHILD_WRAPPER);
  for (std::string word; emulator >> word;)
    words.push_back(std::move(word));
#endif
  if (address_space_mib > 0) {
    // prlimit sets the limit and then becomes the program.
    words.insert(words.end(), {"prlimit", "--as=" + std::to_string(address_space_mib << 20), "--"});
  }
  words.emplace_back(program);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv(words.size() + 1, nullptr);
  std::transform(words.begin(), words.end(), argv.begin(),
                 [](std::string& word) { return word.data(); });
  const int failed =
      spawn_child(pid, &actions, argv.data(), true, input.ignore_sigpipe, input.own_group);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error(std::string("cannot start ") + program);
  return pid;
}

// Returns the path of a new temporary file holding `contents`.
std::string temporary_file(const std::string& contents) {
  const char* base = std::getenv("TMPDIR");
  std::string path = std::string(base != nullptr ? base : "/tmp") + "/lm_test_XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd < 0) throw std::runtime_error("no temporary file");
  const int failed = write_all(fd, contents.data(), contents.size());
  ::close(fd);
  if (failed != 0) throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace

bool read_until_end(int fd, std::string& text, std::chrono::steady_clock::time_point deadline,
                    std::chrono::milliseconds pause, typing* typed) {
  char chunk[65536];
  std::size_t at = 0;
  for (;;) {
    const bool typing_on = typed != nullptr && typed->fd >= 0;
    if (typing_on) {
      const std::string_view piece = typed->text.substr(at, 5);
      at += piece.size();
      if (piece.empty() || write_all(typed->fd, piece.data(), piece.size()) != 0)
        ::close(std::exchange(typed->fd, -1));
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady::now());
    if (left.count() <= 0) return false;
    const auto wait = typing_on ? std::min(left, pause) : left;
    const read_result got =
        read_when_ready(fd, chunk, sizeof chunk, static_cast<int>(wait.count()));
    if (got.timed_out) continue;
    if (got.size == 0) {
      if (typed != nullptr && typed->fd >= 0) ::close(std::exchange(typed->fd, -1));
      return true;
    }
    text.append(chunk, got.size);
    std::this_thread::sleep_for(pause);
  }
}

child_result finish_child(const interactive_child& child, int seconds) {
  const pid_t pid = child.pid;
  const auto deadline = steady::now() + std::chrono::seconds(seconds);
  int status = 0;
  child_result result{{}, {}, -1, 0, false, 0.0};
  rusage usage{};
  for (;;) {
    const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (steady::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, &usage);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  const int errors = ::open(child.errors_path.c_str(), O_RDONLY);
  read_until_end(errors, result.errors, steady::now() + std::chrono::seconds(10));
  ::close(errors);
  ::unlink(child.errors_path.c_str());
  for (const timeval& t : {usage.ru_utime, usage.ru_stime})
    result.cpu_seconds += static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  return result;
}

child_result run_capturing(const char* program, const child_input& input, int seconds,
                           const std::vector<std::string>& arguments) {
  const interactive_child child = start_child(program, input, arguments);
  const std::chrono::milliseconds pause(input.slow_non_blocking ? 2 : 0);
  // Typed between reads, not by a thread of its own: user-mode QEMU leaves
  // a thread started around its emulated spawn spinning for ever.
  const bool typing_on = input.kind == child_input::typed;
  typing typed{typing_on ? child.to_child : -1, input.text};
  const auto deadline = steady::now() + std::chrono::seconds(seconds);
  std::string text;
  const bool ended =
      child.from_child < 0 || read_until_end(child.from_child, text, deadline, pause, &typed);
  child_result result = finish_child(child, ended ? seconds : 0);
  if (child.from_child >= 0) ::close(child.from_child);
  if (!typing_on && child.to_child >= 0) ::close(child.to_child);
  result.output = std::move(text);
  result.timed_out = result.timed_out || !ended;
  return result;
}

interactive_child start_child(const char* program, const child_input& input,
                              const std::vector<std::string>& arguments) {
  // Every child is started here, and may leave before reading all that the
  // test writes to it: that fails its test, not the whole suite. Ignored
  // here, SIGPIPE is also what a child that asks to inherit it gets.
  signal(SIGPIPE, SIG_IGN);
  int in[2];
  int out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
    throw std::runtime_error("no pipe");
  }
  for (const int end : {in[0], out[1]})
    if (input.slow_non_blocking) ::fcntl(end, F_SETFL, O_NONBLOCK);
  if (input.kind != child_input::typed) ::close(std::exchange(in[1], -1));
  if (input.kind == child_input::terminal) {
    ::close(in[0]);
    in[1] = open_terminal(input.text, in[0]);
  }
  if (input.output != child_output::pipe) ::close(std::exchange(out[0], -1));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Every file is opened here and only handed over by the child, and the
  // closings come last: under an emulator posix_spawn may return before
  // the child has run its file actions (so a file unlinked after the spawn
  // may be gone), and a file the child opened after closing a standard
  // descriptor would land on that descriptor's number.
  const std::string input_path = temporary_file(input.text);
  const int input_file =
      input.kind == child_input::directory
          ? ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
          : ::open(input_path.c_str(),
                   (input.kind == child_input::write_only ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
  ::unlink(input_path.c_str());
  std::string errors_path = temporary_file("");
  const int errors_file = ::open(errors_path.c_str(), O_WRONLY | O_CLOEXEC);
  const int full_file = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (input_file < 0 || errors_file < 0 || full_file < 0) throw std::runtime_error("no files");
  const bool dev_full = input.output == child_output::dev_full;
  const bool from_file = input.kind == child_input::file || input.kind == child_input::directory ||
                         input.kind == child_input::write_only;
  posix_spawn_file_actions_adddup2(&actions, from_file ? input_file : in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, dev_full ? full_file : out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errors_file, 2);
  if (input.kind == child_input::closed) posix_spawn_file_actions_addclose(&actions, 0);
  if (input.output == child_output::closed) posix_spawn_file_actions_addclose(&actions, 1);
  const pid_t pid = spawn(program, actions, arguments, input);
  for (const int fd : {input_file, errors_file, full_file})
    ::close(fd);
  ::close(in[0]);
  ::close(out[1]);
  return {pid, in[1], out[0], std::move(errors_path)};
}
