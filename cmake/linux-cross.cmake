# Cross-building for another Linux machine with Debian's cross compiler for
# the target triple LM_CROSS_TRIPLE (such as aarch64-linux-gnu, i686-linux-gnu
# or s390x-linux-gnu), running what it builds under user-mode QEMU with the
# target's libraries.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/linux-cross.cmake -DLM_CROSS_TRIPLE=...
if(NOT LM_CROSS_TRIPLE)
  set(LM_CROSS_TRIPLE "$ENV{LM_CROSS_TRIPLE}")
endif()
if(NOT LM_CROSS_TRIPLE)
  message(FATAL_ERROR "set LM_CROSS_TRIPLE to the target triple, such as s390x-linux-gnu")
endif()
# Compiler checks configure small projects of their own with this file.
set(ENV{LM_CROSS_TRIPLE} "${LM_CROSS_TRIPLE}")

string(REGEX REPLACE "-.*" "" lm_cross_cpu "${LM_CROSS_TRIPLE}")
set(lm_qemu_names i686=i386 powerpc64le=ppc64le powerpc64=ppc64 arm=arm)
set(lm_qemu "qemu-${lm_cross_cpu}")
foreach(pair IN LISTS lm_qemu_names)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 cpu)
  list(GET pair 1 qemu)
  if(lm_cross_cpu STREQUAL cpu)
    set(lm_qemu "qemu-${qemu}")
  endif()
endforeach()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${lm_cross_cpu})
set(CMAKE_C_COMPILER ${LM_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${LM_CROSS_TRIPLE}-g++)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${LM_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${lm_qemu} -L /usr/${LM_CROSS_TRIPLE})
# For scripts that start the programs themselves (.ci/cross_test.sh).
set(LM_CROSS_QEMU ${lm_qemu} CACHE INTERNAL "QEMU for the target")
