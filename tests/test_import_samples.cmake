# SPDX-License-Identifier: GPL-3.0-or-later
# The import test checks the Samples folder that the build makes beside the program.
if(TARGET test_import AND TARGET quillmere_samples)
    add_dependencies(test_import quillmere_samples)
endif()
