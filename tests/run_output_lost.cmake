# Flies INPUT with standard output on /dev/full, which refuses every write:
# the program must exit with status 2 and say on standard error, in its own
# line, that it could not write and why. The same on every platform the
# program runs on, Windows under Wine included.
#
#   cmake -DPROGRAM=path -DINPUT=file [-DWRAPPER=command;words] -P run_output_lost.cmake

execute_process(
  COMMAND ${WRAPPER} "${PROGRAM}"
  INPUT_FILE "${INPUT}"
  OUTPUT_FILE /dev/full
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 120)

set(line "lm_simulator: cannot write to standard output: No space left on device\n")
string(FIND "${errors}" "${line}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "standard error lacks the line \"${line}\"; it holds:\n${errors}")
endif()
if(NOT status STREQUAL 2)
  message(FATAL_ERROR "exit status ${status}, expected 2")
endif()
