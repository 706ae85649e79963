# The test program that stands in for the user's before- and after-programs; it lives beside
# win_tests.exe, which finds it there.
add_executable(report_probe ${CMAKE_SOURCE_DIR}/tests/win/probe/ReportProbe.cpp)
set_target_properties(report_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(win_tests report_probe)
