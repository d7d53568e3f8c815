# cmake -DCHMCMD=... -DSOURCE_DIR=... -DWORK_DIR=... -DOUTPUT=... -P compile_help.cmake
# Runs chmcmd on a fresh copy of the help sources and installs the result as OUTPUT only when
# chmcmd exited with 0, reported no "Error:" line and wrote a file that is not empty.

foreach(var CHMCMD SOURCE_DIR WORK_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compile_help.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(GLOB sources ${SOURCE_DIR}/*)
list(FILTER sources EXCLUDE REGEX "\\.cmake$")
file(COPY ${sources} DESTINATION ${WORK_DIR})

# chmcmd writes the file named in the project relative to the folder it runs in.
execute_process(COMMAND ${CHMCMD} velkorhelp.hhp
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
set(log "${out}${err}")
set(compiled ${WORK_DIR}/velkorhelp.chm)

set(problem "")
if(NOT result STREQUAL "0")
  set(problem "chmcmd exited with ${result}")
elseif(log MATCHES "(^|\n)[ \t]*Error:")
  set(problem "chmcmd reported an error")
elseif(NOT EXISTS ${compiled})
  set(problem "chmcmd wrote no file")
else()
  file(SIZE ${compiled} size)
  if(size EQUAL 0)
    set(problem "chmcmd wrote an empty file")
  endif()
endif()

if(problem)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "velkorhelp.chm: ${problem}:\n${log}")
endif()
if(log MATCHES "Warning:")
  message(WARNING "velkorhelp.chm: chmcmd warnings:\n${log}")
endif()
file(COPY_FILE ${compiled} ${OUTPUT}.tmp)
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
