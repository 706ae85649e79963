# The stand-in player's script parser and playlist model are plain C++: tested natively too.
target_sources(native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools/host/PlaybackScript.cpp ${CMAKE_SOURCE_DIR}/tools/host/Player.cpp)
