# The windows: the forms' kit and every window, one static library per folder of src/gui, each
# linking what its files include.

# velkor_gui(NAME FOLDER [PUBLIC targets...] [PRIVATE targets...])
function(velkor_gui name folder)
  cmake_parse_arguments(arg "" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${velkor_src}/gui/${folder}/*.cpp
       ${velkor_src}/gui/${folder}/*.h)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${velkor_src})
  target_link_libraries(${name} PUBLIC Qt6::Widgets ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
endfunction()

# The forms' widget kit: twips, system colours, line controls, pictures.
velkor_gui(velkor_gui_forms forms)
if(WIN32)
  target_sources(velkor_gui_forms PRIVATE ${velkor_src}/gui/forms/pictures/qt_png.cpp)
else()
  # Forms decode their pictures directly: Qt's reader would ask every image plugin first.
  target_sources(velkor_gui_forms PRIVATE ${velkor_src}/gui/forms/pictures/libpng_png.cpp)
  target_link_libraries(velkor_gui_forms PRIVATE PNG::PNG)
endif()
velkor_gui(velkor_gui_about about PUBLIC velkor_gui_forms PRIVATE velkor_buildconfig)
velkor_gui(velkor_gui_manual manual PUBLIC velkor_gui_forms PRIVATE velkor_seam velkor_core_game)
velkor_gui(velkor_gui_options options PUBLIC velkor_gui_forms velkor_core_settings
           PRIVATE velkor_seam velkor_core_net)
velkor_gui(velkor_gui_router router PUBLIC velkor_gui_forms PRIVATE velkor_seam
           velkor_core_router)
# Our own viewer of compiled help files, and the help runtime made of it that the Linux
# backend gives.
if(NOT WIN32)
  velkor_gui(velkor_gui_helpviewer helpviewer PUBLIC velkor_seam PRIVATE velkor_core_helpfile)
endif()
velkor_gui(velkor_gui_main main PUBLIC velkor_core_game velkor_core_settings
           PRIVATE velkor_seam velkor_gui_forms velkor_gui_options velkor_gui_router
           velkor_gui_manual velkor_gui_about velkor_core_net velkor_core_router velkor_core_help
           velkor_buildconfig)

# The forms' pictures. The window icon "ICON1" comes in the sizes the window manager asks for.
set(icon_files resources/ICON1.png)
foreach(size 16 24 32 48)
  set(file resources/icons/hicolor/${size}x${size}/apps/velkor.png)
  set_source_files_properties(${file} PROPERTIES QT_RESOURCE_ALIAS ICON1-${size}.png)
  list(APPEND icon_files ${file})
endforeach()
# The logo and the figures also come drawn for screens of two device pixels to a pixel ("@2x").
qt_add_resources(velkor_gui_forms art PREFIX / BASE resources FILES ${icon_files}
  resources/logo.png resources/logo@2x.png resources/about.gif
  resources/BlueSha.gif resources/RedSha.gif resources/yellowsha.gif resources/Greensha.gif
  resources/BlueSha@2x.gif resources/RedSha@2x.gif resources/yellowsha@2x.gif
  resources/Greensha@2x.gif)
