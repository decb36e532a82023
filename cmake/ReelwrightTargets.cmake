# Shared helpers for the project's targets: warnings as errors on our own code,
# and one library per source folder built from every .cpp file in it.

# Headers made from the project's settings (the version) live in the build tree.
set(REELWRIGHT_GENERATED_DIR "${PROJECT_BINARY_DIR}/generated")
configure_file("${CMAKE_CURRENT_LIST_DIR}/reelwright_version.h.in"
               "${REELWRIGHT_GENERATED_DIR}/reelwright_version.h" @ONLY)

function(reelwright_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# reelwright_folder_library(NAME DEPENDS lib... PRIVATE_DEPENDS lib...) builds every
# .cpp of the calling folder into the static library NAME, with the folder's parent
# (src/) on the include path so headers are included as "swf/swf_writer.h".
# PRIVATE_DEPENDS are linked but their headers stay with this library.
function(reelwright_folder_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;PRIVATE_DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
    if(NOT sources)
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src"
                                                "${REELWRIGHT_GENERATED_DIR}")
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
    reelwright_warnings(${name})
endfunction()
