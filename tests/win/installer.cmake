# The shipped setup program and the plug-in's uninstall export (tests/win/installer_test.py and
# UninstallExport_test.cpp). The setup cases use the plug-in's real name, gen_ptly, and its one
# Add/Remove Programs entry, so they run one at a time, and like every test that runs the stand-in
# they take the lock "winamp_host".
target_compile_definitions(win_tests PRIVATE PTLY_PLUGIN_DLL="$<TARGET_FILE:gen_ptly>"
                                             PTLY_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(win_tests gen_ptly)

if(TARGET gen_ptly_setup)
  foreach(case roundtrip removedata running)
    add_test(NAME installer_${case}
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/win/installer_test.py ${case}
              ${PTLY_SETUP} $<TARGET_FILE:WinAmp> ${CMAKE_BINARY_DIR}/tests/installer/${case})
    set_tests_properties(installer_${case} PROPERTIES TIMEOUT 180 RESOURCE_LOCK "winamp_host;gen_ptly_setup")
  endforeach()
endif()
