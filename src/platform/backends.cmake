# The backend behind the seam, chosen by the system the program is built for: adapters from the
# seam's interfaces to the system's own calls. It defines platform::createBackend(). What both
# backends do alike through Qt is in platform/common.

file(GLOB backend_sources CONFIGURE_DEPENDS ${velkor_src}/platform/common/*.cpp
     ${velkor_src}/platform/common/*.h)
if(WIN32)
  file(GLOB os_sources CONFIGURE_DEPENDS ${velkor_src}/platform/windows/*.cpp
       ${velkor_src}/platform/windows/*.h)
else()
  file(GLOB os_sources CONFIGURE_DEPENDS ${velkor_src}/platform/linux/*.cpp
       ${velkor_src}/platform/linux/*.h)
endif()
add_library(velkor_backend STATIC ${backend_sources} ${os_sources})
target_include_directories(velkor_backend PUBLIC ${velkor_src})
target_link_libraries(velkor_backend PUBLIC velkor_seam PRIVATE velkor_core_win32
                      velkor_core_router velkor_core_net Qt6::Widgets)
if(WIN32)
  # hhctrl.ocx is loaded at run time, as Windows programs do (see windows_help.cpp).
  target_link_libraries(velkor_backend PRIVATE advapi32 shell32 ws2_32 winhttp version ole32
                        oleaut32)
else()
  target_include_directories(velkor_backend PRIVATE ${CURL_INCLUDE_DIRS})
  # libcurl is opened at run time, on the first download (see linux_downloads.cpp).
  target_link_libraries(velkor_backend PRIVATE velkor_core_wine velkor_core_helpfile
                        velkor_gui_helpviewer ${CMAKE_DL_LIBS})
endif()
target_include_directories(velkor_backend PRIVATE ${MINIUPNPC_INCLUDE_DIR} ${NATPMP_INCLUDE_DIR})
target_link_libraries(velkor_backend PRIVATE ${MINIUPNPC_LIBRARY} ${NATPMP_LIBRARY})
if(WIN32)
  # The static miniupnpc and libnatpmp, and what they call in Windows; ws2_32 again after them,
  # as the linker resolves an archive only from what follows it.
  target_compile_definitions(velkor_backend PRIVATE MINIUPNP_STATICLIB NATPMP_STATICLIB)
  target_link_libraries(velkor_backend PRIVATE ws2_32 iphlpapi)
endif()
