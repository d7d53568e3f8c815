# Core: what Velkor knows and decides, one static library per folder of src/core, QtCore only
# (chmlib where the help file is read, SQLite where Lutris's database is). Each links what its
# headers include PUBLIC and what only its sources include PRIVATE. Needs velkor_seam
# (src/platform/seam.cmake); included by the program's build and by the fuzz targets'.

# velkor_core(NAME FOLDER [PUBLIC targets...] [PRIVATE targets...])
function(velkor_core name folder)
  cmake_parse_arguments(arg "" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${velkor_src}/core/${folder}/*.cpp
       ${velkor_src}/core/${folder}/*.h)
  add_library(${name} STATIC ${sources})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${velkor_src})
  target_link_libraries(${name} PUBLIC Qt6::Core ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
endfunction()

velkor_core(velkor_core_win32 win32 PUBLIC velkor_seam)
velkor_core(velkor_core_wine wine PUBLIC velkor_seam PRIVATE velkor_core_win32)
velkor_core(velkor_core_launchers launchers PUBLIC velkor_seam PRIVATE velkor_core_win32)
if(NOT WIN32)
  find_package(SQLite3 REQUIRED) # Lutris's game database
  target_compile_definitions(velkor_core_launchers PRIVATE VELKOR_WITH_SQLITE)
  target_link_libraries(velkor_core_launchers PRIVATE SQLite::SQLite3)
endif()
velkor_core(velkor_core_game game PUBLIC velkor_seam
            PRIVATE velkor_core_win32 velkor_core_launchers velkor_core_wine)
velkor_core(velkor_core_settings settings PUBLIC velkor_core_win32 PRIVATE velkor_seam)
velkor_core(velkor_core_net net PUBLIC velkor_seam PRIVATE velkor_core_win32 velkor_buildconfig)
velkor_core(velkor_core_router router PUBLIC velkor_seam velkor_core_win32
            PRIVATE velkor_core_net velkor_core_game)
velkor_core(velkor_core_help help PUBLIC velkor_seam velkor_core_win32)
# The help file's own parsing, for the help runtime where Windows' is absent.
if(NOT WIN32)
  find_path(CHM_INCLUDE_DIR chm_lib.h REQUIRED)
  find_library(CHM_LIBRARY chm REQUIRED)
  velkor_core(velkor_core_helpfile helpfile)
  target_include_directories(velkor_core_helpfile PRIVATE ${CHM_INCLUDE_DIR})
  target_link_libraries(velkor_core_helpfile PRIVATE ${CHM_LIBRARY})
endif()
