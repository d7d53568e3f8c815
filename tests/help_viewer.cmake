# The help viewer's test opens the help file the build compiles.
add_dependencies(test_linux_help_viewer velkor_help_file)
