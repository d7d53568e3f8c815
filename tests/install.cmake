# The installed tree and the .deb must each be a valid desktop program with the help file in the
# program's folder. Included, registers the tests; run with cmake -DCHECK=tree|deb ... -P, checks.
if(NOT CMAKE_SCRIPT_MODE_FILE)
  foreach(check tree deb)
    add_test(NAME install_${check} COMMAND ${CMAKE_COMMAND} -DCHECK=${check} -DBUILD_DIR=${CMAKE_BINARY_DIR}
             -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DAPP_ID=${VELKOR_APP_ID} -DVERSION=${PROJECT_VERSION}
             -DPROGRAM_DIR=${VELKOR_INSTALL_PROGRAMDIR} -P ${CMAKE_CURRENT_LIST_FILE})
    # Both install the build tree; the lock keeps them from writing its manifest at once.
    set_tests_properties(install_${check} PROPERTIES TIMEOUT 600 RESOURCE_LOCK velkor_install)
  endforeach()
  return()
endif()

set(failures 0)
# CONDITION in if() syntax names variables rather than expanding them: quotes in output are safe.
macro(expect condition message)
  cmake_language(EVAL CODE "if(${condition})\nset(expect_ok 1)\nelse()\nset(expect_ok 0)\nendif()")
  if(NOT expect_ok)
    math(EXPR failures "${failures} + 1")
    message(STATUS "FAIL: ${message}")
  endif()
endmacro()
macro(run prefix) # <prefix>_rc, <prefix>_out: exit code and all output of a command
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE ${prefix}_rc OUTPUT_VARIABLE ${prefix}_out ERROR_VARIABLE ${prefix}_out)
endmacro()

# check_tree(ROOT BINDIR): DESTDIR ROOT, prefix /usr, the command velkor in BINDIR.
macro(check_tree root bindir)
  set(usr ${root}/usr)
  # The command and the help file are relative links into the program's folder, where Help looks.
  foreach(link ${bindir}/velkor ${PROGRAM_DIR}/velkorhelp.chm)
    file(READ_SYMLINK ${usr}/${link} target)
    expect("NOT IS_ABSOLUTE \"${target}\"" "${link} -> ${target}")
  endforeach()
  file(REAL_PATH ${usr}/${bindir}/velkor program)
  file(READ ${program} elf LIMIT 4 HEX)
  file(READ ${usr}/${PROGRAM_DIR}/velkorhelp.chm itsf LIMIT 4 HEX)
  expect("program STREQUAL \"${usr}/${PROGRAM_DIR}/velkor\" AND elf STREQUAL 7f454c46 AND itsf STREQUAL 49545346"
         "no program in ${PROGRAM_DIR} or no compiled help file beside it")
  set(desktop ${usr}/share/applications/${APP_ID}.desktop)
  run(desktop desktop-file-validate ${desktop})
  file(STRINGS ${desktop} lines REGEX "^(Exec|Icon)=")
  expect("desktop_rc EQUAL 0 AND desktop_out STREQUAL \"\" AND lines STREQUAL \"Icon=${APP_ID};Exec=velkor\""
         "desktop entry: ${desktop_rc} ${desktop_out} ${lines}")
  # Every issue counts, down to the pedantic hints.
  set(metainfo ${usr}/share/metainfo/${APP_ID}.metainfo.xml)
  run(appstream appstreamcli validate --no-net --strict --pedantic --explain ${metainfo})
  run(tree appstreamcli validate-tree --no-net --strict --pedantic --explain ${root})
  string(APPEND appstream_out "${tree_out}")
  expect("appstream_rc EQUAL 0 AND tree_rc EQUAL 0 AND NOT appstream_out MATCHES \"(^|\\n) *[EWIP]: \""
         "appstreamcli:\n${appstream_out}")
  # The licence, told alike by the machine-readable copyright file and the metadata.
  file(READ ${usr}/share/doc/velkor/copyright copyright)
  file(STRINGS ${metainfo} license REGEX "<project_license>")
  expect("copyright MATCHES \"^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n.*\nFiles: [*]\nCopyright: [^\n]+\nLicense: GPL-3[+]\n\" AND license MATCHES \"<project_license>GPL-3[.]0-or-later</\""
         "the copyright file and the metadata must put all files under GPL-3+")
endmacro()

set(work ${BUILD_DIR}/test-install/${CHECK})
file(REMOVE_RECURSE ${work})
if(CHECK STREQUAL "tree")
  run(install ${CMAKE_COMMAND} -E env DESTDIR=${work}/root ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr)
  expect("install_rc EQUAL 0" "cmake --install failed:\n${install_out}")
  check_tree(${work}/root bin)
  execute_process(COMMAND cmp ${SOURCE_DIR}/LICENSE ${work}/root/usr/share/doc/velkor/LICENSE RESULT_VARIABLE differs)
  expect("differs EQUAL 0" "no copy of LICENSE")
else()
  run(cpack cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${work})
  file(GLOB deb ${work}/velkor_${VERSION}_*.deb)
  run(fields dpkg-deb --field ${deb})
  run(extract dpkg-deb --extract ${deb} ${work}/root)
  # libcurl is opened at run time, so dpkg-shlibdeps cannot find it: it must be declared.
  expect("cpack_rc EQUAL 0 AND extract_rc EQUAL 0 AND fields_out MATCHES \"\nDepends: [^\n]*libqt6widgets6\" AND fields_out MATCHES \"\nDepends: [^\n]*libcurl4\""
         "no package, or its Depends lacks Qt or libcurl:\n${cpack_out}${fields_out}")
  # Debian keeps games in /usr/games alone, and the licence's text in /usr/share/common-licenses.
  check_tree(${work}/root games)
  expect("NOT EXISTS ${work}/root/usr/bin/velkor AND NOT EXISTS ${work}/root/usr/share/doc/velkor/LICENSE"
         "the package has usr/bin/velkor or a LICENSE")
  run(lintian lintian --no-cfg --display-info --pedantic ${deb})
  string(REGEX MATCHALL "[^\n]*(copyright|licen[cs]e)[^\n]*" about_licence "${lintian_out}")
  expect("lintian_rc LESS 2 AND about_licence STREQUAL \"\"" "lintian on the licence:\n${about_licence}")
endif()
if(failures)
  message(FATAL_ERROR "install ${CHECK}: ${failures} checks failed")
endif()
file(REMOVE_RECURSE ${work})
message(STATUS "install ${CHECK}: all checks passed")
