# The manual pages, written by hand in man/, compressed as Debian wants them
# (gzip -9n: best compression, no file name or time stamp, so the result is the same
# on every build).

set(REELWRIGHT_MAN_PAGES "")
foreach(page reelwright.1 reelwright-cli.1)
    set(compressed "${PROJECT_BINARY_DIR}/man/${page}.gz")
    add_custom_command(
        OUTPUT "${compressed}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/man"
        COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip "${PROJECT_SOURCE_DIR}/man/${page}"
                "${compressed}"
        DEPENDS "${PROJECT_SOURCE_DIR}/man/${page}"
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
    list(APPEND REELWRIGHT_MAN_PAGES "${compressed}")
endforeach()
add_custom_target(reelwright_man_pages ALL DEPENDS ${REELWRIGHT_MAN_PAGES})

if(REELWRIGHT_TESTS AND TARGET reelwright-cli)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_test(NAME man_page_documents_every_cli_option
             COMMAND "${Python3_EXECUTABLE}"
                     "${PROJECT_SOURCE_DIR}/tests/packaging/check_man_options.py"
                     $<TARGET_FILE:reelwright-cli> "${PROJECT_SOURCE_DIR}/man/reelwright-cli.1")
    set_tests_properties(man_page_documents_every_cli_option PROPERTIES LABELS docs)
endif()
