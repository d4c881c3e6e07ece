// lm_simulator: a lunar module's final descent, flown at the terminal or by
// a script over standard input and output. Of the arguments only --brief,
// --help and --version are read: any other is ignored, said once on
// standard error. Of the environment only LM_SIMULATOR_BRIEF is read: "1"
// asks for brief mode as --brief does. There is no option to turn brief
// mode off, so the option wins in the one way that means anything: with
// --brief the variable is not looked at.

#include <cstdlib>
#include <string_view>

#include "console_io.h"
#include "dialogue_texts.h"
#include "exit_status.h"
#include "flight_sequence.h"
#include "number_in_text.h"
#include "platform_io.h"

namespace {

// --help lists the exit statuses that exit_status.h defines: the two must
// not drift apart.
static_assert(number_after(text::usage, "Exit status: ") == flown_status);
static_assert(number_after(text::usage, "flight reached the surface, ") == input_ended_status);
static_assert(number_after(text::usage, "the input ended first,\n") == output_lost_status);
static_assert(number_after(text::usage, "could not all be written, ") == input_failed_status);

// Returns whether --brief is among the arguments, or else the variable is
// exactly "1".
bool brief_asked(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == text::brief_option) return true;
  }
  const char* variable = std::getenv(text::brief_variable);
  return variable != nullptr && std::string_view(variable) == "1";
}

// Puts the text of --help or --version, the first of them among the
// arguments, in `out` and returns true; returns false when neither is
// there, after saying on standard error that the arguments other than
// --brief are ignored.
bool answer_option(int argc, char** argv, output_buffer& out) {
  bool ignored = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      write_text(out, text::usage);
      return true;
    }
    if (argument == "--version") {
      write_text(out, text::version_name);
      write_text(out, LM_VERSION "\n");
      return true;
    }
    ignored = ignored || argument != text::brief_option;
  }
  if (ignored) {
    platform_write_all(platform_error_fd, text::arguments_ignored.data(),
                       text::arguments_ignored.size());
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // The buffers are too large for a comfortable stack frame in every
  // environment, and must not be allocated during a flight.
  static console io;
  platform_prepare_streams();
  console_open(io, platform_input_fd, platform_output_fd);
  int status = 0;
  if (answer_option(argc, argv, io.out)) {
    status = finish_output(io.out);
  } else {
    // Only at a terminal is what waits in the input what the player typed
    // ahead; from a file or a pipe every second is said, the same each time.
    const int flight_status =
        brief_asked(argc, argv) ? fly_brief(io, platform_is_terminal(platform_input_fd)) : fly(io);
    // Each failure is said; the lost output's status wins.
    const int output_status = finish_output(io.out);
    const int input_status = finish_input(io.in);
    status = output_status != 0 ? output_status : input_status != 0 ? input_status : flight_status;
  }
  // exit() rather than a return: in a web page the flight's loop is resumed
  // by the page after each awaited read, and only exit() tells the page that
  // the program has ended. Everywhere else the two are the same.
  std::exit(status);
}
