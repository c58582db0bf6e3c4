# The player's window-free rules, built by every build: reelpane.exe links them, and the
# native build tests them.
add_library(reelpane_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/player_rules.cpp)
target_include_directories(reelpane_rules PUBLIC
    ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/framework)
korvane_warnings(reelpane_rules)
