# The Debian package, made by CPack from what `cmake --install` puts in place:
#   cpack --preset release      (or cpack -G DEB in build/release)
# gives build/release/velmora_<version>_<architecture>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep a phone's phone book and an address book in step")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora keeps the phone book of a phone (a SQLite database) and the address
book on the desktop (a folder of vCard files) in step. Each run compares both
with what they held after the previous run, carries additions, changes and
deletions across, asks when both sides changed a contact differently, gives
every number a unique speed dial and writes an activity log. It backs up what
a run changes and asks before a run that would delete much of one side.

The package holds the window (velmora) and the terminal front end
(velmora-sync).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps. Qt loads the plugin
# that opens windows at run time, so no linked library names it; without it the
# window cannot start.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The usual rights whatever the umask of the person who builds it.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
