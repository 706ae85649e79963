# Dialog templates that only the framework's tests use, linked into win_tests beside the plug-in's.
target_sources(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win/FrameworkTest.rc)
