# Tests against a real Wine prefix (label "wine"). One prefix per test run: the fixture test
# wine_prefix builds it in the build folder with wineboot, the others share it one at a time.
# Without Wine every one of them reports itself skipped.

set(velkor_wine_dir ${CMAKE_CURRENT_BINARY_DIR}/wine)

add_test(NAME wine_prefix
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/make_prefix.sh ${velkor_wine_dir})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix)

add_executable(test_wine_peer wine/test_wine_peer.cpp)
target_link_libraries(test_wine_peer PRIVATE velkor_fakes)

# name: the Qt test functions it runs
set(velkor_wine_tests
    "wine_launch:launchReachesTheGame"
    "wine_alternative_load:alternativeLoadReachesTheGame"
    "wine_settings_written:settingsWritten"
    "wine_settings_read_back:settingsReadBack"
    "wine_help_registration:helpRegistrationSeenByWine"
    "wine_hhctrl_version:hhctrlVersionFromWinesFile")
foreach(entry ${velkor_wine_tests})
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 name)
  list(GET parts 1 function)
  add_test(NAME ${name} COMMAND test_wine_peer ${function})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
endforeach()
# The second run reads what the first one saved: a real restart.
set_tests_properties(wine_settings_written PROPERTIES FIXTURES_SETUP wine_settings)
set_tests_properties(wine_settings_read_back PROPERTIES FIXTURES_REQUIRED "wine_prefix;wine_settings")

set(velkor_wine_all wine_prefix)
foreach(entry ${velkor_wine_tests})
  string(REGEX REPLACE ":.*" "" name ${entry})
  list(APPEND velkor_wine_all ${name})
endforeach()
set_tests_properties(${velkor_wine_all} PROPERTIES
  LABELS wine
  SKIP_RETURN_CODE 77
  TIMEOUT 600
  # One wineserver and one hive: never two at once.
  RESOURCE_LOCK wine_prefix
  ENVIRONMENT "WINEPREFIX=${velkor_wine_dir}/prefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${velkor_wine_dir}/config;XDG_RUNTIME_DIR=${velkor_wine_dir}/runtime"
  ENVIRONMENT_MODIFICATION "DISPLAY=unset:;WAYLAND_DISPLAY=unset:;WINE=unset:")
