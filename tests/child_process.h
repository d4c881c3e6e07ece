// child_process: runs lm_simulator (or the autopilot) as a separate process
// with chosen standard streams, and collects what it writes.
//
// Every wait is bounded, so a program that hangs fails its test instead of
// stalling the suite. Standard error always goes to a temporary file, read
// back into the result.

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

// Where run_with_output puts the child's standard output.
enum class output_kind {
  file,            // opened on a path, such as /dev/full
  closed,          // no descriptor 1 at all
  abandoned_pipe,  // a pipe whose reading end is closed before the start
};

// Runs `program` with standard input from `input_path` and standard output
// as `kind` says (`output_path` for a file); SIGPIPE is ignored in the child
// if `ignore_sigpipe`, and at its default otherwise. Kills it after
// `seconds`; `output` stays empty.
child_result run_with_output(const char* program, const char* input_path, output_kind kind,
                             const char* output_path, bool ignore_sigpipe, int seconds);

// An interactive child: its standard input and output are pipes whose other
// ends are to_child and from_child, or its standard input is a file and
// to_child is -1. Abandoned children are killed by finish_child.
struct interactive_child {
  pid_t pid;
  int to_child;
  int from_child;
  std::string errors_path;  // where its standard error goes
};

// Starts `program` interactively, reading `input_path` if it is not empty.
// The pipes' ends on the child's side are made non-blocking where asked, as
// another program sharing them could leave them.
interactive_child start_interactive(const char* program, const std::string& input_path = "",
                                    bool non_blocking_input = false,
                                    bool non_blocking_output = false);

// Waits up to `seconds` for the child to exit and returns its status and
// standard error as in child_result; kills it if it does not exit.
child_result finish_child(const interactive_child& child, int seconds);

// Appends what arrives on `fd` to `text` until the end of file, pausing
// after each read of at most 16 KiB for `pause`; returns false if
// `deadline` comes first.
bool read_until_end(int fd, std::string& text, std::chrono::steady_clock::time_point deadline,
                    std::chrono::microseconds pause = {});

// Returns the path of a new temporary file holding `contents`.
std::string temporary_file(const std::string& contents);

#endif  // LM_TESTS_CHILD_PROCESS_H_
