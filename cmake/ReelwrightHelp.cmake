# The dialog's help (with -DREELWRIGHT_HELP=ON, the default when the dialog is built):
# the HTML pages of docs/help, compiled with chmcmd (Debian fp-utils) into
# Moxwell_Reelwright.chm. The dialog looks for its help beside its own executable, so
# both the .chm and the plain pages (help/, which "Help" opens in the browser when no
# CHM viewer is registered) are written into the folder where `reelwright` is built.
#
# The pages are templates: @PROJECT_VERSION@ and the maker's addresses are filled in
# here, so the help always names the addresses the program was built with.

find_program(REELWRIGHT_CHMCMD chmcmd REQUIRED)

set(REELWRIGHT_HELP_SOURCE_DIR "${PROJECT_SOURCE_DIR}/docs/help")
set(REELWRIGHT_PROGRAM_BUILD_DIR "${PROJECT_BINARY_DIR}/src/qt")
set(REELWRIGHT_HELP_FILE "${REELWRIGHT_PROGRAM_BUILD_DIR}/Moxwell_Reelwright.chm")
set(REELWRIGHT_HELP_PAGES_DIR "${REELWRIGHT_PROGRAM_BUILD_DIR}/help")
# chmcmd writes beside its project file; the project is compiled in a folder of its own
# so that help/ holds only what a browser needs.
set(help_project_dir "${PROJECT_BINARY_DIR}/docs/help")

file(GLOB help_pages CONFIGURE_DEPENDS "${REELWRIGHT_HELP_SOURCE_DIR}/*.html"
     "${REELWRIGHT_HELP_SOURCE_DIR}/*.css")
set(help_project_files "")
foreach(page ${help_pages})
    get_filename_component(name "${page}" NAME)
    configure_file("${page}" "${help_project_dir}/${name}" @ONLY)
    configure_file("${page}" "${REELWRIGHT_HELP_PAGES_DIR}/${name}" @ONLY)
    list(APPEND help_project_files "${help_project_dir}/${name}")
endforeach()
foreach(name reelwright.hhp contents.hhc)
    configure_file("${REELWRIGHT_HELP_SOURCE_DIR}/${name}" "${help_project_dir}/${name}" @ONLY)
    list(APPEND help_project_files "${help_project_dir}/${name}")
endforeach()

add_custom_command(
    OUTPUT "${REELWRIGHT_HELP_FILE}"
    COMMAND "${REELWRIGHT_CHMCMD}" reelwright.hhp
    COMMAND "${CMAKE_COMMAND}" -E copy Moxwell_Reelwright.chm "${REELWRIGHT_HELP_FILE}"
    WORKING_DIRECTORY "${help_project_dir}"
    DEPENDS ${help_project_files}
    COMMENT "Compiling the help into Moxwell_Reelwright.chm"
    VERBATIM)
add_custom_target(reelwright_help ALL DEPENDS "${REELWRIGHT_HELP_FILE}")
add_dependencies(reelwright reelwright_help)

if(REELWRIGHT_TESTS)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    find_program(REELWRIGHT_CHMLS chmls REQUIRED)
    add_test(NAME help_file_holds_every_page
             COMMAND "${Python3_EXECUTABLE}" "${PROJECT_SOURCE_DIR}/tests/packaging/check_help.py"
                     "${REELWRIGHT_CHMLS}" "${REELWRIGHT_HELP_FILE}" "${REELWRIGHT_HELP_SOURCE_DIR}"
                     "${REELWRIGHT_HELP_PAGES_DIR}")
    set_tests_properties(help_file_holds_every_page PROPERTIES LABELS docs)
endif()
