# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up: the program's own window against a bare Qt window, both quitting once exposed.
add_executable(bench_startup_quillmere ${CMAKE_CURRENT_LIST_DIR}/startup_quillmere.cpp)
target_link_libraries(bench_startup_quillmere PRIVATE quillmere_window)
target_compile_definitions(bench_startup_quillmere PRIVATE QUILLMERE_VERSION="${PROJECT_VERSION}")
add_executable(bench_startup_bare ${CMAKE_CURRENT_LIST_DIR}/startup_bare.cpp)
target_link_libraries(bench_startup_bare PRIVATE Qt6::Widgets)
