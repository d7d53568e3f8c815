# The built program under Xvfb: settings saved on a first start without ~/.config, a full disk
# and a FIFO as the settings file reported and nothing lost, a saved address index beyond the
# detected list. Skips (77) without xvfb-run or xdotool.
add_test(NAME e2e_settings COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/settings.sh $<TARGET_FILE:velkor>)
set_tests_properties(e2e_settings PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 240)
