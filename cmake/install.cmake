# Installation as a desktop program, and the Debian package CPack makes of it.
#
# The Help command opens velkorhelp.chm in the program's own folder. So the program lives in a
# private folder (libexec/velkor, where Debian keeps a program's own executables) and bin/velkor is
# a symlink to it: Qt finds the program's folder through /proc/self/exe, past the link. The help
# file is data and goes to share/velkor, linked into the program's folder.
# The Debian package is in section games, whose programs Debian wants in /usr/games: the package
# takes that link (component games_link) instead of bin/velkor (component bin_link).

include(GNUInstallDirs)

# The reverse-DNS id names the desktop entry, the icon and the AppStream metadata alike.
set(VELKOR_APP_ID io.github.velkor.velkor)
set(VELKOR_HOMEPAGE_URL "https://velkor.example/" CACHE STRING
    "Project web site; it serves docs/, so the screenshots named in the AppStream metadata are under <site>screenshots/")
set(VELKOR_MAINTAINER "Velkor developers <velkor@drovane.example>" CACHE STRING
    "Maintainer of the Debian package")
set(VELKOR_INSTALL_PROGRAMDIR ${CMAKE_INSTALL_LIBEXECDIR}/velkor CACHE STRING
    "Folder below the prefix for the program and the files it expects beside it")
if(NOT VELKOR_HOMEPAGE_URL MATCHES "/$")
  string(APPEND VELKOR_HOMEPAGE_URL "/")
endif()

set(velkor_packaging ${CMAKE_CURRENT_BINARY_DIR}/packaging)
configure_file(packaging/velkor.desktop.in ${velkor_packaging}/${VELKOR_APP_ID}.desktop @ONLY)
configure_file(packaging/velkor.metainfo.xml.in ${velkor_packaging}/${VELKOR_APP_ID}.metainfo.xml
               @ONLY)
configure_file(packaging/copyright.in ${velkor_packaging}/copyright @ONLY)

# Relative links, so the tree works wherever DESTDIR, the prefix or the package puts it.
function(velkor_install_link link_dir name target_path)
  file(RELATIVE_PATH target /${link_dir} /${target_path})
  file(MAKE_DIRECTORY ${velkor_packaging}/links/${link_dir})
  file(CREATE_LINK ${target} ${velkor_packaging}/links/${link_dir}/${name} SYMBOLIC)
  install(FILES ${velkor_packaging}/links/${link_dir}/${name} DESTINATION ${link_dir} ${ARGN})
endfunction()

set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME velkor)
install(TARGETS velkor RUNTIME DESTINATION ${VELKOR_INSTALL_PROGRAMDIR})
velkor_install_link(${CMAKE_INSTALL_BINDIR} velkor ${VELKOR_INSTALL_PROGRAMDIR}/velkor
                    COMPONENT bin_link)
velkor_install_link(games velkor ${VELKOR_INSTALL_PROGRAMDIR}/velkor
                    COMPONENT games_link EXCLUDE_FROM_ALL)

if(VELKOR_HELP_FILE) # made by help/help.cmake
  install(FILES ${VELKOR_HELP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/velkor)
  get_filename_component(help_name ${VELKOR_HELP_FILE} NAME)
  velkor_install_link(${VELKOR_INSTALL_PROGRAMDIR} ${help_name}
                      ${CMAKE_INSTALL_DATADIR}/velkor/${help_name})
else()
  message(WARNING "No help file: the installed program's Help command will find nothing")
endif()

install(FILES ${velkor_packaging}/${VELKOR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${velkor_packaging}/${VELKOR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/ICON1.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VELKOR_APP_ID}.svg)
file(GLOB velkor_icon_sizes CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/resources/icons/hicolor
     ${PROJECT_SOURCE_DIR}/resources/icons/hicolor/*/apps/velkor.png)
foreach(icon ${velkor_icon_sizes})
  get_filename_component(size_dir ${icon} DIRECTORY)
  install(FILES resources/icons/hicolor/${icon}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size_dir} RENAME ${VELKOR_APP_ID}.png)
endforeach()

# Debian wants the manual page and the changelog compressed, and reproducibly (no name or time in
# the header).
foreach(file velkor.6 changelog)
  add_custom_command(OUTPUT ${velkor_packaging}/${file}.gz
                     COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/${file} > ${file}.gz
                     DEPENDS packaging/${file} WORKING_DIRECTORY ${velkor_packaging} VERBATIM)
endforeach()
add_custom_target(velkor_packaging_files ALL
                  DEPENDS ${velkor_packaging}/velkor.6.gz ${velkor_packaging}/changelog.gz)
install(FILES ${velkor_packaging}/velkor.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${velkor_packaging}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkor)
install(FILES README.md ${velkor_packaging}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkor)
# The copyright file points to the licence's full text in /usr/share/common-licenses, where the
# package finds it (Debian wants no second copy); other systems get the text itself.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkor COMPONENT license_text)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
# Every component installed so far, the games link instead of the bin one, and no licence text.
get_cmake_property(CPACK_COMPONENTS_ALL COMPONENTS)
list(REMOVE_ITEM CPACK_COMPONENTS_ALL bin_link license_text)
set(CPACK_PACKAGE_NAME velkor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velkor developers")
set(CPACK_PACKAGE_CONTACT ${VELKOR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multiplayer launcher for Populous: The Beginning")
set(CPACK_PACKAGE_DESCRIPTION
    "Velkor sets up direct-address (TCP/IP) multiplayer games of Populous: The
Beginning and its expansion Undiscovered Worlds, played under Wine. Pick a
game, host or join, with or without a router, type your name and the host's
address, and Velkor starts the game with the right command line. It finds the
game in the Wine prefix, lists the local addresses, can ask a web page for
the external one, and opens the game's port on a home router (UPnP or
NAT-PMP) while hosting.
.
The game itself is not included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELKOR_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl is opened at run time, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4 | libcurl3-gnutls")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/")
include(CPack)
