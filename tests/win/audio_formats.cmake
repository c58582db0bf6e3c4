# The options dialog's audio group: its window-free decisions, then the controls in a
# host window of the test's own, with faked wave-in devices, the real ACM and a merge.
add_executable(audio_formats_tests recording_formats_tests.cpp audio_controls_tests.cpp
    ${CMAKE_SOURCE_DIR}/recorder/res/korvane.rc)
target_link_libraries(audio_formats_tests PRIVATE korvane_test_main msacm32 vfw32 comctl32)
korvane_warnings(audio_formats_tests)
# The format chooser is a real dialog on the desktop.
korvane_wine_test(audio.formats audio_formats_tests DESKTOP)
