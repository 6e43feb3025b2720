# Test helpers shared by every folder's tests.
#
# pakorra_native_test(NAME SOURCES... LIBS ...)  a GoogleTest executable of portable logic (label native)
# pakorra_wine_test(NAME SOURCES... LIBS ... [DEPENDS targets...] [FIXTURES names...] [LABELS ...] [TIMEOUT s]
#                   [ARGS ...])
#     a GoogleTest executable run under Wine (labels wine, the architecture and any given), with the
#     test kit (tests/support) and what every such program needs before its first test
# pakorra_wine_command(NAME COMMAND ... [SKIPPABLE] ...)
#     any other program under Wine; SKIPPABLE: a GoogleTest run of one case that may skip itself,
#     which CTest then reports as skipped (only for one case: a skip would hide another's failure)
#
# Both Windows builds run their tests under Wine, each in a prefix of its own (an i686 program in
# Wine's WoW64 mode). Their tests are named after the architecture ("i686:vintora_test"), so one
# CTest run can hold both. Every Wine test of a build holds that build's prefix lock: they share
# one registry, one host key and one process list, so they never run side by side, while the
# two builds' tests may.

if(WIN32 AND PAKORRA_TESTS)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(PAKORRA_ARCH i686)
  else()
    set(PAKORRA_ARCH x86_64)
  endif()
  set(PAKORRA_WINE_FIXTURE wine_${PAKORRA_ARCH})
  set(PAKORRA_WINE_LOCK wine_prefix_${PAKORRA_ARCH})
  add_test(NAME ${PAKORRA_ARCH}:wine_env_start
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine/env start ${PAKORRA_WINE_DIR} $<TARGET_FILE:desktop_shell_ready>)
  set_tests_properties(${PAKORRA_ARCH}:wine_env_start PROPERTIES FIXTURES_SETUP ${PAKORRA_WINE_FIXTURE}
                       LABELS "wine;${PAKORRA_ARCH}" RESOURCE_LOCK ${PAKORRA_WINE_LOCK})
  add_test(NAME ${PAKORRA_ARCH}:wine_env_stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine/env stop ${PAKORRA_WINE_DIR})
  set_tests_properties(${PAKORRA_ARCH}:wine_env_stop PROPERTIES FIXTURES_CLEANUP ${PAKORRA_WINE_FIXTURE}
                       LABELS "wine;${PAKORRA_ARCH}" RESOURCE_LOCK ${PAKORRA_WINE_LOCK})
endif()

function(pakorra_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR NOT PAKORRA_TESTS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS native)
endfunction()

# A test under Wine that is not a GoogleTest executable of our own (a script, a fixture step).
function(pakorra_wine_command name)
  cmake_parse_arguments(T "SKIPPABLE" "TIMEOUT" "COMMAND;FIXTURES;FIXTURES_SETUP;FIXTURES_CLEANUP;LABELS" ${ARGN})
  if(NOT WIN32 OR NOT PAKORRA_TESTS)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Fixture names, like test names, belong to one architecture.
  foreach(kind "" _SETUP _CLEANUP)
    list(TRANSFORM T_FIXTURES${kind} APPEND _${PAKORRA_ARCH})
  endforeach()
  set(required ${PAKORRA_WINE_FIXTURE} ${T_FIXTURES})
  set(test ${PAKORRA_ARCH}:${name})
  add_test(NAME ${test} COMMAND ${T_COMMAND})
  set_tests_properties(${test} PROPERTIES LABELS "wine;${PAKORRA_ARCH};${T_LABELS}" TIMEOUT ${T_TIMEOUT}
                       FIXTURES_REQUIRED "${required}" RESOURCE_LOCK ${PAKORRA_WINE_LOCK})
  if(T_SKIPPABLE)
    set_tests_properties(${test} PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  endif()
  foreach(kind SETUP CLEANUP)
    if(T_FIXTURES_${kind})
      set_tests_properties(${test} PROPERTIES FIXTURES_${kind} "${T_FIXTURES_${kind}}")
    endif()
  endforeach()
endfunction()

function(pakorra_wine_test name)
  if(NOT WIN32 OR NOT PAKORRA_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;DEPENDS;FIXTURES;LABELS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} testkit_gtest GTest::gtest_main)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  pakorra_wine_command(${name} COMMAND ${name} ${T_ARGS} TIMEOUT "${T_TIMEOUT}" FIXTURES ${T_FIXTURES} LABELS ${T_LABELS})
endfunction()
