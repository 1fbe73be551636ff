# SPDX-License-Identifier: GPL-3.0-or-later
# The archive reader's tests find libunzip32.so and the fixture script through CMake.
foreach(archive_test test_unzip32 test_unzip32_extract test_cunzip test_cunzip_unzip)
    if(TARGET ${archive_test})
        target_compile_definitions(${archive_test} PRIVATE
            UNZIP32_LIBRARY="$<TARGET_FILE:unzip32>"
            ARCHIVE_FIXTURES_SCRIPT="${PROJECT_SOURCE_DIR}/fuzz/make_corpus.py")
        add_dependencies(${archive_test} unzip32)
    endif()
endforeach()
