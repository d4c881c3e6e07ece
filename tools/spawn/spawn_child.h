// spawn_child: starts a program as a child process, the way a shell does.
//
// The child gets the default action for SIGPIPE whatever its parent chose
// for itself, so that it meets a closed pipe as it would in a shell, unless
// the caller asks it to inherit the parent's own (as when a supervisor that
// ignores SIGPIPE starts a program). The caller's own handling is never
// changed: each program decides it once, for itself.

#ifndef LM_TOOLS_SPAWN_CHILD_H_
#define LM_TOOLS_SPAWN_CHILD_H_

#include <spawn.h>
#include <unistd.h>

#include <csignal>

// POSIX leaves it to the program to declare.
extern char** environ;  // NOLINT(readability-redundant-declaration)

// Returns 0 and sets `pid`, or an error number. Runs `argv[0]`, looked up
// on the PATH when `search_path` is set, with `actions` applied first;
// with `inherit_sigpipe`, the child keeps the caller's action for SIGPIPE;
// with `own_group`, the child leads a process group of its own, as a
// shell's job does, which a signal to -pid reaches whole.
inline int spawn_child(pid_t& pid, const posix_spawn_file_actions_t* actions, char* const argv[],
                       bool search_path, bool inherit_sigpipe = false, bool own_group = false) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  if (!inherit_sigpipe) sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  short flags = POSIX_SPAWN_SETSIGDEF;
  if (own_group) {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  posix_spawnattr_setflags(&attributes, flags);
  const int failed = search_path ? posix_spawnp(&pid, argv[0], actions, &attributes, argv, environ)
                                 : posix_spawn(&pid, argv[0], actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  return failed;
}

#endif  // LM_TOOLS_SPAWN_CHILD_H_
