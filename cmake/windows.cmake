# The Windows program: a windowed executable (no console beside it) with its icon, and beside it
# in the build folder everything it needs to run, so that the folder itself is the program.

set_target_properties(velkor PROPERTIES WIN32_EXECUTABLE ON)

# The icon Explorer and the taskbar show, packed from the window icon's pictures.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(velkor_icon_pictures)
foreach(size 16 24 32 48)
  list(APPEND velkor_icon_pictures
       ${PROJECT_SOURCE_DIR}/resources/icons/hicolor/${size}x${size}/apps/velkor.png)
endforeach()
list(APPEND velkor_icon_pictures ${PROJECT_SOURCE_DIR}/resources/ICON1.png)
set(velkor_windows ${CMAKE_CURRENT_BINARY_DIR}/windows)
add_custom_command(OUTPUT ${velkor_windows}/velkor.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${velkor_windows}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/make_ico.py ${velkor_windows}/velkor.ico
          ${velkor_icon_pictures}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/make_ico.py ${velkor_icon_pictures} VERBATIM)
# Beside the icon, the manifest (the common controls' visual style, Windows 10 and 11, no elevation,
# per-monitor DPI) and the version Explorer's file properties show. The installer carries the same
# version, publisher and copyright.
set(VELKOR_PUBLISHER "Velkor developers")
set(VELKOR_COPYRIGHT "Copyright (C) 2026 Velkor developers")
set(VELKOR_VERSION_4 ${PROJECT_VERSION}.0)
string(REPLACE "." "," VELKOR_VERSION_COMMAS ${VELKOR_VERSION_4})
configure_file(${PROJECT_SOURCE_DIR}/packaging/velkor.manifest.in ${velkor_windows}/velkor.manifest
               @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/velkor.rc.in ${velkor_windows}/velkor.rc @ONLY)
set_source_files_properties(${velkor_windows}/velkor.rc PROPERTIES
                            OBJECT_DEPENDS "${velkor_windows}/velkor.ico;${velkor_windows}/velkor.manifest")
target_sources(velkor PRIVATE ${velkor_windows}/velkor.rc)

# Qt's libraries and the plugins the program loads: the Windows platform (offscreen for tests),
# the style, and GIF for the animations and the about picture. PNG is built into Qt.
set(velkor_runtime_files)
foreach(library Core Gui Widgets)
  list(APPEND velkor_runtime_files $<TARGET_FILE:Qt6::${library}>)
endforeach()
set(velkor_plugins platforms:QWindowsIntegrationPlugin platforms:QOffscreenIntegrationPlugin
    styles:QWindowsVistaStylePlugin imageformats:QGifPlugin)
# The compiler's runtime, which Qt's libraries were linked against.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler has no ${runtime}")
  endif()
  list(APPEND velkor_runtime_files ${path})
endforeach()

set(copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${velkor_runtime_files}
           $<TARGET_FILE_DIR:velkor>)
foreach(plugin ${velkor_plugins})
  string(REPLACE ":" ";" plugin ${plugin})
  list(GET plugin 0 folder)
  list(GET plugin 1 target)
  list(APPEND copies
       COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:velkor>/${folder}
       COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::${target}>
               $<TARGET_FILE_DIR:velkor>/${folder})
endforeach()
add_custom_command(TARGET velkor POST_BUILD ${copies} VERBATIM)

