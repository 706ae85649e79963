# The portable core, shared by every build kind. Include after the build kind set its flags.
add_library(ptly_core STATIC ${PTLY_CORE_SOURCES})
add_dependencies(ptly_core ptly_strings)
target_include_directories(ptly_core PUBLIC ${CMAKE_SOURCE_DIR} ${PTLY_GENERATED})

# GoogleTest from Debian's source package, built with this build's compiler.
macro(ptly_add_googletest)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endmacro()
