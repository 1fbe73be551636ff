# SPDX-License-Identifier: GPL-3.0-or-later
# The split tests run a stand-in for zipsplit that fails on purpose; they find it through CMake.
add_executable(split_stand_in_tool ${CMAKE_CURRENT_LIST_DIR}/split_stand_in_tool.cpp)
foreach(name test_runandwait test_split_command test_split_end test_split_job test_split_run
             test_split_safety test_split_task test_split_tool)
    if(TARGET ${name})
        add_dependencies(${name} split_stand_in_tool)
        target_compile_definitions(${name} PRIVATE
            QUILLMERE_STAND_IN_TOOL="$<TARGET_FILE:split_stand_in_tool>")
    endif()
endforeach()

# Damaged archives that no writer makes on purpose (make_split_fixtures.py).
foreach(name test_split_run test_split_job)
    if(TARGET ${name})
        target_compile_definitions(${name} PRIVATE
            SPLIT_FIXTURES_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/make_split_fixtures.py")
    endif()
endforeach()

# What this build embedded as zipsplit, recorded when it was configured: an update of the installed
# zip package after the build must not fail the tests of the build.
if(TARGET test_split_tool)
    target_compile_definitions(test_split_tool PRIVATE
        QUILLMERE_EMBEDDED_ZIPSPLIT="${QUILLMERE_EMBEDDED_ZIPSPLIT}"
        QUILLMERE_EMBEDDED_ZIPSPLIT_VERSION="${QUILLMERE_EMBEDDED_ZIPSPLIT_VERSION}")
endif()
