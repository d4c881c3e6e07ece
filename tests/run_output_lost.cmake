# Flies INPUT with standard output on /dev/full, which refuses every write: the
# program must exit with status 2 and say why in a line on standard error, on
# every platform it runs on, Windows under Wine included.
#   cmake -DPROGRAM=path -DINPUT=file [-DWRAPPER=command;words] -P run_output_lost.cmake
execute_process(COMMAND ${WRAPPER} "${PROGRAM}" INPUT_FILE "${INPUT}" OUTPUT_FILE /dev/full
  ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 120)
string(FIND "${errors}" "lm_simulator: cannot write to standard output: No space left on device\n" at)
if(at EQUAL -1 OR NOT status STREQUAL 2)
  message(FATAL_ERROR "exit status ${status} (2 expected), standard error:\n${errors}")
endif()
