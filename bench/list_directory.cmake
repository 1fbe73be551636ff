# SPDX-License-Identifier: GPL-3.0-or-later
# Listing a big archive: cUnzip (through libunzip32.so) against a bare libzip loop, in one
# helper program; bench/list_directory adds zipinfo -1 and prints the ratios.
add_executable(bench_list_directory ${CMAKE_CURRENT_LIST_DIR}/list_directory_bench.cpp)
target_link_libraries(bench_list_directory PRIVATE quillmere_archive PkgConfig::LIBZIP)
if(TARGET unzip32)
    add_dependencies(bench_list_directory unzip32)
endif()
