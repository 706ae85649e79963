# libFuzzer targets (clang). Each tests/fuzz/<name>.cpp becomes fuzz_<name>; ctest runs it for a
# bounded time on its seed corpus tests/fuzz/corpus/<name>.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "The fuzz build needs clang (CXX=clang++)")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)
include(${CMAKE_SOURCE_DIR}/cmake/Common.cmake)
enable_testing()
set(PTLY_FUZZ_SECONDS 20 CACHE STRING "How long ctest runs each fuzz target")
file(GLOB PTLY_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
foreach(src ${PTLY_FUZZ_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(fuzz_${name} ${src})
  target_link_libraries(fuzz_${name} PRIVATE ptly_core)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set(work ${CMAKE_BINARY_DIR}/corpus/${name})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME fuzz_${name}
    COMMAND fuzz_${name} -max_total_time=${PTLY_FUZZ_SECONDS} -rss_limit_mb=2048 -timeout=10
            ${work} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 300
    ENVIRONMENT "TZ=UTC;UBSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/fuzz/ubsan.supp")
endforeach()
