# Tests of hosting behind a router: a home network and an "internet" built of network namespaces
# (tests/router/netns.sh), with miniupnpd as the router; root only, else they report a skip (77).
# Serial: they would fit beside each other (names are per run), but timings are part of the checks.
# The program itself hosting with a router in that network (Xvfb, xdotool, xclip); message box
# texts read through a probe loaded into it (LD_PRELOAD).
add_library(router_box_spy SHARED router/box_spy.cpp)
target_link_libraries(router_box_spy PRIVATE Qt6::Widgets)
add_test(NAME router_product COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/router/product.sh $<TARGET_FILE:velkor>
         $<TARGET_FILE:velkor_e2e_echo> $<TARGET_FILE:router_box_spy>)
set_tests_properties(router_product PROPERTIES LABELS router SKIP_RETURN_CODE 77 RUN_SERIAL TRUE TIMEOUT 300)
# The Windows build under Wine in that network, beside the Windows tests.
set(router_windows_build ${VELKOR_WINDOWS_BUILD})
if(NOT router_windows_build)
  set(router_windows_build ${PROJECT_SOURCE_DIR}/build-windows)
endif()
add_test(NAME router_windows COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/router/windows.sh ${router_windows_build}/velkor.exe)
set_tests_properties(router_windows PROPERTIES LABELS "router;windows" SKIP_RETURN_CODE 77 RUN_SERIAL TRUE TIMEOUT 300
  ENVIRONMENT_MODIFICATION "WINE=unset:;WINEPREFIX=unset:;DISPLAY=unset:;WAYLAND_DISPLAY=unset:")
