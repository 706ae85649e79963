# End to end: the real plug-in sends its plays to a loopback listen server (tests/win/e2e_listen.py).
add_test(NAME e2e_listen
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/win/e2e_listen.py
          $<TARGET_FILE:WinAmp> $<TARGET_FILE:gen_ptly> ${CMAKE_BINARY_DIR}/tests/e2e/listen)
set_tests_properties(e2e_listen PROPERTIES TIMEOUT 420 RESOURCE_LOCK winamp_host)
