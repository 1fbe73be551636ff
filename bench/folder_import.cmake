# SPDX-License-Identifier: GPL-3.0-or-later
include(${PROJECT_SOURCE_DIR}/tests/test_support.cmake)
# Folder import and drop of a big tree, headless; bench/folder_import compares them with find.
add_executable(bench_folder_import ${CMAKE_CURRENT_LIST_DIR}/folder_import_bench.cpp)
target_link_libraries(bench_folder_import PRIVATE quillmere_test_support)
