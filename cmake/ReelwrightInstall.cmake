# Everything that goes beside the programs: the help, the manual pages, the desktop
# entry, the icons and the AppStream metadata; how `cmake --install` lays them out; and
# the Debian package made from that layout. Included at the end of the top
# CMakeLists.txt, after every program target exists.
#
# Installed layout (prefix /usr in the package):
#   bin/reelwright-cli
#   share/man/man1/reelwright-cli.1.gz
#   share/doc/reelwright/copyright, changelog.gz
# and with the dialog (REELWRIGHT_GUI, its help REELWRIGHT_HELP):
#   bin/reelwright -> ../lib/reelwright/reelwright
#   lib/reelwright/reelwright, Moxwell_Reelwright.chm, help/
#   share/applications/reelwright.desktop
#   share/icons/hicolor/NxN/apps/reelwright.png
#   share/metainfo/example.reelwright.Reelwright.metainfo.xml
#   share/man/man1/reelwright.1.gz

include(GNUInstallDirs)
if(REELWRIGHT_HELP)
    include(ReelwrightHelp)
endif()
include(ReelwrightManPages)

# Folders made by the install are 0755 whatever the umask of whoever builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The dialog finds its help beside its own executable, so the executable and the help
# share a private folder and bin/ holds a link. Not CMAKE_INSTALL_LIBDIR: on Debian
# that is the multiarch library folder, and this folder holds no libraries.
set(REELWRIGHT_INSTALL_PROGRAMDIR "lib/reelwright")
# Named for the package, not for the CMake project (GNUInstallDirs' DOCDIR would say
# "Reelwright").
set(REELWRIGHT_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/reelwright")
set(REELWRIGHT_APPSTREAM_ID "example.reelwright.Reelwright")

install(TARGETS reelwright-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES ${REELWRIGHT_MAN_PAGES} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# The metainfo and the copyright file name the maker's home page and mail address.
string(REGEX REPLACE "/+$" "" home_page_without_slash "${REELWRIGHT_HOME_PAGE}")

if(REELWRIGHT_GUI)
    install(TARGETS reelwright RUNTIME DESTINATION "${REELWRIGHT_INSTALL_PROGRAMDIR}")
    file(RELATIVE_PATH link_target "/prefix/${CMAKE_INSTALL_BINDIR}"
         "/prefix/${REELWRIGHT_INSTALL_PROGRAMDIR}/reelwright")
    file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/install")
    file(CREATE_LINK "${link_target}" "${PROJECT_BINARY_DIR}/install/reelwright" SYMBOLIC)
    # install(FILES) copies a symbolic link as a link.
    install(FILES "${PROJECT_BINARY_DIR}/install/reelwright"
            DESTINATION "${CMAKE_INSTALL_BINDIR}")

    install(FILES "${PROJECT_SOURCE_DIR}/data/reelwright.desktop"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
    foreach(size 16 32 48 64 128 256)
        install(FILES "${PROJECT_SOURCE_DIR}/data/icons/reelwright-${size}.png"
                DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
                RENAME reelwright.png)
    endforeach()

    set(REELWRIGHT_SCREENSHOT_URL "${home_page_without_slash}/screenshots/main-dialog.png")
    set(REELWRIGHT_METAINFO_FILE
        "${PROJECT_BINARY_DIR}/data/${REELWRIGHT_APPSTREAM_ID}.metainfo.xml")
    configure_file("${PROJECT_SOURCE_DIR}/data/${REELWRIGHT_APPSTREAM_ID}.metainfo.xml.in"
                   "${REELWRIGHT_METAINFO_FILE}" @ONLY)
    install(FILES "${REELWRIGHT_METAINFO_FILE}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
endif()

if(REELWRIGHT_HELP)
    install(FILES "${REELWRIGHT_HELP_FILE}" DESTINATION "${REELWRIGHT_INSTALL_PROGRAMDIR}")
    install(DIRECTORY "${REELWRIGHT_HELP_PAGES_DIR}"
            DESTINATION "${REELWRIGHT_INSTALL_PROGRAMDIR}")
endif()

configure_file("${PROJECT_SOURCE_DIR}/data/debian/copyright.in"
               "${PROJECT_BINARY_DIR}/data/copyright" @ONLY)
reelwright_gzip("${PROJECT_SOURCE_DIR}/data/debian/changelog"
                "${PROJECT_BINARY_DIR}/data/changelog.gz")
add_custom_target(reelwright_changelog ALL DEPENDS "${PROJECT_BINARY_DIR}/data/changelog.gz")
install(FILES "${PROJECT_BINARY_DIR}/data/copyright" "${PROJECT_BINARY_DIR}/data/changelog.gz"
        DESTINATION "${REELWRIGHT_INSTALL_DOCDIR}")
include(ReelwrightPackaging)
