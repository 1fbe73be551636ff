# SPDX-License-Identifier: GPL-3.0-or-later
# The real window on a virtual X display: its icon and its class, against the desktop file.
if(QUILLMERE_TESTS AND TARGET quillmere)
    add_test(NAME window_icon
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/window_icon.sh $<TARGET_FILE:quillmere>
                     ${PROJECT_SOURCE_DIR}/resources/example.quillmere.Quillmere.desktop)
    set_tests_properties(window_icon PROPERTIES
        ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/.ci/lsan.supp" TIMEOUT 120)
endif()
