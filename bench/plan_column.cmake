# SPDX-License-Identifier: GPL-3.0-or-later
include(${PROJECT_SOURCE_DIR}/tests/test_support.cmake)
# The plan column of 1,000 listed archives, headless; bench/plan_column compares it with the dry run.
add_executable(bench_plan_column ${CMAKE_CURRENT_LIST_DIR}/plan_column_bench.cpp)
target_link_libraries(bench_plan_column PRIVATE quillmere_test_support)
if(TARGET unzip32)
    add_dependencies(bench_plan_column unzip32)
endif()
