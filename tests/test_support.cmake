# SPDX-License-Identifier: GPL-3.0-or-later
# What the tests, the split driver and the benchmarks share. quillmere_test_files: temporary homes,
# archives made with zip, catalogues, time zones (common helpers only, for every layer's tests).
# quillmere_test_support: the window's test world and the scripted toolkit. None of it ships.
if(NOT TARGET quillmere_test_support)
    add_library(quillmere_test_files STATIC
        ${CMAKE_CURRENT_LIST_DIR}/TestFiles.cpp ${CMAKE_CURRENT_LIST_DIR}/TestFiles.h)
    target_link_libraries(quillmere_test_files PUBLIC quillmere_common Qt6::Test)
    target_include_directories(quillmere_test_files PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    add_library(quillmere_test_support STATIC
        ${CMAKE_CURRENT_LIST_DIR}/ScriptedToolkit.cpp ${CMAKE_CURRENT_LIST_DIR}/ScriptedToolkit.h
        ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp ${CMAKE_CURRENT_LIST_DIR}/TestSupport.h)
    target_link_libraries(quillmere_test_support PUBLIC quillmere_window quillmere_test_files)
endif()
