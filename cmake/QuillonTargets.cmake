# Shared target helpers: every library, program and test of the project is made through these,
# so warnings, sanitizers and include paths stay the same everywhere.

set(QUILLON_SOURCE_ROOT ${CMAKE_SOURCE_DIR}/src)

function(quillon_apply_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  if(QUILLON_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# quillon_library(NAME SOURCES ... [DEPS ...]) makes the static library quillon_NAME.
function(quillon_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(quillon_${name} STATIC ${ARG_SOURCES})
  target_include_directories(quillon_${name} PUBLIC ${QUILLON_SOURCE_ROOT} ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(quillon_${name} PUBLIC ${ARG_DEPS} Threads::Threads)
  quillon_apply_options(quillon_${name})
endfunction()

# quillon_test(NAME SOURCES ... [DEPS ...]) makes a GoogleTest program and registers its cases.
function(quillon_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  quillon_apply_options(test_${name})
  # Each case is labelled with its program, so `ctest -L test_serial` runs one program's cases.
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 120
                       PROPERTIES ENVIRONMENT "QUILLON_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data"
                                  LABELS test_${name})
endfunction()

# Adds every folder below DIR that has a CMakeLists.txt, so folders can be added independently.
function(quillon_add_subfolders dir)
  file(GLOB children LIST_DIRECTORIES true ${dir}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# quillon_fuzz(NAME SOURCES ... [DEPS ...]) makes the libFuzzer target fuzz_NAME and a test
# that runs it for QUILLON_FUZZ_SECONDS on the seeds in fuzz/corpus/NAME. The fixed random seed
# keeps a test run repeatable; longer runs by hand (without -seed) search further.
set(QUILLON_FUZZ_SECONDS 5 CACHE STRING "How long each fuzz target runs as a test")
function(quillon_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(fuzz_${name} ${ARG_SOURCES})
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPS})
  quillon_apply_options(fuzz_${name})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  file(MAKE_DIRECTORY ${work} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  add_test(NAME fuzz_${name}
           COMMAND fuzz_${name} -max_total_time=${QUILLON_FUZZ_SECONDS} -seed=1 -rss_limit_mb=2048
                   -timeout=10 -print_final_stats=0 ${work} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 120)
endfunction()
