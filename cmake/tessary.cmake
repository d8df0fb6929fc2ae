include(CheckCXXCompilerFlag)
include(GoogleTest)

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

# GoogleTest as installed (MSYS2's package, Debian's libgtest-dev, a CMake package) or else built
# here from its sources by the same compiler as our code. The sanitizer builds (every build that
# is not for Windows) take the sources unless told otherwise, so that GoogleTest is instrumented
# like everything else and instrumented and plain code never mix.
macro(tessary_find_gtest)
  if(WIN32)
    set(tessary_gtest_sources_default OFF)
  else()
    set(tessary_gtest_sources_default ON)
  endif()
  option(TESSARY_GTEST_FROM_SOURCES "Build GoogleTest from its sources even when it is installed"
    ${tessary_gtest_sources_default})
  set(TESSARY_GTEST_SOURCES /usr/src/googletest CACHE PATH "GoogleTest's sources, used when no installed GoogleTest is found")
  if(NOT TESSARY_GTEST_FROM_SOURCES)
    find_package(GTest)
  endif()
  if(NOT TARGET GTest::gtest)
    if(NOT EXISTS ${TESSARY_GTEST_SOURCES}/CMakeLists.txt)
      message(FATAL_ERROR "GoogleTest was not found, neither installed nor as sources in "
        "${TESSARY_GTEST_SOURCES}. Install it, or configure with -DTESSARY_TESTS=OFF to build the "
        "program alone.")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TESSARY_GTEST_SOURCES} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
endmacro()

# Each GoogleTest case is a ctest test of its own, so that `ctest -N` lists every case and a
# failure names it. The cases are listed when ctest starts (through Wine for a Windows build), so
# building never needs to run anything. Starting one case costs about a fifth of a second once
# `scripts/wine-run --init` keeps the wineserver and the desktop alive, as scripts/test does.
# Cases that make hundreds of thousands of lines, separated by ':' as --gtest_filter takes them.
set(TESSARY_HEAVY_CASES
  "BackgroundLoadWindowTest.EverythingAUserCanDoDuringALargeLoadKeepsTheDocumentWhole:LineReaderTest.RandomFilesSplitAsByteByByte")

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
  # Each property holds one variable: a list would not survive the way to the listed cases.
  # Listing the cases can include creating the Wine prefix, which takes a few seconds.
  set(discovery
    EXTRA_ARGS --gtest_color=no
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120)
  if(NOT WIN32)
    gtest_discover_tests(${target} ${discovery} PROPERTIES TIMEOUT 300
      ENVIRONMENT "ASAN_OPTIONS=detect_stack_use_after_return=1:strict_string_checks=1"
      ENVIRONMENT_MODIFICATION "UBSAN_OPTIONS=set:print_stacktrace=1")
    return()
  endif()
  # Wine's heap checking fills freed blocks, so a read through a stale pointer fails the test
  # instead of finding the old bytes. It validates the heap on every allocation, which makes the
  # few cases that build hundreds of thousands of lines take many minutes: they run without it
  # (the native build runs them under AddressSanitizer).
  set(prefix ENVIRONMENT "TESSARY_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  gtest_discover_tests(${target} ${discovery} TEST_FILTER "*-${TESSARY_HEAVY_CASES}"
    PROPERTIES TIMEOUT 300 ${prefix} ENVIRONMENT_MODIFICATION "TESSARY_WINEDEBUG=set:-all,warn+heap")
  gtest_discover_tests(${target} ${discovery} TEST_FILTER "${TESSARY_HEAVY_CASES}"
    PROPERTIES TIMEOUT 300 ${prefix})
endfunction()
