# The built program under Xvfb driven with xdotool; the echo runs use a build whose address-echo
# page $VELKOR_E2E_ECHO_URL names (the product has no such setting), answered on loopback.
add_executable(velkor_e2e_echo ${PROJECT_SOURCE_DIR}/src/app/main.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/loopback_echo_page.cpp)
target_link_libraries(velkor_e2e_echo PRIVATE velkor_gui_main velkor_gui_forms velkor_backend velkor_seam velkor_core_net
                      velkor_core_game)
foreach(script launch launchers look_and_keys settings echo_and_lock)
  add_test(NAME e2e_${script} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${script}.sh $<TARGET_FILE:velkor>
           $<TARGET_FILE:velkor_e2e_echo> ${CMAKE_CURRENT_SOURCE_DIR}/data/echo_server.py)
  set_tests_properties(e2e_${script} PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 300)
endforeach()
set_tests_properties(e2e_launch PROPERTIES RUN_SERIAL TRUE) # F1 and keys go astray beside another run
