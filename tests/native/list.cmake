# Test executables of the native build; the Windows build registers them too.
set(KORVANE_NATIVE_TESTS
    video1_core_tests
    video1_ffmpeg_check
    zmbv_core_tests
    zmbv_ffmpeg_check
    recorder_rules_tests
    player_rules_tests)

# libFuzzer targets: tests/native/NAME.cpp, built by the fuzz build (clang), each run as
# the CTest test fuzz.NAME-without-_fuzz from its seeds in tests/native/corpus/NAME/.
# One line each; a name whose source is not in the tree is passed over.
set(KORVANE_FUZZ_TARGETS
    video1_decoder_fuzz
    zmbv_decoder_fuzz
    wav_reader_fuzz
    skin_reader_fuzz
    recovery_parser_fuzz)
