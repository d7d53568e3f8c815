# The Windows build (scripts/build-windows.sh) run under Wine, each in a prefix of its own;
# skipped when there is none. The backend and unit tests need no display, the others make their
# own.
set(VELKOR_WINDOWS_BUILD ${PROJECT_SOURCE_DIR}/build-windows CACHE PATH
    "Folder of the Windows build that the windows tests run")
add_test(NAME windows_backend COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/backend.sh
         ${VELKOR_WINDOWS_BUILD} ${CMAKE_CURRENT_SOURCE_DIR}/data/echo_server.py)
add_test(NAME windows_units COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/units.sh
         ${VELKOR_WINDOWS_BUILD})
add_test(NAME windows_look COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/look.sh
         ${VELKOR_WINDOWS_BUILD}/test_windows_look.exe)
add_test(NAME windows_start COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/start.sh
         ${VELKOR_WINDOWS_BUILD}/velkor.exe $<TARGET_FILE:velkor>)
# The same prefix through both backends; the Linux side's dumper is built here, not installed.
add_executable(registry_dump platform/windows/registry_dump.cpp)
target_link_libraries(registry_dump PRIVATE velkor_backend velkor_core_wine velkor_core_help)
add_test(NAME windows_registry COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/registry.sh
         ${VELKOR_WINDOWS_BUILD} $<TARGET_FILE:registry_dump> ${CMAKE_CURRENT_SOURCE_DIR}/data/wine-8.0)
set(velkor_windows_package ${VELKOR_WINDOWS_BUILD}/velkor-${PROJECT_VERSION})
add_test(NAME windows_install COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/install.sh
         ${velkor_windows_package}-setup.exe ${velkor_windows_package}-windows.zip)
set_tests_properties(windows_backend windows_units windows_look windows_registry windows_start
                     windows_install
  PROPERTIES LABELS "wine;windows" SKIP_RETURN_CODE 77 TIMEOUT 300 ENVIRONMENT_MODIFICATION
  "WINE=unset:;WINEPREFIX=unset:;DISPLAY=unset:;WAYLAND_DISPLAY=unset:")
