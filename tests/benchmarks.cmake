# Benchmarks: executables that print their figures; built with the tests, never run as tests.

add_executable(bench_registry benchmarks/bench_registry.cpp)
target_link_libraries(bench_registry PRIVATE velkor_backend)
target_compile_definitions(bench_registry PRIVATE VELKOR_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")

add_executable(bench_paths benchmarks/bench_paths.cpp)
target_link_libraries(bench_paths PRIVATE velkor_backend)
