# SPDX-License-Identifier: GPL-3.0-or-later
# Headless Start Splitting in a process of its own, for bench/split_run and whole-process tests.
include(${CMAKE_CURRENT_LIST_DIR}/test_support.cmake)
add_executable(split_driver ${CMAKE_CURRENT_LIST_DIR}/split_driver.cpp)
target_link_libraries(split_driver PRIVATE quillmere_test_support)
if(TARGET unzip32)
    add_dependencies(split_driver unzip32)
endif()

if(QUILLMERE_TESTS)
    add_test(NAME two_processes_one_home
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/two_processes.sh $<TARGET_FILE:split_driver>)
    set_tests_properties(two_processes_one_home PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/.ci/lsan.supp"
        TIMEOUT 300)
endif()

if(QUILLMERE_TESTS AND TARGET quillmere)
    add_test(NAME batch_split_no_display
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/batch_split.sh $<TARGET_FILE:quillmere>)
    set_tests_properties(batch_split_no_display PROPERTIES
        ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/.ci/lsan.supp" TIMEOUT 300)
    add_test(NAME batch_scripts COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/batch_scripts.sh $<TARGET_FILE:quillmere>)
    set_tests_properties(batch_scripts PROPERTIES
        ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/.ci/lsan.supp" TIMEOUT 300)
    # Not under the sanitizers: UBSan checks an object's type by probing its memory through a pipe,
    # and where the test leaves no descriptor free it takes every object for a broken one and
    # stops the program. test_split_job runs the engine under the same limits in either build.
    if(NOT QUILLMERE_SANITIZE)
        add_test(NAME batch_limits COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/batch_limits.sh $<TARGET_FILE:quillmere>)
        set_tests_properties(batch_limits PROPERTIES
            ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/.ci/lsan.supp" TIMEOUT 300)
    endif()
endif()
# test_runandwait kills a driver mid-run to see its tool go with it.
if(TARGET test_runandwait)
    add_dependencies(test_runandwait split_driver)
endif()
