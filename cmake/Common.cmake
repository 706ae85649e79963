# The portable core, shared by every build kind. Include after the build kind set its flags.
add_library(ptly_core STATIC ${PTLY_CORE_SOURCES})
add_dependencies(ptly_core ptly_strings)
target_include_directories(ptly_core PUBLIC ${CMAKE_SOURCE_DIR} ${PTLY_GENERATED})

# RapidJSON (Debian's rapidjson-dev, headers only) reads and writes the JSON of the play exchange.
# The cross compilers must not see the host's /usr/include as a whole, so the build reaches the
# library through a folder that holds nothing but a link to it.
find_path(PTLY_RAPIDJSON_ROOT rapidjson/reader.h PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT PTLY_RAPIDJSON_ROOT)
  message(FATAL_ERROR "RapidJSON is missing: scripts/setup installs rapidjson-dev")
endif()
set(PTLY_DEPS_INCLUDE ${CMAKE_BINARY_DIR}/deps/include)
file(MAKE_DIRECTORY ${PTLY_DEPS_INCLUDE})
file(CREATE_LINK ${PTLY_RAPIDJSON_ROOT}/rapidjson ${PTLY_DEPS_INCLUDE}/rapidjson SYMBOLIC)
target_include_directories(ptly_core SYSTEM PUBLIC ${PTLY_DEPS_INCLUDE})

# GoogleTest from Debian's source package, built with this build's compiler.
macro(ptly_add_googletest)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endmacro()
