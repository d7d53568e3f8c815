# The Windows build (scripts/build-windows.sh) run under Wine, each in a prefix of its own;
# skipped when there is none. The backend test needs no display, the start test makes its own.
set(VELKOR_WINDOWS_BUILD ${PROJECT_SOURCE_DIR}/build-windows CACHE PATH
    "Folder of the Windows build that the windows tests run")
add_test(NAME windows_backend COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/backend.sh
         ${VELKOR_WINDOWS_BUILD} ${CMAKE_CURRENT_SOURCE_DIR}/data/echo_server.py)
add_test(NAME windows_start COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/start.sh
         ${VELKOR_WINDOWS_BUILD}/velkor.exe $<TARGET_FILE:velkor>)
set_tests_properties(windows_backend windows_start PROPERTIES LABELS "wine;windows"
  SKIP_RETURN_CODE 77 TIMEOUT 300 ENVIRONMENT_MODIFICATION
  "WINE=unset:;WINEPREFIX=unset:;DISPLAY=unset:;WAYLAND_DISPLAY=unset:")
