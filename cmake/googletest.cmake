# GoogleTest for the unit and flight tests: the installed one when this
# compiler and C++ library can link it, or else one built here from its
# sources (Debian's googletest package, which libgtest-dev brings along),
# as for clang++ with libc++ or for another platform. Leaves
# lm_gtest_missing empty when GoogleTest is there, and otherwise the
# reason and what to install.
set(LM_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
    "GoogleTest's sources, built when the installed GoogleTest cannot be linked")

add_subdirectory(${PROJECT_SOURCE_DIR}/cmake/googletest_probe ${PROJECT_BINARY_DIR}/googletest_probe)
set(lm_gtest_missing "")
if(lm_gtest_installed_links)
  find_package(GTest CONFIG REQUIRED)
elseif(EXISTS ${LM_GOOGLETEST_SOURCE}/CMakeLists.txt)
  if(lm_gtest_installed)
    message(STATUS "GoogleTest: the installed one cannot be linked by this compiler and C++ \
library; building it from ${LM_GOOGLETEST_SOURCE}")
  else()
    message(STATUS "GoogleTest: none installed for this platform; building it from \
${LM_GOOGLETEST_SOURCE}")
  endif()
  set(BUILD_GMOCK OFF)
  set(INSTALL_GTEST OFF)
  if(EMSCRIPTEN)
    # WebAssembly here has no threads, and GoogleTest does without them.
    set(gtest_disable_pthreads ON)
  endif()
  add_subdirectory(${LM_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(library gtest gtest_main)
    # Its warnings are not ours to fail on, in its sources or its headers.
    target_compile_options(${library} PRIVATE -w)
    set_target_properties(${library} PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES
                          $<TARGET_PROPERTY:${library},INTERFACE_INCLUDE_DIRECTORIES>)
  endforeach()
elseif(lm_gtest_installed)
  set(lm_gtest_missing "the installed GoogleTest cannot be linked by this compiler and C++ \
library, and GoogleTest's sources are not in ${LM_GOOGLETEST_SOURCE}: install Debian's googletest \
(sudo apt-get install googletest) or set LM_GOOGLETEST_SOURCE to GoogleTest's sources")
else()
  set(lm_gtest_missing "GoogleTest is not installed: install Debian's libgtest-dev \
(sudo apt-get install libgtest-dev), which brings its sources too")
endif()
