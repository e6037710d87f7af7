# The native build: the plug-in over the simulated platform in sim/, with the tests,
# benchmarks, fuzzers and the demo.
option(LOUDMARK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(LOUDMARK_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(LOUDMARK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(LOUDMARK_FUZZ)
  # Coverage from the plug-in and the simulated platform too, not only from the targets:
  # without it libFuzzer cannot tell which inputs reach new code in them.
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()

file(GLOB_RECURSE SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sim/src/*.cpp ${CMAKE_SOURCE_DIR}/sim/player/*.cpp)
add_library(loudmark_sim STATIC ${SIM_SOURCES})
target_include_directories(loudmark_sim PUBLIC ${CMAKE_SOURCE_DIR}/sim/include ${CMAKE_SOURCE_DIR}/sim)
target_compile_options(loudmark_sim PRIVATE -Wall -Wextra)

add_library(loudmark_core STATIC ${LOUDMARK_SOURCES})
target_include_directories(loudmark_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
# <windows.h> and friends resolve to the simulated platform.
target_include_directories(loudmark_core SYSTEM PUBLIC ${CMAKE_SOURCE_DIR}/sim/include)
target_compile_options(loudmark_core PRIVATE ${LOUDMARK_PLUGIN_FLAGS})
target_link_libraries(loudmark_core PUBLIC loudmark_sim)

# Test-only code shared by the tests, the benchmarks and the fuzzers (tests/common): the
# per-key maintenance pass the fast one is held to.
add_library(loudmark_test_common STATIC ${CMAKE_SOURCE_DIR}/tests/common/memory/database_maintenance_literal.cpp)
target_include_directories(loudmark_test_common PUBLIC ${CMAKE_SOURCE_DIR}/tests/common)
target_link_libraries(loudmark_test_common PUBLIC loudmark_core)

enable_testing()
find_package(GTest REQUIRED)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
if(NATIVE_TEST_SOURCES)
  add_executable(loudmark_tests ${NATIVE_TEST_SOURCES})
  target_link_libraries(loudmark_tests PRIVATE loudmark_core loudmark_test_common GTest::gtest)
  target_include_directories(loudmark_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/native)
  target_compile_definitions(loudmark_tests PRIVATE
    LOUDMARK_RESOURCE_SCRIPT="${LOUDMARK_RESOURCE_SCRIPT}"
    LOUDMARK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  include(GoogleTest)
  gtest_discover_tests(loudmark_tests DISCOVERY_TIMEOUT 60)
endif()

file(GLOB DEMO_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/demo/*.cpp)
if(DEMO_SOURCES)
  add_executable(loudmark_demo ${DEMO_SOURCES})
  target_link_libraries(loudmark_demo PRIVATE loudmark_core)
  target_compile_definitions(loudmark_demo PRIVATE LOUDMARK_RESOURCE_SCRIPT="${LOUDMARK_RESOURCE_SCRIPT}")
endif()

find_package(benchmark QUIET)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
if(benchmark_FOUND AND BENCH_SOURCES)
  foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE loudmark_core loudmark_test_common benchmark::benchmark benchmark::benchmark_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/native)
  endforeach()
endif()

if(LOUDMARK_FUZZ)
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE loudmark_core loudmark_test_common)
  endforeach()
endif()
