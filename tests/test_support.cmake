# SPDX-License-Identifier: GPL-3.0-or-later
# What the tests, the split driver and the benchmarks share: the test world and the scripted
# toolkit. None of it ships in the program.
if(NOT TARGET quillmere_test_support)
    add_library(quillmere_test_support STATIC
        ${CMAKE_CURRENT_LIST_DIR}/ScriptedToolkit.cpp ${CMAKE_CURRENT_LIST_DIR}/ScriptedToolkit.h
        ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp ${CMAKE_CURRENT_LIST_DIR}/TestSupport.h)
    target_link_libraries(quillmere_test_support PUBLIC quillmere_core)
    target_include_directories(quillmere_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
endif()
