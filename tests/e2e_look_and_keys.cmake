# The built program under Xvfb: the etched divider and the wrapped check box caption in
# screenshots, Enter on focused buttons, and the folder picker opened at a folder it cannot
# list. Skips (77) without xvfb-run, xdotool or ImageMagick.
add_test(NAME e2e_look_and_keys
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/look_and_keys.sh $<TARGET_FILE:velkor>)
set_tests_properties(e2e_look_and_keys PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 240)
