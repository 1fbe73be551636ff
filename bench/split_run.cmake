# Split runs through the program, headless; bench/split_run compares them with bare zipsplit.
add_executable(bench_split_run ${CMAKE_CURRENT_LIST_DIR}/split_run_bench.cpp)
target_link_libraries(bench_split_run PRIVATE quillmere_core)
if(TARGET unzip32)
    add_dependencies(bench_split_run unzip32)
endif()
