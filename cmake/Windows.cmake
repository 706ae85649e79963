# Windows cross build (mingw-w64, posix threads). The runtime is linked statically into every
# binary, so that the plug-in imports system DLLs only.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 1252 -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_SOURCE_DIR}")
add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 NOMINMAX STRICT)
add_compile_options(-Wall -Wextra -Wno-cast-function-type)
add_link_options(-static -static-libgcc -static-libstdc++)

include(${CMAKE_SOURCE_DIR}/cmake/Common.cmake)

set(PTLY_RC ${CMAKE_SOURCE_DIR}/resources/gen_ptly.rc)
# A binary that carries the resource script reads the portable code's texts from its own string
# table: linked as an object, this `loadString` keeps the generated table's object out of the binary,
# so the shipped plug-in holds each text once. Tools without the script keep the generated table.
set(PTLY_RC_TEXTS ${PTLY_RC} ${CMAKE_SOURCE_DIR}/resources/win/ResourceStrings.cpp)
set(PTLY_WIN_LIBS winhttp crypt32 comctl32 comdlg32 shell32 ole32 oleaut32 uuid advapi32 version gdi32 user32 kernel32)

# Windows code of the plug-in, as a static library the DLL and the Windows-side tests share.
file(GLOB PTLY_WIN_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/framework/*.cpp
  ${CMAKE_SOURCE_DIR}/ui/*.cpp
  ${CMAKE_SOURCE_DIR}/window/*.cpp
  ${CMAKE_SOURCE_DIR}/plugin/win/*.cpp
  ${CMAKE_SOURCE_DIR}/app/*.cpp
  ${CMAKE_SOURCE_DIR}/core/win/*.cpp
  ${CMAKE_SOURCE_DIR}/report/win/*.cpp)
add_library(ptly_win STATIC ${PTLY_WIN_SOURCES})
target_link_libraries(ptly_win PUBLIC ptly_core ${PTLY_WIN_LIBS})

# ---- Benchmark of the Playtally window (the 64-bit build; scripts/bench runs it under Wine) ----
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_executable(window_bench ${CMAKE_SOURCE_DIR}/bench/win/WindowBench.cpp ${PTLY_RC_TEXTS})
  target_link_libraries(window_bench PRIVATE ptly_win psapi)
  set_target_properties(window_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
# ---- end of the window benchmark block ----

# The plug-in itself. Sources that only the DLL has (its entry point and export) are in app/dll.
file(GLOB PTLY_DLL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/dll/*.cpp)
add_library(gen_ptly SHARED ${PTLY_DLL_SOURCES} ${PTLY_RC_TEXTS})
set_target_properties(gen_ptly PROPERTIES PREFIX "" OUTPUT_NAME gen_ptly
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(gen_ptly PRIVATE ptly_win)
target_link_options(gen_ptly PRIVATE -Wl,--kill-at)

# ---- Shipping: the stripped plug-in and its setup program ----
include(${CMAKE_SOURCE_DIR}/installer/installer.cmake)

# The stand-in Winamp and whatever else lives under tools/host/.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/host/CMakeLists.txt)
  add_subdirectory(tools/host)
endif()

if(PTLY_WIN_TESTS)
  ptly_add_googletest()
  enable_testing()
  set(PTLY_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run)
  file(GLOB PTLY_WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
  add_executable(win_tests ${PTLY_WIN_TEST_SOURCES} ${PTLY_RC_TEXTS})
  target_link_libraries(win_tests PRIVATE ptly_win ws2_32 gtest gmock gtest_main)
  target_compile_definitions(win_tests PRIVATE PTLY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set_target_properties(win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME win_tests COMMAND ${PTLY_WINE_RUN} $<TARGET_FILE:win_tests>)
  # Its windows share the prefix's desktop with the stand-in runs: never at the same time as they are.
  set_tests_properties(win_tests PROPERTIES TIMEOUT 900 RESOURCE_LOCK winamp_host)
  # Further Windows-side targets and tests of one area (test plug-ins, end-to-end runs).
  file(GLOB PTLY_WIN_EXTRA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cmake)
  foreach(extra ${PTLY_WIN_EXTRA})
    include(${extra})
  endforeach()
endif()

# The 32-bit plug-in is the one that ships; its build checks the DLL itself: PE i386, the
# undecorated exports, system imports only, stripped and small, and the version resource that signs
# the database file (without it the plug-in would write files with an empty signature); and that
# its setup program is an x86 one.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  enable_testing()
  add_test(NAME dll_check COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-dll $<TARGET_FILE:gen_ptly>)
  add_test(NAME dll_version_resource
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/win/check_version_resource.py $<TARGET_FILE:gen_ptly>)
  add_test(NAME setup_check COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-dll --setup ${PTLY_SETUP})
endif()
