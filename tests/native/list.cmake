# Test executables of the native build; the Windows build registers them too.
set(KORVANE_NATIVE_TESTS
    video1_core_tests
    video1_ffmpeg_check
    recorder_rules_tests
    player_rules_tests)
