include(CheckCXXCompilerFlag)

# Our string literals are written in UTF-8 but the program speaks code page 932, so the compiler
# converts them. GCC does this through iconv on every configuration; a compiler without the flag
# (clang) keeps UTF-8, which only the Windows builds would notice.
check_cxx_compiler_flag(-fexec-charset=CP932 TESSARY_HAS_EXEC_CHARSET_CP932)

# Warnings apply to our targets only: GoogleTest's own sources are not ours to fix.
function(tessary_target_flags target)
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:-Wall;-Wextra>")
  if(TESSARY_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Werror>)
  endif()
  if(TESSARY_HAS_EXEC_CHARSET_CP932)
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8;-fexec-charset=CP932>")
  elseif(WIN32)
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} cannot convert string literals to CP932")
  endif()
endfunction()

# One test executable is one ctest test. Under Wine every start costs a second or more, so
# running each GoogleTest case in its own process (gtest_add_tests, gtest_discover_tests) would
# multiply that cost; GoogleTest's own output names any failing case.
function(tessary_add_gtest target)
  set(sources ${ARGN})
  if(NOT sources)
    return()
  endif()
  file(GLOB own_main CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/test_main.cpp)
  add_executable(${target} ${sources} ${own_main})
  tessary_target_flags(${target})
  if(own_main)
    target_link_libraries(${target} PRIVATE tessary_core GTest::gtest)
  else()
    target_link_libraries(${target} PRIVATE tessary_core GTest::gtest_main)
  endif()

  # A cross build without an emulator (32-bit Windows here) builds its tests but cannot run them.
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    return()
  endif()
  add_test(NAME ${target} COMMAND ${target} --gtest_color=no WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${target} PROPERTIES TIMEOUT 900)
  if(WIN32)
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "TESSARY_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  else()
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "UBSAN_OPTIONS=print_stacktrace=1;ASAN_OPTIONS=detect_stack_use_after_return=1:strict_string_checks=1")
  endif()
endfunction()
