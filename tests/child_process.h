// child_process: runs lm_simulator as a separate process with chosen
// standard streams, and collects what it writes.
//
// Every wait is bounded, so a program that hangs fails its test instead of
// stalling the suite.

#ifndef LM_TESTS_CHILD_PROCESS_H_
#define LM_TESTS_CHILD_PROCESS_H_

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

// The child's standard output: read by the test, /dev/full, none, or a pipe
// whose reader left before the start.
enum class child_output { pipe, dev_full, closed, abandoned_pipe };

// How the child's standard streams are set up.
struct child_input {
  // A terminal is a pseudo-terminal with `text` typed at it before the
  // start, held open until the child ends; a directory is the current one,
  // opened for reading; write_only is a file opened for writing alone.
  enum kind_t { file, closed, typed, terminal, directory, write_only } kind;
  std::string text;            // the file's contents, or what is typed
  long address_space_mib = 0;  // if not 0, the child may map no more than this
  // Pipes non-blocking for the child, as another program sharing them could
  // leave them, and slow at the test's ends: 2 ms after each read or 5 bytes.
  bool slow_non_blocking = false;
  child_output output = child_output::pipe;
  bool ignore_sigpipe = false;  // in the child, as the tests ignore it; else at its default
  std::vector<std::string> environment = {};  // "NAME=value" set for the child alone
  bool own_group = false;                     // the child leads a process group, as a shell's job
};

struct child_result {
  std::string output;  // everything written to standard output
  std::string errors;  // everything written to standard error
  int exit_status;     // the status passed to exit, or -1 if killed
  int signal;          // the signal that ended the child, or 0
  bool timed_out;      // killed after the time allowed ran out
  double cpu_seconds;  // processor time it used, user and system
};

// Runs `program` with the given arguments and input, standard output
// captured through a pipe; kills it after `seconds`.
child_result run_capturing(const char* program, const child_input& input, int seconds,
                           const std::vector<std::string>& arguments = {});

// Returns an interactive child: its standard input and output are pipes
// whose other ends are to_child and from_child, or -1 where `input` chose
// otherwise. Abandoned children are killed by finish_child.
struct interactive_child {
  pid_t pid;
  int to_child;
  int from_child;
  std::string errors_path;  // where its standard error goes
};
interactive_child start_child(const char* program, const child_input& input,
                              const std::vector<std::string>& arguments = {});

// Waits up to `seconds` for the child to exit and returns its status as in
// child_result; kills it if it does not.
child_result finish_child(const interactive_child& child, int seconds);

// What read_until_end types meanwhile: `text` into `fd`, five bytes at a
// time, then `fd` closed (and set to -1).
struct typing {
  int fd;
  std::string_view text;
};

// Appends what arrives on `fd` to `text` until the end of file, pausing
// `pause` after each read and typing `typed`, if given, a piece per pause;
// returns false if `deadline` comes first.
bool read_until_end(int fd, std::string& text, std::chrono::steady_clock::time_point deadline,
                    std::chrono::milliseconds pause = {}, typing* typed = nullptr);

#endif  // LM_TESTS_CHILD_PROCESS_H_
