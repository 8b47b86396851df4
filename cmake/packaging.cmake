# cpack -G DEB: quorvane_<version>_<arch>.deb. The libraries the executable links are found by
# dpkg-shlibdeps; what it needs besides them is named here.
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "The Quorvane developers")
set(CPACK_PACKAGE_CONTACT "The Quorvane developers <quorvane@quorvane.org>"
    CACHE STRING "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-pane file browser joined to a media player")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvane shows a folder tree and the folder's files on the left and plays
them on the right; the file list is also the play list. It plays videos, music
and pictures through libmpv, keeps quick paths, moves, renames and trashes
files, and extracts LZH and ZIP archives. The user interface is in Japanese.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quorvane.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese text needs a CJK font and Qt's Japanese dialog texts; MIDI files are played through a
# General MIDI SoundFont.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n, timgm6mb-soundfont")
# Files the program does not play itself are handed to the desktop's own program.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# A larger General MIDI SoundFont, used instead of the small one when it is there.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fluid-soundfont-gm")

include(CPack)
