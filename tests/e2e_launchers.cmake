# The built program under Xvfb finds the game in the prefixes launchers make (Heroic, Lutris,
# Bottles, Steam) and starts it with the Wine each records. Skips (77) without xvfb-run or
# xdotool.
add_test(NAME e2e_launchers COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/launchers.sh $<TARGET_FILE:velkor>)
set_tests_properties(e2e_launchers PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 300)
