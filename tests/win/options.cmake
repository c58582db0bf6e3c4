# The options dialog run for real, with its controls worked from a second thread and its
# message boxes read back.
add_executable(options_tests options_dialog_tests.cpp
    ${CMAKE_SOURCE_DIR}/recorder/res/korvane.rc)
target_link_libraries(options_tests PRIVATE korvane_test_main)
korvane_warnings(options_tests)
add_custom_command(TARGET options_tests POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:hook> $<TARGET_FILE:hookkey>
        $<TARGET_FILE:SkinMagic> $<TARGET_FILE_DIR:options_tests>)
korvane_wine_test(options.dialog options_tests DESKTOP)
