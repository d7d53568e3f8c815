# The backend's benchmarks: programs that print their figures, built with the tests and run by
# hand (never as tests). They read the Wine prefix the tests keep in tests/data.

add_executable(bench_registry ${CMAKE_CURRENT_LIST_DIR}/backend/bench_registry.cpp)
target_link_libraries(bench_registry PRIVATE velkor_backend velkor_core_wine velkor_core_game)
target_compile_definitions(bench_registry PRIVATE
  VELKOR_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data")

add_executable(bench_paths ${CMAKE_CURRENT_LIST_DIR}/backend/bench_paths.cpp)
target_link_libraries(bench_paths PRIVATE velkor_backend)
