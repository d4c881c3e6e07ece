# Installation and the packages.
#
# cmake --install puts the program in the binary directory, its manual
# page (section 6, games) compressed as Debian ships pages, and the
# documentation in a directory named after the package. cpack -G DEB
# makes lm-simulator_<version>_<arch>.deb from the same files.
#
# On Windows there is no manual page: cpack makes a ZIP of lm_simulator.exe
# with the README and the licence beside it. The WebAssembly build's cpack
# makes a ZIP of the web page, which plays when unpacked and opened.

set(CPACK_PACKAGE_NAME lm-simulator)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The lm_simulator developers")
if(EMSCRIPTEN)
  foreach(page_file IN LISTS lm_page_files)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/web/${page_file} DESTINATION . COMPONENT page)
  endforeach()
  install(FILES README.md LICENSE DESTINATION . COMPONENT page)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME web)
  include(CPack)
  return()
endif()
if(WIN32)
  install(TARGETS lm_simulator RUNTIME DESTINATION . COMPONENT program)
  install(FILES README.md LICENSE DESTINATION . COMPONENT program)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
  set(CPACK_STRIP_FILES ON)
  include(CPack)
  return()
endif()

set(CMAKE_INSTALL_DOCDIR "share/doc/lm-simulator" CACHE PATH "Documentation directory")
include(GNUInstallDirs)

# The changelog's newest entry must be this version, whose number is
# written only in project(); its date is the one the manual page prints.
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/changelog lm_changelog_heading LIMIT_COUNT 1 REGEX "^lm-simulator \\(")
string(REGEX REPLACE "^lm-simulator \\(([^)]*)\\).*" "\\1" lm_changelog_version "${lm_changelog_heading}")
if(NOT lm_changelog_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "docs/changelog's newest entry is for version '${lm_changelog_version}', \
but CMakeLists.txt's project() says ${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION}")
endif()
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/changelog lm_changelog_trailer LIMIT_COUNT 1 REGEX "^ -- ")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/changelog)
set(lm_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
if(NOT lm_changelog_trailer MATCHES ", ([0-3][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "docs/changelog's newest entry has no date such as 'Tue, 08 Dec 2026 ...'")
endif()
set(lm_day ${CMAKE_MATCH_1})
set(lm_year ${CMAKE_MATCH_3})
list(FIND lm_months ${CMAKE_MATCH_2} lm_month)
math(EXPR lm_month "${lm_month} + 1")
if(lm_month LESS 10)
  set(lm_month 0${lm_month})
endif()
set(LM_RELEASE_DATE "${lm_year}-${lm_month}-${lm_day}")

configure_file(docs/lm_simulator.6.in ${CMAKE_CURRENT_BINARY_DIR}/lm_simulator.6 @ONLY)

# gzip -n leaves out the name and time stamp, so the package's bytes do
# not depend on when it was built.
find_program(LM_GZIP gzip)
if(NOT LM_GZIP)
  message(FATAL_ERROR "gzip, which compresses the manual page and the changelog, is not installed")
endif()
set(lm_compressed "")
foreach(page lm_simulator.6 changelog)
  if(page STREQUAL "changelog")
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/docs/changelog)
  else()
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${page})
  endif()
  add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz
    COMMAND ${LM_GZIP} -9nc ${source} > ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz
    DEPENDS ${source}
    VERBATIM)
  list(APPEND lm_compressed ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz)
endforeach()
add_custom_target(lm_docs ALL DEPENDS ${lm_compressed})

install(TARGETS lm_simulator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
# Debian keeps games in /usr/games; only the package installs this copy.
install(TARGETS lm_simulator RUNTIME DESTINATION games COMPONENT debian_program EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/lm_simulator.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT manual)
install(FILES README.md LICENSE docs/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT manual)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "The lm_simulator developers <lm-simulator@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text simulator of a lunar module's final descent")
set(CPACK_PACKAGE_DESCRIPTION "A terminal game: give the lunar module's starting altitude and fuel,
then choose the fuel rate for each second of the descent and try to
touch down at no more than one metre per second.

It reads its answers from standard input and writes plain text, so
flights can also be scripted from a file or flown by another program
over pipes, and its arithmetic gives the same flight, to the last
digit, on every machine.")
# One package of the program in /usr/games, its page and its documents.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL debian_program manual)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
