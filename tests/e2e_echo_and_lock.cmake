# The built program under Xvfb: hostile address-echo answers from a loopback server must not
# reach the game's command line, and planted single-instance locks must not stop a start while
# a live Velkor does. Skips (77) without xvfb-run or xdotool.
#
# The echo runs use the program linked with a page named by the environment instead of the
# configured one; nothing else differs. The product itself has no such setting.
add_executable(velkor_e2e_echo ${PROJECT_SOURCE_DIR}/src/app/main.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/e2e/loopback_echo_page.cpp)
target_link_libraries(velkor_e2e_echo PRIVATE velkor_app velkor_backend)
add_test(NAME e2e_echo_and_lock
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/echo_and_lock.sh $<TARGET_FILE:velkor>
                 $<TARGET_FILE:velkor_e2e_echo> ${CMAKE_CURRENT_SOURCE_DIR}/data/echo_server.py)
set_tests_properties(e2e_echo_and_lock PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 300)
