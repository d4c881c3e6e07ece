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
#include <vector>

// How the child's standard input is set up.
struct child_input {
  enum kind_t { file, closed } kind;
  std::string path;            // for kind file
  long address_space_mib = 0;  // if not 0, the child may map no more than this
};

struct child_result {
  std::string output;  // everything written to standard output
  int exit_status;     // the status passed to exit, or -1 if killed
  int signal;          // the signal that ended the child, or 0
  bool timed_out;      // killed after the time allowed ran out
};

// Runs `program` with the given arguments and input, standard output
// captured through a pipe; kills it after `seconds`.
child_result run_capturing(const char* program, const child_input& input, int seconds,
                           const std::vector<std::string>& arguments = {});

// Runs `program` with standard input from `input_path` and standard output
// opened on `output_path` (such as /dev/full); kills it after `seconds`.
child_result run_with_output_file(const char* program, const char* input_path,
                                  const char* output_path, int seconds);

// Returns an interactive child: its standard input and output are pipes
// whose other ends are to_child and from_child. Abandoned children are
// killed by kill_child.
struct interactive_child {
  pid_t pid;
  int to_child;
  int from_child;
};
interactive_child start_interactive(const char* program);

// Waits up to `seconds` for the child to exit and returns its status as in
// child_result; kills it if it does not.
child_result finish_child(pid_t pid, int seconds);

// Runs `program` with standard input from `input_path` and standard output
// a pipe whose reading end is closed before the program starts.
child_result run_with_closed_pipe(const char* program, const char* input_path, int seconds);

// Appends what arrives on `fd` to `text` until the end of file; returns
// false if `deadline` comes first.
bool read_until_end(int fd, std::string& text, std::chrono::steady_clock::time_point deadline);

// Returns the path of a new temporary file holding `contents`.
std::string temporary_file(const std::string& contents);

#endif  // LM_TESTS_CHILD_PROCESS_H_
