# Tests against one real Wine prefix (label wine), which wine_prefix builds; the others share it
# one at a time.
set(wine_dir ${CMAKE_CURRENT_BINARY_DIR}/wine)
set(wine_tests wine_prefix wine_launch wine_helpRegistration)
add_test(NAME wine_prefix COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/make_prefix.sh ${wine_dir})
add_executable(test_wine_peer wine/test_wine_peer.cpp)
target_link_libraries(test_wine_peer PRIVATE velkor_fakes velkor_backend velkor_gui_main
                      velkor_core_help velkor_core_launchers)
foreach(function launch helpRegistration)
  add_test(NAME wine_${function} COMMAND test_wine_peer ${function})
endforeach()
set_tests_properties(${wine_tests} PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600 RESOURCE_LOCK wine_prefix
  FIXTURES_REQUIRED wine_prefix ENVIRONMENT_MODIFICATION "DISPLAY=unset:;WAYLAND_DISPLAY=unset:;WINE=unset:"
  ENVIRONMENT "WINEPREFIX=${wine_dir}/prefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${wine_dir}/config;XDG_RUNTIME_DIR=${wine_dir}/runtime")
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix FIXTURES_REQUIRED "")