# The licences the program comes with: Velkor's (GPL-3.0-or-later), that of Qt's libraries
# (LGPL-3, which is written as additions to the GPL), and those of miniupnpc and libnatpmp
# (BSD-3-Clause, whose notice goes wherever their static libraries, linked into velkor.exe, go),
# from their install folders.
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt COPYONLY)
configure_file(/usr/share/common-licenses/LGPL-3 ${CMAKE_BINARY_DIR}/LGPL-3.txt COPYONLY)
foreach(library miniupnpc:MINIUPNPC:build-router-windows libnatpmp:NATPMP:build-natpmp-windows)
  string(REPLACE ":" ";" library ${library})
  list(GET library 0 name)
  list(GET library 1 variable)
  list(GET library 2 script)
  # miniupnpc's headers are in include/miniupnpc, libnatpmp's in include.
  string(REGEX REPLACE "/include(/.*)?$" "" prefix ${${variable}_INCLUDE_DIR})
  set(license ${prefix}/share/doc/${name}/LICENSE)
  if(NOT EXISTS ${license})
    message(FATAL_ERROR "${name}'s licence is not at ${license} (scripts/${script}.sh puts it there)")
  endif()
  configure_file(${license} ${CMAKE_BINARY_DIR}/LICENSE-${name}.txt COPYONLY)
endforeach()

# What a player gets, the one list both the installer and the zip are made from: the program and
# the files beside it that it needs, relative to the build folder. Not the offscreen plugin nor
# the tests' files, which the build folder also holds.
set(velkor_shipped velkor.exe velkor-firewall.exe velkorhelp.chm
    LICENSE.txt LGPL-3.txt LICENSE-miniupnpc.txt LICENSE-libnatpmp.txt)
foreach(library Core Gui Widgets)
  list(APPEND velkor_shipped $<TARGET_FILE_NAME:Qt6::${library}>)
endforeach()
list(APPEND velkor_shipped libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
foreach(plugin platforms:QWindowsIntegrationPlugin styles:QWindowsVistaStylePlugin
               imageformats:QGifPlugin)
  string(REPLACE ":" ";" plugin ${plugin})
  list(GET plugin 0 folder)
  list(GET plugin 1 target)
  list(APPEND velkor_shipped ${folder}/$<TARGET_FILE_NAME:Qt6::${target}>)
endforeach()
file(GENERATE OUTPUT ${velkor_windows}/shipped.txt CONTENT "$<JOIN:${velkor_shipped},\n>\n")

# The installer (NSIS) and the zip, both built with the program.
find_program(VELKOR_MAKENSIS makensis REQUIRED)
set(velkor_package velkor-${PROJECT_VERSION})
set(velkor_installer ${CMAKE_BINARY_DIR}/${velkor_package}-setup.exe)
set(velkor_zip ${CMAKE_BINARY_DIR}/${velkor_package}-windows.zip)
add_custom_command(OUTPUT ${velkor_installer} ${velkor_zip}
  COMMAND ${CMAKE_COMMAND} -DLIST=${velkor_windows}/shipped.txt -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DSTAGE=${velkor_windows}/package -DNAME=${velkor_package} -DVERSION=${PROJECT_VERSION}
          -DSTRIP=${CMAKE_STRIP} -DMAKENSIS=${VELKOR_MAKENSIS}
          "-DDESCRIPTION=${PROJECT_DESCRIPTION}" "-DPUBLISHER=${VELKOR_PUBLISHER}"
          "-DCOPYRIGHT=${VELKOR_COPYRIGHT}"
          -DSCRIPT=${PROJECT_SOURCE_DIR}/packaging/velkor.nsi
          -DICON=${velkor_windows}/velkor.ico -DINSTALLER=${velkor_installer} -DZIP=${velkor_zip}
          -P ${PROJECT_SOURCE_DIR}/cmake/package_windows.cmake
  DEPENDS velkor velkor-firewall ${VELKOR_HELP_FILE} ${velkor_windows}/shipped.txt ${velkor_windows}/velkor.ico
          ${PROJECT_SOURCE_DIR}/packaging/velkor.nsi ${PROJECT_SOURCE_DIR}/cmake/package_windows.cmake
  COMMENT "Making ${velkor_package}-setup.exe and ${velkor_package}-windows.zip" VERBATIM)
add_custom_target(velkor_packages ALL DEPENDS ${velkor_installer} ${velkor_zip})
