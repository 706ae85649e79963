# Dialog templates that only the dialog foundations' tests use, linked into win_tests.
target_sources(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win/UiTest.rc)
