# SPDX-License-Identifier: GPL-3.0-or-later
include(${PROJECT_SOURCE_DIR}/tests/test_support.cmake)
# The window's event loop during a real split run, headless; bench/window_stall runs it.
add_executable(bench_window_stall ${CMAKE_CURRENT_LIST_DIR}/window_stall_bench.cpp)
target_link_libraries(bench_window_stall PRIVATE quillmere_test_support)
if(TARGET unzip32)
    add_dependencies(bench_window_stall unzip32)
endif()
