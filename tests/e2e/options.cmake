# The options dialog end to end: 10 fps, quality 50 %, a fixed region of 200x100 chosen
# by dragging, a recording of it, and a new Record/Pause key at its next press.
add_executable(dialog_control dialog_control.cpp)
korvane_warnings(dialog_control)
korvane_script_test(e2e.options ${CMAKE_CURRENT_SOURCE_DIR}/options_e2e.sh SHARED_BENCH DESKTOP TIMEOUT 300)
