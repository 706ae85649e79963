# The stand-in player under Wine with a test plug-in of the tests' own (gen_test.dll), and the
# stand-in's own checks (bad scripts, handing a file to the running instance).
# Each run lays out WinAmp.exe and Plugins\gen_test.dll in a folder of its own. Every test that
# runs the stand-in takes the lock "winamp_host": a second instance finds the running one by its
# window class, so two of them must never run at once.
add_library(gen_test SHARED ${CMAKE_SOURCE_DIR}/tests/win/testplugin/TestPlugin.cpp)
set_target_properties(gen_test PROPERTIES PREFIX "" OUTPUT_NAME gen_test
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(gen_test PRIVATE ptly_win)
target_link_options(gen_test PRIVATE -Wl,--kill-at)

foreach(case monitor probe handover badscript)
  add_test(NAME host_${case}
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/host_test.sh ${case} $<TARGET_FILE:WinAmp> $<TARGET_FILE:gen_test>
            ${CMAKE_BINARY_DIR}/tests/host/${case})
  set_tests_properties(host_${case} PROPERTIES TIMEOUT 180 RESOURCE_LOCK winamp_host)
endforeach()
# The same with the real plug-in, whose windows need the common controls: the player's 32-bit
# manifest beside the 64-bit stand-in must not send them to a 32-bit assembly.
add_test(NAME host_manifest32
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/host_test.sh manifest32 $<TARGET_FILE:WinAmp> $<TARGET_FILE:gen_ptly>
          ${CMAKE_BINARY_DIR}/tests/host/manifest32)
set_tests_properties(host_manifest32 PROPERTIES TIMEOUT 180 RESOURCE_LOCK winamp_host)
