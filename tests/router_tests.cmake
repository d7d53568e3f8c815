# Tests of hosting behind a router: a home network and an "internet" built of network namespaces
# (tests/router/netns.sh), with miniupnpd as the router; root only, else they report a skip (77).
# Serial: they would fit beside each other (names are per run), but timings are part of the checks.
add_test(NAME router_harness COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/router/harness.sh)
set_tests_properties(router_harness PROPERTIES LABELS router SKIP_RETURN_CODE 77 RUN_SERIAL TRUE TIMEOUT 120)
