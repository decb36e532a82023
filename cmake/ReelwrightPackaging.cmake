# The Debian package, made by CPack from the install rules:
#   cd build && cpack -G DEB        ->  reelwright_1.9.0_amd64.deb
# scripts/package.sh does the same and runs lintian on the result.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelwright)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Moxwell Software")
set(CPACK_PACKAGE_CONTACT "Reelwright Maintainers <${REELWRIGHT_SUPPORT_MAIL}>")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn pictures into SWF slideshow movies")
set(CPACK_PACKAGE_DESCRIPTION
    "Reelwright turns an ordered list of pictures into a Flash (SWF) slideshow
movie: one picture per frame, every picture stretched to the chosen frame
size and stored as a JPEG picture of quality 80, at the chosen frame rate.
The movie is an uncompressed SWF file of version 3 that any SWF player reads.

It reads BMP (Windows and OS/2), JPEG, PNG, TGA, ICO and CUR, GIF, WebP,
HEIC and HEIF, and AVIF pictures, recognised by their content.")
if(REELWRIGHT_GUI)
    string(APPEND CPACK_PACKAGE_DESCRIPTION " The package holds the dialog program
reelwright and the command-line program reelwright-cli, which build the very
same movie from the same pictures, and the help in CHM and HTML form.")
else()
    string(APPEND CPACK_PACKAGE_DESCRIPTION " The package holds the command-line
program reelwright-cli.")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${REELWRIGHT_HOME_PAGE}")
# dpkg-shlibdeps finds the libraries the programs link; xdg-open opens the finished
# movie, the help and the web links; Qt's platform plugins (the X11 and Wayland
# connections) are only recommended by its libraries, yet the dialog cannot open a
# window without them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
if(REELWRIGHT_GUI)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-qpa-plugins")
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xchm | kchmviewer, ffmpeg")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)

# Makes the package into a scratch folder, unpacks it and looks at what a user gets.
# Only from a plain build: a package of sanitizer-instrumented programs is no package.
if(REELWRIGHT_TESTS AND NOT REELWRIGHT_SANITIZE)
    add_test(NAME debian_package_installs_every_file
             COMMAND bash "${PROJECT_SOURCE_DIR}/tests/packaging/check_package.sh"
                     "${CMAKE_CPACK_COMMAND}" "${PROJECT_BINARY_DIR}"
                     "${PROJECT_BINARY_DIR}/package-test" $<BOOL:${REELWRIGHT_GUI}>)
    set_tests_properties(debian_package_installs_every_file PROPERTIES LABELS package
                         TIMEOUT 300)
endif()
