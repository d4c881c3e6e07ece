# Flies one transcript: the program reads NAME.in as its standard input, and
# its standard output must equal NAME.out byte for byte and its exit status
# the number in NAME.status (0 when there is no such file).
#
#   cmake -DPROGRAM=path -DTRANSCRIPT=dir/NAME -DOUTPUT=file
#         [-DWRAPPER=command;words] -P run_transcript.cmake
#
# WRAPPER runs in front of the program: an emulator for a program built for
# another machine (qemu, wine, node), or a checker such as valgrind.
#
# With -DBRIEF=ON the program runs with --brief, and its output must equal
# NAME.brief.out where there is one. In any case it must read the answers
# as the full dialogue does (as many prompts and refusals of each kind as
# NAME.out has) and end the same way: the touchdown at the same time, with
# the same velocity, fuel and verdict line, or the input ended.

set(expected_status 0)
if(EXISTS "${TRANSCRIPT}.status")
  file(STRINGS "${TRANSCRIPT}.status" expected_status LIMIT_COUNT 1)
endif()

set(expected "${TRANSCRIPT}.out")
set(arguments)
if(BRIEF)
  set(expected "${TRANSCRIPT}.brief.out")
  set(arguments --brief)
endif()

execute_process(
  COMMAND ${WRAPPER} "${PROGRAM}" ${arguments}
  INPUT_FILE "${TRANSCRIPT}.in"
  OUTPUT_FILE "${OUTPUT}"
  RESULT_VARIABLE status
  TIMEOUT 120)

if(EXISTS "${expected}")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E compare_files "${expected}" "${OUTPUT}"
    RESULT_VARIABLE differ)
  if(differ)
    file(READ "${OUTPUT}" written)
    message(FATAL_ERROR "the output differs from ${expected}; the program wrote:\n${written}")
  endif()
endif()

if(BRIEF)
  file(READ "${TRANSCRIPT}.out" full)
  file(READ "${OUTPUT}" brief)
  foreach(pair "the initial altitude of;Altitude[?] " "the initial amount of;Fuel[?] "
          "Enter fuel rate;Rate[?] " "ERROR: Altitude;Altitude must" "ERROR: Amount;Fuel must"
          "ERROR: Fuel rate;Rate must")
    list(GET pair 0 full_text)
    list(GET pair 1 brief_text)
    string(REGEX MATCHALL "${full_text}" in_full "${full}")
    string(REGEX MATCHALL "${brief_text}" in_brief "${brief}")
    list(LENGTH in_full full_count)
    list(LENGTH in_brief brief_count)
    if(NOT full_count EQUAL brief_count)
      message(FATAL_ERROR "\"${brief_text}\" ${brief_count} times, \"${full_text}\" ${full_count}")
    endif()
  endforeach()
  set(ending "\nInput ended, flight abandoned.\n")
  string(CONCAT touchdown "Elapsed Time: +([0-9]+) s\n +Fuel: +([0-9]+) l\n[^\n]*\n[^\n]*\n"
                         " +Velocity: +([^ ]+) m/s\n(\nStatus at landing - [^\n]*\n)$")
  if(full MATCHES "${touchdown}")
    set(ending " at ${CMAKE_MATCH_1} s ${CMAKE_MATCH_3} m/s ${CMAKE_MATCH_2} l.${CMAKE_MATCH_4}")
  endif()
  string(LENGTH "${brief}" brief_length)
  string(LENGTH "${ending}" ending_length)
  math(EXPR at "${brief_length} - ${ending_length}")
  if(at LESS 0)
    set(at 0)
  endif()
  string(SUBSTRING "${brief}" ${at} -1 brief_ending)
  if(NOT brief_ending STREQUAL ending)
    message(FATAL_ERROR "brief mode ends \"${brief_ending}\", the full dialogue \"${ending}\"")
  endif()
endif()
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}")
endif()
