# SPDX-License-Identifier: GPL-3.0-or-later
# bench/split_run drives the program headless through the tests' split driver.
if(NOT TARGET split_driver)
    include(${PROJECT_SOURCE_DIR}/tests/split_driver.cmake)
endif()
