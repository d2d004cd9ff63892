# The Debian package (scripts/package builds it with CPack): the installed layout under /usr, its
# library dependencies read from the program by dpkg-shlibdeps, plus the Qt plugins it loads at run
# time and so links to nothing of: the platform plugin for X11 (libqt6gui6 ships xcb's on Debian 12)
# and the SVG image and icon plugins that draw its icons; and the XDG tools it runs.
include(GNUInstallDirs)
set(TESSANE_PACKAGE_MAINTAINER "Tessane maintainers <maintainers@users.noreply.c-seed-e67fa696.example>"
    CACHE STRING "Maintainer field of the Debian package")

# The package's documents: its copyright, and the changelog that Debian packages carry, whose
# latest entry names the package's version.
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/tessane)
# Each landed commit gets a higher build number, so the package manager sees every build as an update.
set(TESSANE_PACKAGE_VERSION "${PROJECT_VERSION}+${TESSANE_BUILD_NUMBER}")
# A tree without its git history has no build number: a package of it could not be told apart from
# the builds before and after it, so CPack refuses to make one.
if(NOT TESSANE_BUILD_NUMBER MATCHES "^[0-9]+$")
  file(WRITE ${CMAKE_BINARY_DIR}/package/refuse.cmake
       "message(FATAL_ERROR \"No package of a tree without its git history: its build number is "
       "unknown (clone the repository, a shallow clone will do)\")\n")
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/package/refuse.cmake)
endif()
# SOURCE_DATE_EPOCH (scripts/package: the last commit's time) makes it the same for the same commit.
string(TIMESTAMP _changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${CMAKE_BINARY_DIR}/package/changelog
     "tessane (${TESSANE_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
     "  * Build ${TESSANE_BUILD_NUMBER} of Tessane ${PROJECT_VERSION}.\n\n"
     " -- ${TESSANE_PACKAGE_MAINTAINER}  ${_changelog_date}\n")
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/package/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/package/changelog
  COMMENT "Compressing the package's changelog"
  VERBATIM)
add_custom_target(tessane_package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)
add_dependencies(tessane tessane_package_changelog)
install(FILES ${PROJECT_SOURCE_DIR}/app/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz DESTINATION ${_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_VERSION ${TESSANE_PACKAGE_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${TESSANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TESSANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "named workspaces of tiled windows for X11 desktops")
set(CPACK_PACKAGE_DESCRIPTION "Tessane groups your applications into named workspaces of two to four
and tiles one window of each into the panes of a layout. Showing a workspace
launches its applications without stealing focus, places their windows side by
side, and keeps them in shape while you work. It runs in the background with an
icon in the panel's system tray; shortcuts and tessane: links drive it.

It needs an X11 session and a window manager that follows the Extended Window
Manager Hints.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# It opens links and files with xdg-open and registers its link handler with xdg-mime.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6gui6, libqt6svg6, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
# The control files get the permissions Debian asks of them.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
