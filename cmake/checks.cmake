# Tests that belong to the whole tree: the shared Wine bench fixture, the layering check and
# the house format.

# The shared bench for the Wine tests: up before the first, down after the last.
add_test(NAME bench.start COMMAND ${KORVANE_TOOLS}/testbench start default)
add_test(NAME bench.stop COMMAND ${KORVANE_TOOLS}/testbench stop default)
korvane_test_env(bench.start)
korvane_test_env(bench.stop)
set_tests_properties(bench.start PROPERTIES FIXTURES_SETUP bench TIMEOUT 120)
set_tests_properties(bench.stop PROPERTIES FIXTURES_CLEANUP bench)

# The recorder's includes follow its layering (see tools/check-layering and the README).
add_test(NAME layering.includes COMMAND ${KORVANE_TOOLS}/check-layering ${CMAKE_SOURCE_DIR})
add_test(NAME format.check COMMAND ${KORVANE_TOOLS}/format --check)
