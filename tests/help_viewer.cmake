# The help viewer's test opens the help file the build compiles.
add_dependencies(test_linux_help velkor_help_file)
