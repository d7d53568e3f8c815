# The installed tree and the Debian package: what `cmake --install` puts under DESTDIR, and what
# the .deb holds, must be a valid desktop program (desktop entry, AppStream metadata, icons) with
# the help file in the program's own folder.
#
# This file is both the test registration (included from tests/CMakeLists.txt) and the check
# itself (run with cmake -P).

if(NOT CMAKE_SCRIPT_MODE_FILE)
  foreach(check tree deb)
    add_test(NAME install_${check}
             COMMAND ${CMAKE_COMMAND} -DCHECK=${check} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                     -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DAPP_ID=${VELKOR_APP_ID}
                     -DHOMEPAGE=${VELKOR_HOMEPAGE_URL} -DVERSION=${PROJECT_VERSION}
                     -DPROGRAM_DIR=${VELKOR_INSTALL_PROGRAMDIR} -P ${CMAKE_CURRENT_LIST_FILE})
    # Both install the build tree; the lock keeps them from writing its manifest at once.
    set_tests_properties(install_${check} PROPERTIES TIMEOUT 600 RESOURCE_LOCK velkor_install)
  endforeach()
  return()
endif()

set(failures "")
# <condition> is if() syntax; it names variables rather than expanding them, so that output with
# quotes or semicolons cannot break it.
macro(expect condition message)
  cmake_language(EVAL CODE "if(${condition})\nset(expect_ok 1)\nelse()\nset(expect_ok 0)\nendif()")
  if(NOT expect_ok)
    list(APPEND failures "${message}")
    message(STATUS "FAIL: ${message}")
  endif()
endmacro()

# Runs a command; its exit code and all it printed land in <prefix>_rc and <prefix>_out.
function(run prefix)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${prefix}_rc "${rc}" PARENT_SCOPE)
  set(${prefix}_out "${out}" PARENT_SCOPE)
endfunction()

