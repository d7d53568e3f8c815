# The built program under Xvfb with FIFOs and /dev/zero in place of the registry files and the
# help file, a relative WINEPREFIX and a very long InstallPath. Skips (77) without xvfb-run or
# xdotool. Runs alone: two programs on virtual screens at once disturb each other's input.
add_test(NAME e2e_outside_files
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/outside_files.sh $<TARGET_FILE:velkor>)
set_tests_properties(e2e_outside_files PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 300
                                                   RUN_SERIAL TRUE)
