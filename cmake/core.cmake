# Helpers shared by the CMake files of the project.

# The core folders must never see Qt, and only the console sees the main
# window's header, and src/backup sees only common/ and backup/. A check
# runs in every build and fails it on any of these.
set(ZOL_CORE_DIRS common monitor console telnet settings backup)
add_custom_target(check_core_includes ALL
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR}/src -P ${CMAKE_SOURCE_DIR}/cmake/check_core_includes.cmake
  COMMENT "Checking the include rules of the core folders")

# zol_test(<name> SOURCES ... [LIBS ...]) - one GoogleTest executable, one ctest entry.
function(zol_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "ZOL_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZOL_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# With ZOL_TEST_WORKDIR set, every test of the calling folder runs in that
# folder instead of its build folder; scripts/test gives an empty one and
# fails when a test leaves anything in it.
set(ZOL_TEST_WORKDIR "" CACHE PATH "Folder every test runs in (empty: each test's build folder)")
function(zol_tests_in_workdir)
  get_property(tests DIRECTORY PROPERTY TESTS)
  if(ZOL_TEST_WORKDIR AND tests)
    set_tests_properties(${tests} PROPERTIES WORKING_DIRECTORY ${ZOL_TEST_WORKDIR})
  endif()
endfunction()
