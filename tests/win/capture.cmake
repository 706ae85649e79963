# The tests' pictures are taken by the stand-in's window capture (one capture for both).
target_sources(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools/host/WindowCapture.cpp ${CMAKE_SOURCE_DIR}/tools/host/PngFile.cpp)
