# SPDX-License-Identifier: GPL-3.0-or-later
# The plan column is held against the program's own dry run.
if(TARGET test_plan_column)
    add_dependencies(test_plan_column quillmere)
    target_compile_definitions(test_plan_column PRIVATE QUILLMERE_PROGRAM="$<TARGET_FILE:quillmere>")
endif()
