# ListPlays.exe under Wine: a database written byte by byte is listed ranked and logged, and a
# missing or damaged file ends with a message, a non-zero exit and the file untouched.
add_test(NAME listplays_exe
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/listplays_test.sh $<TARGET_FILE:ListPlays> ${CMAKE_BINARY_DIR}/tests/listplays)
# Every program under Wine shares the prefix's server and its desktop: one test at a time.
set_tests_properties(listplays_exe PROPERTIES TIMEOUT 120 RESOURCE_LOCK winamp_host)
