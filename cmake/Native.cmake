# Native Linux build: portable code, its tests (sanitizers on) and the benchmarks.
set(CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS} -Wall -Wextra")
if(PTLY_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/Common.cmake)
ptly_add_googletest()
enable_testing()
include(GoogleTest)

# Reference implementations kept beside the benchmarks; tests compare the product against them.
file(GLOB PTLY_REFERENCE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/reference/*.cpp)
if(PTLY_REFERENCE_SOURCES)
  add_library(ptly_reference STATIC ${PTLY_REFERENCE_SOURCES})
  target_link_libraries(ptly_reference PUBLIC ptly_core)
  set(PTLY_REFERENCE_LIB ptly_reference)
endif()

file(GLOB PTLY_NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${PTLY_NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE ptly_core ${PTLY_REFERENCE_LIB} gtest gmock gtest_main)
target_compile_definitions(native_tests PRIVATE PTLY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "TZ=UTC;ASAN_OPTIONS=detect_leaks=1")

find_package(benchmark QUIET)
file(GLOB PTLY_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
if(benchmark_FOUND AND PTLY_BENCH_SOURCES)
  add_executable(ptly_bench ${PTLY_BENCH_SOURCES})
  target_link_libraries(ptly_bench PRIVATE ptly_core ${PTLY_REFERENCE_LIB} benchmark::benchmark)
endif()

# Further native targets of one area (kept beside that area's tests).
file(GLOB PTLY_NATIVE_EXTRA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cmake)
foreach(extra ${PTLY_NATIVE_EXTRA})
  include(${extra})
endforeach()

# The layers: every include of the product points down (scripts/check_layers.py), and the check
# itself catches an include planted against the order in a scratch copy.
add_test(NAME layers COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/layers/check_layers_test.py ${CMAKE_SOURCE_DIR})

# The committed icon and cursor are what scripts/make_icons.py draws.
add_test(NAME icons COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make_icons.py --check)
