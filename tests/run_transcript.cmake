# Flies one transcript: the program reads NAME.in as its standard input, and
# its standard output must equal NAME.out byte for byte and its exit status
# the number in NAME.status (0 when there is no such file).
#
#   cmake -DPROGRAM=path -DTRANSCRIPT=dir/NAME -DOUTPUT=file
#         [-DWRAPPER=command;words] -P run_transcript.cmake
#
# WRAPPER runs in front of the program: an emulator for a program built for
# another machine (qemu, wine, node), or a checker such as valgrind.

set(expected_status 0)
if(EXISTS "${TRANSCRIPT}.status")
  file(STRINGS "${TRANSCRIPT}.status" expected_status LIMIT_COUNT 1)
endif()

execute_process(
  COMMAND ${WRAPPER} "${PROGRAM}"
  INPUT_FILE "${TRANSCRIPT}.in"
  OUTPUT_FILE "${OUTPUT}"
  RESULT_VARIABLE status
  TIMEOUT 120)

execute_process(
  COMMAND "${CMAKE_COMMAND}" -E compare_files "${TRANSCRIPT}.out" "${OUTPUT}"
  RESULT_VARIABLE differ)
if(differ)
  file(READ "${OUTPUT}" written)
  message(FATAL_ERROR "the output differs from ${TRANSCRIPT}.out; the program wrote:\n"
                      "${written}")
endif()
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}")
endif()
