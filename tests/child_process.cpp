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

#include "posix_streams.h"
#include "spawn_child.h"

namespace {

using steady = std::chrono::steady_clock;

// Both ends close at exec, so that no child holds another's pipe open.
void make_pipe(int ends[2]) {
  if (::pipe(ends) != 0) throw std::runtime_error("no pipe");
  for (int i = 0; i < 2; ++i)
    ::fcntl(ends[i], F_SETFD, FD_CLOEXEC);
}

void make_non_blocking(int fd) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Sends the child's standard error to a new temporary file; returns its path.
std::string capture_errors(posix_spawn_file_actions_t& actions) {
  std::string path = temporary_file("");
  posix_spawn_file_actions_addopen(&actions, 2, path.c_str(), O_WRONLY, 0);
  return path;
}

// Returns what the file at `path` holds, and removes it.
std::string take_file(const std::string& path) {
  std::string text;
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd >= 0) {
    read_until_end(fd, text, steady::now() + std::chrono::seconds(10));
    ::close(fd);
  }
  ::unlink(path.c_str());
  return text;
}

pid_t spawn(const char* program, posix_spawn_file_actions_t& actions,
            const std::vector<std::string>& arguments = {}, long address_space_mib = 0,
            bool ignore_sigpipe = false) {
  pid_t pid = 0;
  std::vector<std::string> words;
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
  const int failed = spawn_child(pid, &actions, argv.data(), true, ignore_sigpipe);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error(std::string("cannot start ") + program);
  return pid;
}

}  // namespace

bool read_until_end(int fd, std::string& text, std::chrono::steady_clock::time_point deadline,
                    std::chrono::microseconds pause) {
  char chunk[16384];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady::now());
    if (left.count() <= 0) return false;
    const read_result got =
        read_when_ready(fd, chunk, sizeof chunk, static_cast<int>(left.count()));
    if (got.timed_out) return false;
    if (got.size == 0) return true;
    text.append(chunk, got.size);
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
  }
}

child_result finish_child(const interactive_child& child, int seconds) {
  const auto deadline = steady::now() + std::chrono::seconds(seconds);
  int status = 0;
  child_result result{{}, {}, -1, 0, false, 0.0};
  rusage usage{};
  for (;;) {
    const pid_t done = ::wait4(child.pid, &status, WNOHANG, &usage);
    if (done == child.pid) break;
    if (steady::now() > deadline) {
      ::kill(child.pid, SIGKILL);
      ::wait4(child.pid, &status, 0, &usage);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.errors = take_file(child.errors_path);
  for (const timeval& t : {usage.ru_utime, usage.ru_stime})
    result.cpu_seconds += static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  return result;
}

child_result run_capturing(const char* program, const child_input& input, int seconds,
                           const std::vector<std::string>& arguments) {
  int out[2];
  make_pipe(out);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input.kind == child_input::file) {
    posix_spawn_file_actions_addopen(&actions, 0, input.path.c_str(), O_RDONLY, 0);
  } else {
    posix_spawn_file_actions_addclose(&actions, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::string errors_path = capture_errors(actions);
  const pid_t pid = spawn(program, actions, arguments, input.address_space_mib);
  ::close(out[1]);
  const auto deadline = steady::now() + std::chrono::seconds(seconds);
  std::string text;
  const bool ended = read_until_end(out[0], text, deadline);
  ::close(out[0]);
  child_result result = finish_child({pid, -1, -1, std::move(errors_path)}, ended ? seconds : 0);
  result.output = std::move(text);
  result.timed_out = result.timed_out || !ended;
  return result;
}

child_result run_with_output(const char* program, const char* input_path, output_kind kind,
                             const char* output_path, bool ignore_sigpipe, int seconds) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_path, O_RDONLY, 0);
  int out[2] = {-1, -1};
  switch (kind) {
    case output_kind::file:
      posix_spawn_file_actions_addopen(&actions, 1, output_path, O_WRONLY, 0);
      break;
    case output_kind::closed:
      posix_spawn_file_actions_addclose(&actions, 1);
      break;
    case output_kind::abandoned_pipe:
      make_pipe(out);
      ::close(out[0]);
      posix_spawn_file_actions_adddup2(&actions, out[1], 1);
      break;
  }
  std::string errors_path = capture_errors(actions);
  const pid_t pid = spawn(program, actions, {}, 0, ignore_sigpipe);
  if (out[1] >= 0) ::close(out[1]);
  return finish_child({pid, -1, -1, std::move(errors_path)}, seconds);
}

interactive_child start_interactive(const char* program, const std::string& input_path,
                                    bool non_blocking_input, bool non_blocking_output) {
  int in[2] = {-1, -1};
  int out[2];
  make_pipe(out);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input_path.empty()) {
    make_pipe(in);
    if (non_blocking_input) make_non_blocking(in[0]);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, input_path.c_str(), O_RDONLY, 0);
  }
  if (non_blocking_output) make_non_blocking(out[1]);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::string errors_path = capture_errors(actions);
  const pid_t pid = spawn(program, actions);
  if (in[0] >= 0) ::close(in[0]);
  ::close(out[1]);
  return {pid, in[1], out[0], std::move(errors_path)};
}

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
