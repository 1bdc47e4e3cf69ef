# `cpack -G DEB` in a build configured for /usr makes zarnok_<version>_amd64.deb
# from the install rules (scripts/ci-package.sh shows the whole road). The
# dependencies come from the binaries through dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarnok)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Zarnok developers <zarnok@zarnok.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game played with the mouse")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zarnok.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps must find the game's private libraries in the staged tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/bin")
# The synopsis line comes from the summary; these are the lines below it.
set(CPACK_PACKAGE_DESCRIPTION "A grumpy wanderer drifts about the screen. The player steers a second
figure with the mouse and drops drinks to lead him into a drifting box
until he falls asleep, away from the spectres that make him angrier.
Best scores are kept for each player in their own data folder.")
include(CPack)
