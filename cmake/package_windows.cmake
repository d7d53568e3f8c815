# Makes the installer and the zip from one list of shipped files (paths relative to the build
# folder, one a line): the files are copied into STAGE/NAME, the zip holds that folder, and the
# installer's File and Delete lines are written from the same list.
# cmake -DLIST=... -DBUILD_DIR=... -DSTAGE=... -DNAME=... -DVERSION=... -DSTRIP=... -DMAKENSIS=...
#       -DDESCRIPTION=... -DPUBLISHER=... -DCOPYRIGHT=... -DSCRIPT=velkor.nsi -DICON=...
#       -DINSTALLER=... -DZIP=... -P package_windows.cmake
file(STRINGS ${LIST} files)
set(folder ${STAGE}/${NAME})
file(REMOVE_RECURSE ${folder})
set(install "!macro velkor_install_files\n")
set(uninstall "!macro velkor_uninstall_files\n")
set(subfolders)
foreach(file ${files})
  get_filename_component(sub "${file}" DIRECTORY)
  file(COPY ${BUILD_DIR}/${file} DESTINATION ${folder}/${sub})
  # The compiler's runtime comes with its debugging information, most of its size.
  if(file MATCHES "\\.(dll|exe)$")
    execute_process(COMMAND ${STRIP} --strip-debug ${folder}/${file} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  string(REPLACE "/" "\\" windows_sub "${sub}")
  string(REPLACE "/" "\\" windows_file "${file}")
  set(out "$INSTDIR")
  if(sub)
    set(out "$INSTDIR\\${windows_sub}")
  endif()
  string(APPEND install "  SetOutPath \"${out}\"\n  File \"${folder}/${file}\"\n")
  string(APPEND uninstall "  Delete \"$INSTDIR\\${windows_file}\"\n")
  if(sub)
    list(APPEND subfolders ${windows_sub})
  endif()
endforeach()
list(REMOVE_DUPLICATES subfolders)
foreach(sub ${subfolders})
  string(APPEND uninstall "  RMDir \"$INSTDIR\\${sub}\"\n")
endforeach()
# The shortcut starts the program in its own folder.
string(APPEND install "  SetOutPath \"$INSTDIR\"\n!macroend\n")
string(APPEND uninstall "!macroend\n")
file(WRITE ${STAGE}/files.nsh "${install}${uninstall}")

file(REMOVE ${INSTALLER} ${ZIP})
execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DFILES=${STAGE}/files.nsh -DICON=${ICON} -DOUTFILE=${INSTALLER}
                        "-DDESCRIPTION=${DESCRIPTION}" "-DPUBLISHER=${PUBLISHER}" "-DCOPYRIGHT=${COPYRIGHT}" ${SCRIPT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS ${INSTALLER})
  message(FATAL_ERROR "makensis failed (${result})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${NAME}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the zip failed (${result})")
endif()
