# The Debian package, made by CPack from the install rules: `cpack -G DEB` in
# a build configured with the `package` preset (prefix /usr, the binary in
# /usr/games). scripts/package.sh does both.
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 2D game: move a ball over a starry sky")
set(CPACK_PACKAGE_DESCRIPTION "\
Velmora is a small 2D game: a title screen, and a play field over a space
picture where the arrow keys or a gamepad move a ball. It plays at 640x480
in full screen or in a window, scaled to fit, and remembers the window's
size and place. Print Screen saves a screenshot of the game's frame.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the binary links (SDL2, libpng, giflib, zlib, the C and C++
# runtimes), found by dpkg-shlibdeps with their lowest versions.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Folders as Debian has them (0755), whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The source tarball (scripts/package.sh makes it with `git archive`, which
# takes exactly the committed files) is not CPack's.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
