# End-to-end runs of the real plug-in in the stand-in player under Wine (tests/win/e2e_test.py).
# Each case copies gen_ptly.dll to a name of its own, gen_e2e_<case>.dll, in a Winamp folder of
# its own, so that its registry settings are its own too. Like every test that runs the stand-in,
# they take the lock "winamp_host".
set(PTLY_E2E_CASES playback disabled firstrun renamed quitplaying manifest manifest_readonly autosave settings window window_state editing tags exchange wholetext)
foreach(case ${PTLY_E2E_CASES})
  add_test(NAME e2e_${case}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/win/e2e_test.py ${case}
            $<TARGET_FILE:WinAmp> $<TARGET_FILE:gen_ptly> ${CMAKE_BINARY_DIR}/tests/e2e/${case})
  set_tests_properties(e2e_${case} PROPERTIES TIMEOUT 180 RESOURCE_LOCK winamp_host SKIP_RETURN_CODE 77)
endforeach()
# The editing case waits in a question for a save on the one-minute timer.
set_tests_properties(e2e_editing PROPERTIES TIMEOUT 300)
