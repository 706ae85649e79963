# The listing of ListPlays.exe is portable code: tested natively too, under the sanitizers.
target_sources(native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools/host/PlayListing.cpp)
