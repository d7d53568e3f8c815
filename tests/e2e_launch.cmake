# The built program under Xvfb: a name typed and "&Launch Game" clicked with xdotool start the
# recording game of a fake Wine prefix with the expected arguments. Skips (77) without
# xvfb-run or xdotool.
add_test(NAME e2e_launch COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/launch.sh $<TARGET_FILE:velkor>)
set_tests_properties(e2e_launch PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 240)
