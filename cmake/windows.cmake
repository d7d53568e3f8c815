# The Windows program: a windowed executable, no console beside it.
set_target_properties(velkor PROPERTIES WIN32_EXECUTABLE ON)
