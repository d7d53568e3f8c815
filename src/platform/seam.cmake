# The seam: the interfaces every layer above reaches the system through (QtCore only), and the
# values fixed when the program is built. Included by the program's build and by the fuzz targets'.

set(velkor_src ${CMAKE_CURRENT_LIST_DIR}/..)
cmake_path(NORMAL_PATH velkor_src)

add_library(velkor_seam STATIC ${velkor_src}/platform/platform.cpp)
file(GLOB velkor_seam_headers CONFIGURE_DEPENDS ${velkor_src}/platform/*.h)
target_sources(velkor_seam PRIVATE ${velkor_seam_headers})
target_include_directories(velkor_seam PUBLIC ${velkor_src})
target_link_libraries(velkor_seam PUBLIC Qt6::Core)

# buildconfig.h: the version and the web addresses (cache variables of the program's build).
configure_file(${velkor_src}/../cmake/buildconfig.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/buildconfig.h @ONLY)
add_library(velkor_buildconfig INTERFACE)
target_include_directories(velkor_buildconfig INTERFACE ${CMAKE_CURRENT_BINARY_DIR}/generated)
