# Why tests were skipped, said at the end of every ctest run: ctest shows a
# skipped test's own output only when verbose. A script that skips itself
# appends a line with its reason to the file that LM_SKIP_NOTE names, and a
# GoogleTest case says its reason in its output, which ctest keeps in its
# log. From CTestCustom.cmake, this script empties the file before the tests
# (ACTION=clear) and prints both kinds of reason after them (ACTION=print).
#   cmake -DNOTES=file -DLOG=ctest's-log -DACTION=clear|print -P skip_notes.cmake
if(ACTION STREQUAL "clear")
  file(REMOVE "${NOTES}")
  return()
endif()
set(notes "")
if(EXISTS "${NOTES}")
  file(READ "${NOTES}" notes)
endif()
# While the run goes on, its log is LOG.tmp; LOG itself is the last run's.
if(EXISTS "${LOG}.tmp")
  file(READ "${LOG}.tmp" log)
  # A semicolon would split CMake's lists: it stands aside meanwhile.
  string(ASCII 31 semicolon)
  string(REPLACE ";" "${semicolon}" log "${log}")
  # GTEST_SKIP() writes "FILE:LINE: Skipped", its message, then the case.
  string(REGEX MATCHALL ": Skipped\n[^\n]*\n\\[  SKIPPED \\] [^ \n]+" skips "${log}")
  foreach(skip IN LISTS skips)
    string(REGEX REPLACE ": Skipped\n([^\n]*)\n\\[  SKIPPED \\] ([^ \n]+)" "\\2 skipped: \\1\n"
           note "${skip}")
    string(REPLACE "${semicolon}" ";" note "${note}")
    string(APPEND notes "${note}")
  endforeach()
endif()
if(notes)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E echo_append "${notes}")
endif()
