# The compressor catalogue, the size check and the saved compressor state, with fake
# compressors installed in the test process.
add_executable(catalogue_tests catalogue_tests.cpp)
target_link_libraries(catalogue_tests PRIVATE korvane_test_main vfw32)
korvane_warnings(catalogue_tests)
add_dependencies(catalogue_tests kvmsvc)
# Grabs the desktop and records through the shared scratch folder.
korvane_wine_test(capture.catalogue catalogue_tests DESKTOP)
