# Helpers shared by the CMake files of the project.

# The core folders must never see Qt. A check runs in every build and fails
# it when a core source includes a Qt header.
set(ZOL_CORE_DIRS common monitor console telnet settings backup)
add_custom_target(check_core_has_no_qt ALL
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR}/src -P ${CMAKE_SOURCE_DIR}/cmake/check_no_qt.cmake
  COMMENT "Checking that the core folders include no Qt header")
# src/backup sees only common/ and backup/, src/common only common/.
add_custom_target(check_core_boundaries ALL
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR}/src -P ${CMAKE_SOURCE_DIR}/cmake/check_boundaries.cmake
  COMMENT "Checking the include boundaries of the backup tool")

# zol_test(<name> SOURCES ... [LIBS ...]) - one GoogleTest executable, one ctest entry.
function(zol_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "ZOL_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZOL_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()
