# Shared helpers for the project's targets: the warnings on our own code, and one
# library per source folder built from every .cpp file in it.

# Headers made from the project's settings (the version, the maker's addresses) live
# in the build tree.
set(REELWRIGHT_GENERATED_DIR "${PROJECT_BINARY_DIR}/generated")
configure_file("${CMAKE_CURRENT_LIST_DIR}/reelwright_version.h.in"
               "${REELWRIGHT_GENERATED_DIR}/reelwright_version.h" @ONLY)

# The addresses become C string literals: a backslash, a double quote or a line break
# in a cache value is escaped so that any value gives a header that compiles and says
# the same.
include("${CMAKE_CURRENT_LIST_DIR}/ReelwrightAddresses.cmake")
foreach(name MAKER_ADDRESS HOME_PAGE ORDER_PAGE AFFILIATE_PAGE PARTNER_PAGE SUPPORT_MAIL
             PRODUCT1_NAME PRODUCT1_PAGE PRODUCT2_NAME PRODUCT2_PAGE
             PRODUCT3_NAME PRODUCT3_PAGE PRODUCT4_NAME PRODUCT4_PAGE)
    string(REPLACE "\\" "\\\\" escaped "${REELWRIGHT_${name}}")
    string(REPLACE "\"" "\\\"" escaped "${escaped}")
    string(REPLACE "\n" "\\n" escaped "${escaped}")
    set(REELWRIGHT_${name}_C "${escaped}")
endforeach()
configure_file("${CMAKE_CURRENT_LIST_DIR}/reelwright_addresses.h.in"
               "${REELWRIGHT_GENERATED_DIR}/reelwright_addresses.h" @ONLY)

# Warnings on the project's own code; errors with -DREELWRIGHT_WERROR=ON (CI and
# scripts/test.sh), so that a newer compiler's new warnings do not break a packager's
# build.
function(reelwright_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow)
    if(REELWRIGHT_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# reelwright_folder_library(NAME DEPENDS lib... PRIVATE_DEPENDS lib...) builds every
# .cpp of the calling folder and its subfolders (src/image/codecs, ...) into the static
# library NAME, with src/ on the include path so headers are included as
# "swf/swf_writer.h" or "image/codecs/picture_bmp.h".
# PRIVATE_DEPENDS are linked but their headers stay with this library.
function(reelwright_folder_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;PRIVATE_DEPENDS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src"
                                                "${REELWRIGHT_GENERATED_DIR}")
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
    reelwright_warnings(${name})
endfunction()
