# One static library per layer of the source tree. Each layer compiles every .cpp
# below its folder, so adding a file to a layer needs no change here.
function(kelmora_layer name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${ex}")
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# Precompiles the headers named for the target's files (KELMORA_PCH): the large ones most of its files
# include, GoogleTest, Qt's widgets or CLI11.
function(kelmora_precompile_headers target)
  if(KELMORA_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# The tests' own code is compiled without optimisation: it runs for seconds, while optimising it would take
# more time than all the tests run. The code under test keeps the optimisation of the programs.
set(KELMORA_TEST_OPTIMIZE "-O0" CACHE STRING "Optimisation of the test executables' own code")
# The test files of an executable, and the files of the code around the engine, are compiled eight to a
# unit: GoogleTest's, Qt's and the project's headers are then instantiated once per unit, which halves
# the time the tests take to compile and saves a third of the rest. Helpers in a file's unnamed
# namespace must therefore have names of their own within their target. The engine's files are
# compiled one by one: what the engine computes never depends on which files share a unit. Off, a
# developer's edit of one file compiles that file alone.
option(KELMORA_UNITY "Compile the tests and the code around the engine several files to a unit" ON)
function(kelmora_unity_build)
  if(KELMORA_UNITY)
    set_target_properties(${ARGN} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
  endif()
endfunction()

# One GoogleTest executable per layer, built from every .cpp in its test folder. Each test fails after
# two minutes instead of hanging (a worker that never ends, a wait that is never woken).
function(kelmora_layer_tests name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${KELMORA_TEST_OPTIMIZE})
  kelmora_precompile_headers(${name} <gtest/gtest.h>)
  kelmora_unity_build(${name})
  if(KELMORA_LTO)
    target_link_options(${name} PRIVATE -fno-lto)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
