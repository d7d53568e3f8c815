# Compiles the help file velkorhelp.chm from the sources in help/ into the program's folder.
# chmcmd's exit status alone cannot be trusted, so compile_help.cmake checks its output too.

find_program(VELKOR_CHMCMD chmcmd REQUIRED)

file(GLOB velkor_help_sources CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/help/*.htm ${CMAKE_CURRENT_SOURCE_DIR}/help/*.css
  ${CMAKE_CURRENT_SOURCE_DIR}/help/*.txt ${CMAKE_CURRENT_SOURCE_DIR}/help/*.hhp
  ${CMAKE_CURRENT_SOURCE_DIR}/help/*.hhc ${CMAKE_CURRENT_SOURCE_DIR}/help/*.hhk)
set(VELKOR_HELP_FILE ${CMAKE_BINARY_DIR}/velkorhelp.chm)

add_custom_command(OUTPUT ${VELKOR_HELP_FILE}
  COMMAND ${CMAKE_COMMAND} -DCHMCMD=${VELKOR_CHMCMD}
          -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/help
          -DWORK_DIR=${CMAKE_BINARY_DIR}/help-build -DOUTPUT=${VELKOR_HELP_FILE}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/help/compile_help.cmake
  DEPENDS ${velkor_help_sources} ${CMAKE_CURRENT_SOURCE_DIR}/help/compile_help.cmake
  COMMENT "Compiling the help file velkorhelp.chm"
  VERBATIM)
add_custom_target(velkor_help_file ALL DEPENDS ${VELKOR_HELP_FILE})
add_dependencies(velkor velkor_help_file)
