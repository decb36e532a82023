# Everything that goes beside the programs: the help, the manual pages, the desktop
# entry, the icons and the AppStream metadata; how `cmake --install` lays them out; and
# the Debian package made from that layout. Included at the end of the top
# CMakeLists.txt, after every program target exists.

include(ReelwrightHelp)
include(ReelwrightManPages)