function(png_size file out)
  file(READ ${file} header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 magic)
  if(NOT magic STREQUAL "89504e470d0a1a0a")
    set(${out} "not a PNG" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${header}" 32 8 width)
  string(SUBSTRING "${header}" 40 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  set(${out} "${width}x${height}" PARENT_SCOPE)
endfunction()

# A symlink with a relative target, resolving to <target> inside the same tree.
macro(expect_link link target)
  if(IS_SYMLINK ${link})
    file(READ_SYMLINK ${link} link_target)
    expect("NOT IS_ABSOLUTE \"${link_target}\"" "${link} points to an absolute path: ${link_target}")
    file(REAL_PATH ${link} resolved)
    file(REAL_PATH ${target} wanted)
    expect("resolved STREQUAL wanted" "${link} resolves to ${resolved}, not ${wanted}")
  else()
    expect(FALSE "${link} is not a symlink")
  endif()
endmacro()

# Everything an installed tree must hold; <root> is DESTDIR, the prefix is /usr, and the command
# velkor is in <bindir>.
macro(check_tree root bindir)
  set(usr ${root}/usr)
  set(program ${usr}/${PROGRAM_DIR}/velkor)
  expect_link(${usr}/${bindir}/velkor ${program})
  expect("EXISTS ${program} AND NOT IS_DIRECTORY ${program}" "no program at ${program}")
  if(EXISTS ${program})
    file(READ ${program} elf LIMIT 4 HEX)
    expect("elf STREQUAL 7f454c46" "${program} is not an ELF file")
    run(exec test -x ${program})
    expect("exec_rc EQUAL 0" "${program} is not executable")
  endif()

  # The Help command looks for the help file in the program's own folder.
  set(chm ${usr}/share/velkor/velkorhelp.chm)
  expect_link(${usr}/${PROGRAM_DIR}/velkorhelp.chm ${chm})
  if(EXISTS ${chm})
    file(READ ${chm} itsf LIMIT 4 HEX)
    expect("itsf STREQUAL 49545346" "${chm} is not a compiled help file") # "ITSF"
  else()
    expect(FALSE "no help file at ${chm}")
  endif()

  set(desktop ${usr}/share/applications/${APP_ID}.desktop)
  if(EXISTS ${desktop})
    run(desktop desktop-file-validate ${desktop})
    expect("desktop_rc EQUAL 0 AND desktop_out STREQUAL \"\""
           "desktop-file-validate: ${desktop_rc} ${desktop_out}")
    file(STRINGS ${desktop} exec REGEX "^Exec=")
    expect("exec STREQUAL Exec=velkor" "desktop entry runs ${exec}")
    file(STRINGS ${desktop} icon REGEX "^Icon=")
    expect("icon STREQUAL Icon=${APP_ID}" "desktop entry shows ${icon}")
  else()
    expect(FALSE "no desktop entry ${desktop}")
  endif()

  set(icons ${usr}/share/icons/hicolor)
  set(svg ${icons}/scalable/apps/${APP_ID}.svg)
  if(EXISTS ${svg})
    file(READ ${svg} svg_text)
    expect("svg_text MATCHES <svg" "${svg} is not an SVG picture")
  else()
    expect(FALSE "no scalable icon ${svg}")
  endif()
  file(GLOB pngs RELATIVE ${icons} ${icons}/*/apps/*.png)
  foreach(size 16x16 24x24 32x32 48x48 64x64 128x128 256x256)
    list(FIND pngs ${size}/apps/${APP_ID}.png found)
    expect("found GREATER -1" "no ${size} icon")
  endforeach()
  foreach(png ${pngs})
    string(REGEX MATCH "^[0-9]+x[0-9]+/apps/${APP_ID}\\.png$" named "${png}")
    expect("named STREQUAL png" "icon ${png} is misplaced or misnamed")
    string(REGEX MATCH "^[0-9]+x[0-9]+" folder_size "${png}")
    png_size(${icons}/${png} actual)
    expect("actual STREQUAL folder_size" "icon ${png} is ${actual}")
  endforeach()

  set(metainfo ${usr}/share/metainfo/${APP_ID}.metainfo.xml)
  if(EXISTS ${metainfo})
    # Every issue counts, down to the pedantic hints; --strict alone lets those pass.
    run(appstream appstreamcli validate --no-net --strict --pedantic --explain ${metainfo})
    expect("appstream_rc EQUAL 0 AND NOT appstream_out MATCHES \"(^|\\n) *[EWIP]: \""
           "appstreamcli validate:\n${appstream_out}")
    run(tree appstreamcli validate-tree --no-net --strict --pedantic --explain ${root})
    expect("tree_rc EQUAL 0 AND NOT tree_out MATCHES \"(^|\\n) *[EWIP]: \""
           "appstreamcli validate-tree:\n${tree_out}")
    # The site serves docs/: each screenshot named there must be one the README shows.
    file(STRINGS ${metainfo} images REGEX "<image>")
    expect("images" "no screenshots in ${metainfo}")
    foreach(image ${images})
      string(REGEX REPLACE ".*<image>(.*)</image>.*" "\\1" url "${image}")
      string(FIND "${url}" "${HOMEPAGE}screenshots/" at)
      expect("at EQUAL 0 AND url MATCHES ^https://"
             "screenshot ${url} is not an https URL under ${HOMEPAGE}screenshots/")
      get_filename_component(name "${url}" NAME)
      expect("EXISTS ${SOURCE_DIR}/docs/screenshots/${name}" "docs/screenshots/ lacks ${name}")
    endforeach()
  else()
    expect(FALSE "no AppStream metadata ${metainfo}")
  endif()

  set(man ${usr}/share/man/man6/velkor.6.gz)
  if(EXISTS ${man})
    file(READ ${man} gz LIMIT 2 HEX)
    expect("gz STREQUAL 1f8b" "${man} is not compressed")
  else()
    expect(FALSE "no manual page ${man}")
  endif()
  run(changelog gzip -dc ${usr}/share/doc/velkor/changelog.gz)
  expect("changelog_rc EQUAL 0 AND changelog_out MATCHES \"^velkor [(]${VERSION}[)] \""
         "the changelog's first entry is not for version ${VERSION}")

  # The licence, told alike by the Debian copyright file (machine-readable) and the metadata.
  set(copyright ${usr}/share/doc/velkor/copyright)
  if(EXISTS ${copyright})
    file(READ ${copyright} copyright_text)
    set(dep5 "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")
    string(FIND "${copyright_text}" "${dep5}" at)
    expect("at EQUAL 0" "${copyright} is not in the machine-readable format")
    expect("copyright_text MATCHES \"\nFiles: [*]\nCopyright: [^\n]+\nLicense: GPL-3[+]\n\""
           "${copyright} does not put all files under GPL-3+")
    # Each licence named has a paragraph of its own, and only one.
    string(REGEX MATCHALL "\nLicense: [^\n]+" licenses "${copyright_text}")
    foreach(license ${licenses})
      string(REPLACE "\n${license}\n" "" without "${copyright_text}")
      string(LENGTH "${copyright_text}" before)
      string(LENGTH "${without}" after)
      string(LENGTH "\n${license}\n" size)
      math(EXPR count "(${before} - ${after}) / ${size}")
      string(STRIP "${license}" license)
      expect("count EQUAL 1" "${copyright} has ${count} paragraphs for \"${license}\"")
    endforeach()
  else()
    expect(FALSE "no copyright file ${copyright}")
  endif()
  if(EXISTS ${metainfo})
    file(STRINGS ${metainfo} project_license REGEX "<project_license>")
    expect("project_license MATCHES \"<project_license>GPL-3[.]0-or-later</\""
           "the metadata's licence is not GPL-3.0-or-later: ${project_license}")
  endif()
endmacro()

set(work ${BUILD_DIR}/test-install/${CHECK})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})

if(CHECK STREQUAL "tree")
  run(install ${CMAKE_COMMAND} -E env DESTDIR=${work}/root ${CMAKE_COMMAND} --install
      ${BUILD_DIR} --prefix /usr)
  expect("install_rc EQUAL 0" "cmake --install failed:\n${install_out}")
  check_tree(${work}/root bin)
  set(license ${work}/root/usr/share/doc/velkor/LICENSE)
  if(EXISTS ${license})
    file(SHA256 ${license} installed)
    file(SHA256 ${SOURCE_DIR}/LICENSE wanted)
    expect("installed STREQUAL wanted" "${license} differs from the LICENSE file")
  else()
    expect(FALSE "no licence text ${license}")
  endif()
elseif(CHECK STREQUAL "deb")
  run(cpack cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${work})
  file(GLOB debs ${work}/velkor_*.deb)
  list(LENGTH debs count)
  expect("cpack_rc EQUAL 0 AND count EQUAL 1" "cpack made ${count} packages:\n${cpack_out}")
  if(count EQUAL 1)
    get_filename_component(deb_name ${debs} NAME)
    expect("deb_name MATCHES \"^velkor_${VERSION}_[a-z0-9]+[.]deb$\""
           "package file is called ${deb_name}")
    run(fields dpkg-deb --field ${debs})
    message(STATUS "control fields:\n${fields_out}")
    foreach(field "Package: velkor" "Version: ${VERSION}" "Section: games" "Priority: optional"
                  "Recommends: wine" "Maintainer: [^\n]+<[^\n]+@[^\n]+>"
                  "Description: [^\n]+\n [^\n]+")
      expect("fields_out MATCHES \"(^|\\n)${field}\"" "control lacks \"${field}\"")
    endforeach()
    # dpkg-shlibdeps finds the libraries the program links, with their Debian package names;
    # libcurl, opened at run time, is declared.
    string(REGEX MATCH "(^|\n)Depends: [^\n]*" depends "${fields_out}")
    foreach(library libc6 libstdc[+][+]6 libqt6core6 libqt6gui6 libqt6widgets6 libcurl4)
      expect("depends MATCHES \"[ ,]${library}[ ,]\"" "Depends lacks ${library}: ${depends}")
    endforeach()

    run(contents dpkg-deb --contents ${debs})
    string(REPLACE "\n" ";" entries "${contents_out}")
    foreach(entry ${entries})
      expect("entry MATCHES \"^[-dl][rwx-]+ root/root \""
             "not owned by root: ${entry}")
    endforeach()

    run(extract dpkg-deb --extract ${debs} ${work}/root)
    expect("extract_rc EQUAL 0" "dpkg-deb --extract failed: ${extract_out}")
    # Debian keeps the programs of section games in /usr/games, and only there.
    check_tree(${work}/root games)
    expect("NOT EXISTS ${work}/root/usr/bin/velkor" "the package has usr/bin/velkor")
    run(sections readelf --section-headers ${work}/root/usr/${PROGRAM_DIR}/velkor)
    expect("NOT sections_out MATCHES [.]debug_info"
           "the packaged program is not stripped")
    # Debian has the licence's text in /usr/share/common-licenses and wants no copy of it.
    expect("NOT EXISTS ${work}/root/usr/share/doc/velkor/LICENSE" "the package has a LICENSE")
    find_program(LINTIAN lintian)
    if(LINTIAN)
      run(lintian ${LINTIAN} --no-cfg --display-info --pedantic ${debs})
      message(STATUS "lintian:\n${lintian_out}")
      expect("lintian_rc LESS 2" "lintian failed: ${lintian_rc}") # 1: it found something
      string(REGEX MATCHALL "[^\n]*(copyright|licen[cs]e)[^\n]*" about_licence "${lintian_out}")
      string(JOIN "\n" about_licence ${about_licence})
      expect("about_licence STREQUAL \"\"" "lintian on the licence:\n${about_licence}")
    else()
      message(STATUS "lintian is not installed: the copyright file is not checked with it")
    endif()
  endif()
else()
  message(FATAL_ERROR "unknown check ${CHECK}")
endif()

if(failures)
  list(LENGTH failures count)
  message(FATAL_ERROR "${count} install checks failed")
endif()
file(REMOVE_RECURSE ${work})
message(STATUS "install ${CHECK}: all checks passed")
