# The manual pages, written by hand in man/, compressed as Debian wants them.

# reelwright_gzip(SOURCE OUTPUT) compresses SOURCE into OUTPUT at build time with
# gzip -9n: best compression and no file name or time stamp, so every build gives the
# same bytes. Also used for the package's changelog.
function(reelwright_gzip source output)
    get_filename_component(folder "${output}" DIRECTORY)
    get_filename_component(name "${source}" NAME)
    add_custom_command(
        OUTPUT "${output}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
        COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip "${source}" "${output}"
        DEPENDS "${source}"
        COMMENT "Compressing ${name}"
        VERBATIM)
endfunction()

set(REELWRIGHT_MAN_PAGES "")
set(pages reelwright-cli.1)
if(REELWRIGHT_GUI)
    list(APPEND pages reelwright.1)
endif()
foreach(page ${pages})
    reelwright_gzip("${PROJECT_SOURCE_DIR}/man/${page}" "${PROJECT_BINARY_DIR}/man/${page}.gz")
    list(APPEND REELWRIGHT_MAN_PAGES "${PROJECT_BINARY_DIR}/man/${page}.gz")
endforeach()
add_custom_target(reelwright_man_pages ALL DEPENDS ${REELWRIGHT_MAN_PAGES})

if(REELWRIGHT_TESTS)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_test(NAME man_page_documents_every_cli_option
             COMMAND "${Python3_EXECUTABLE}"
                     "${PROJECT_SOURCE_DIR}/tests/packaging/check_man_options.py"
                     $<TARGET_FILE:reelwright-cli> "${PROJECT_SOURCE_DIR}/man/reelwright-cli.1")
    set_tests_properties(man_page_documents_every_cli_option PROPERTIES LABELS docs)
endif()
