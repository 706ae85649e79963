# What ships: the plug-in without its debug information, and the setup program built around it.
#
# The debug information goes to gen_ptly.dll.debug beside the DLL, which debuggers find through
# the DLL's debug link; the DLL the user downloads is half the size without it.
add_custom_command(TARGET gen_ptly POST_BUILD
  COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:gen_ptly> $<TARGET_FILE_NAME:gen_ptly>.debug
  COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE_NAME:gen_ptly>.debug $<TARGET_FILE_NAME:gen_ptly>
  WORKING_DIRECTORY $<TARGET_FILE_DIR:gen_ptly>
  COMMENT "Moving the debug information of gen_ptly.dll to gen_ptly.dll.debug"
  VERBATIM)

# gen_ptly-setup.exe: the x86 setup in the 32-bit build, an amd64 one (the same script) in the
# 64-bit build, which is the one the tests can run.
find_program(PTLY_MAKENSIS makensis)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PTLY_NSIS_TARGET amd64-unicode)
else()
  set(PTLY_NSIS_TARGET x86-unicode)
endif()
set(PTLY_SETUP ${CMAKE_BINARY_DIR}/gen_ptly-setup.exe)
if(PTLY_MAKENSIS)
  add_custom_command(OUTPUT ${PTLY_SETUP}
    COMMAND ${PTLY_MAKENSIS} -V2 -WX -DTARGET=${PTLY_NSIS_TARGET} -DPLUGIN_DLL=$<TARGET_FILE:gen_ptly>
            -DOUTFILE=${PTLY_SETUP} ${CMAKE_SOURCE_DIR}/installer/gen_ptly.nsi
    DEPENDS gen_ptly ${CMAKE_SOURCE_DIR}/installer/gen_ptly.nsi
    COMMENT "Building gen_ptly-setup.exe (${PTLY_NSIS_TARGET})"
    VERBATIM)
  add_custom_target(gen_ptly_setup ALL DEPENDS ${PTLY_SETUP})
else()
  message(WARNING "makensis not found (scripts/setup installs the package nsis): no setup program")
endif()
