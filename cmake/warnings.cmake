# The warnings every build of the project's code compiles with, the program's, the fuzz targets'
# and the benchmark's: those careful Qt projects use (KeePassXC's among them). VELKOR_WERROR
# (CMAKE_COMPILE_WARNING_AS_ERROR) makes them errors.
add_compile_options(-Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2
                    -Wcast-qual -Wpointer-arith -Wmissing-declarations)
