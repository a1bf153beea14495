# The Wine test bed: a prefix of its own in the build tree, a persistent
# wineserver and, without a display, an Xvfb of its own. A ctest fixture sets
# it up before the first Windows test and takes it down after the last, so
# plain `ctest` runs everything.

set(MARROW_TESTBED ${CMAKE_BINARY_DIR}/testbed)
set(MARROW_WINEPREFIX ${MARROW_TESTBED}/prefix)

# Every Windows test program runs through this wrapper, which points wine at
# the test bed's prefix and display.
configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.in ${MARROW_TESTBED}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MARROW_TESTBED}/wine-run)

add_test(NAME testbed_up COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-testbed.sh up ${MARROW_TESTBED})
add_test(NAME testbed_down COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-testbed.sh down ${MARROW_TESTBED})
set_tests_properties(testbed_up PROPERTIES FIXTURES_SETUP wine TIMEOUT 240)
set_tests_properties(testbed_down PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# A Windows test program, run under Wine inside the test bed.
function(marrow_wine_test name)
  add_test(NAME ${name} COMMAND ${name} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE)
endfunction()
