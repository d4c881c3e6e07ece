#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "spawn_child.h"

namespace {

using steady = std::chrono::steady_clock;

pid_t spawn(const char* program, posix_spawn_file_actions_t& actions,
            const std::vector<std::string>& arguments = {}, long address_space_mib = 0) {
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
  const int failed = spawn_child(pid, &actions, argv.data(), true);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error(std::string("cannot start ") + program);
  return pid;
}

}  // namespace

bool read_until_end(int fd, std::string& text, std::chrono::steady_clock::time_point deadline) {
  char chunk[65536];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got <= 0) return true;
    text.append(chunk, static_cast<std::size_t>(got));
  }
}

child_result finish_child(pid_t pid, int seconds) {
  const auto deadline = steady::now() + std::chrono::seconds(seconds);
  int status = 0;
  child_result result{{}, -1, 0, false};
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (steady::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

child_result run_capturing(const char* program, const child_input& input, int seconds,
                           const std::vector<std::string>& arguments) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input.kind == child_input::file) {
    posix_spawn_file_actions_addopen(&actions, 0, input.path.c_str(), O_RDONLY, 0);
  } else {
    posix_spawn_file_actions_addclose(&actions, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const pid_t pid = spawn(program, actions, arguments, input.address_space_mib);
  ::close(out[1]);
  const auto deadline = steady::now() + std::chrono::seconds(seconds);
  std::string text;
  const bool ended = read_until_end(out[0], text, deadline);
  ::close(out[0]);
  child_result result = finish_child(pid, ended ? seconds : 0);
  result.output = std::move(text);
  result.timed_out = result.timed_out || !ended;
  return result;
}

child_result run_with_output_file(const char* program, const char* input_path,
                                  const char* output_path, int seconds) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_path, O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output_path, O_WRONLY, 0);
  return finish_child(spawn(program, actions), seconds);
}

child_result run_with_closed_pipe(const char* program, const char* input_path, int seconds) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_path, O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  ::close(out[0]);
  const pid_t pid = spawn(program, actions);
  ::close(out[1]);
  return finish_child(pid, seconds);
}

interactive_child start_interactive(const char* program) {
  int in[2];
  int out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
    throw std::runtime_error("no pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const pid_t pid = spawn(program, actions);
  ::close(in[0]);
  ::close(out[1]);
  return {pid, in[1], out[0]};
}

std::string temporary_file(const std::string& contents) {
  const char* base = std::getenv("TMPDIR");
  std::string path = std::string(base != nullptr ? base : "/tmp") + "/lm_test_XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd < 0) throw std::runtime_error("no temporary file");
  std::size_t done = 0;
  while (done < contents.size()) {
    const ssize_t wrote = ::write(fd, contents.data() + done, contents.size() - done);
    if (wrote <= 0) throw std::runtime_error("cannot write " + path);
    done += static_cast<std::size_t>(wrote);
  }
  ::close(fd);
  return path;
}
