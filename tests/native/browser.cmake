# The report pages in a browser: the default report and the statistics page of a sample database,
# opened in headless Chromium (tests/browser/check_pages.py); the screenshots stay in pages/.
add_executable(page_samples ${CMAKE_SOURCE_DIR}/tests/browser/PageSamples.cpp)
target_link_libraries(page_samples PRIVATE ptly_core)
add_test(NAME browser_pages COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/browser/check_pages.py
  $<TARGET_FILE:page_samples> ${CMAKE_BINARY_DIR}/pages)
set_tests_properties(browser_pages PROPERTIES ENVIRONMENT "TZ=UTC;ASAN_OPTIONS=detect_leaks=1" TIMEOUT 300)
