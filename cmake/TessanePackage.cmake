# The Debian package (scripts/package builds it with CPack): the installed layout under /usr, its
# library dependencies read from the program by dpkg-shlibdeps, plus the Qt plugins it loads at run
# time and so links to nothing of: the platform plugin for X11 (libqt6gui6 ships xcb's on Debian 12)
# and the SVG image and icon plugins that draw its icons; and the XDG tools it runs.
include(GNUInstallDirs)

# Who signs the package (its Maintainer field and its changelog's entry): whoever builds it, taken
# as Debian's own tools take it (dch): the name from DEBFULLNAME, else NAME, the address from
# DEBEMAIL, else EMAIL, which may also hold both ("Name <address>"); what they leave out, from the
# git user of the tree. -DTESSANE_PACKAGE_MAINTAINER="Name <address>" sets it outright. Read at
# every configure, which scripts/package does at every run. An address at a domain reserved for
# examples is nobody's: the package is refused rather than signed with it.
set(TESSANE_PACKAGE_MAINTAINER "" CACHE STRING
    "Maintainer of the Debian package, \"Name <address>\"; empty: DEBFULLNAME and DEBEMAIL, else git's user")
tessane_is_made_up("${TESSANE_PACKAGE_MAINTAINER}" _made_up)
if(_made_up)
  message(WARNING "TESSANE_PACKAGE_MAINTAINER (${TESSANE_PACKAGE_MAINTAINER}) is at a domain reserved for "
                  "examples: the package is signed by DEBFULLNAME and DEBEMAIL, else git's user")
  set(TESSANE_PACKAGE_MAINTAINER "" CACHE STRING "" FORCE)
endif()
function(tessane_git_user key result_var)
  if(GIT_EXECUTABLE)
    execute_process(COMMAND ${GIT_EXECUTABLE} config ${key} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE _value OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    set(${result_var} "${_value}" PARENT_SCOPE)
  endif()
endfunction()
set(_maintainer "${TESSANE_PACKAGE_MAINTAINER}")
if(NOT _maintainer)
  set(_name "$ENV{DEBFULLNAME}")
  if(NOT _name)
    set(_name "$ENV{NAME}")
  endif()
  set(_address "$ENV{DEBEMAIL}")
  if(NOT _address)
    set(_address "$ENV{EMAIL}")
  endif()
  if(_address MATCHES "^(.*[^ ]) *<([^<>]+)>$")
    if(NOT _name)
      set(_name "${CMAKE_MATCH_1}")
    endif()
    set(_address "${CMAKE_MATCH_2}")
  endif()
  if(NOT _name)
    tessane_git_user(user.name _name)
  endif()
  if(NOT _address)
    tessane_git_user(user.email _address)
  endif()
  if(_name AND _address)
    set(_maintainer "${_name} <${_address}>")
  endif()
endif()

# A package is refused, with why, for a tree without its git history (no build number tells it
# apart from the builds before and after it) or without someone to sign it. scripts/package asks
# before it builds anything; CPack refuses too, when run by hand.
tessane_is_made_up("${_maintainer}" _made_up)
string(CONCAT _dch_hint "set DEBFULLNAME and DEBEMAIL (as for Debian's dch), or git's user.name and user.email, or "
              "give -DTESSANE_PACKAGE_MAINTAINER=\"Name <address>\"")
set(_refusal "")
if(NOT TESSANE_BUILD_NUMBER MATCHES "^[0-9]+$")
  string(CONCAT _refusal "No package of a tree without its git history: its build number is unknown (clone the "
               "repository, a shallow clone will do)")
elseif(NOT _maintainer)
  set(_refusal "No package without someone to sign it: ${_dch_hint}")
elseif(_made_up)
  set(_refusal "No package signed by ${_maintainer}, an address at a domain reserved for examples: ${_dch_hint}")
endif()
set(TESSANE_PACKAGE_REFUSAL ${CMAKE_BINARY_DIR}/package/refused.txt)
if(_refusal)
  file(WRITE ${TESSANE_PACKAGE_REFUSAL} "${_refusal}\n")
  file(WRITE ${CMAKE_BINARY_DIR}/package/refuse.cmake
       "file(READ \"${TESSANE_PACKAGE_REFUSAL}\" _why)\nmessage(FATAL_ERROR \"\${_why}\")\n")
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/package/refuse.cmake)
else()
  file(REMOVE ${TESSANE_PACKAGE_REFUSAL} ${CMAKE_BINARY_DIR}/package/refuse.cmake)
endif()

# The package's documents: its copyright, and the changelog that Debian packages carry, whose
# latest entry names the package's version and is signed by its maintainer.
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/tessane)
install(FILES ${PROJECT_SOURCE_DIR}/app/copyright DESTINATION ${_doc})
# Each landed commit gets a higher build number, so the package manager sees every build as an update.
set(TESSANE_PACKAGE_VERSION "${PROJECT_VERSION}+${TESSANE_BUILD_NUMBER}")
if(_maintainer AND NOT _made_up)
  # SOURCE_DATE_EPOCH (scripts/package: the last commit's time) makes it the same for the same commit.
  string(TIMESTAMP _changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE ${CMAKE_BINARY_DIR}/package/changelog
       "tessane (${TESSANE_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
       "  * Build ${TESSANE_BUILD_NUMBER} of Tessane ${PROJECT_VERSION}.\n\n"
       " -- ${_maintainer}  ${_changelog_date}\n")
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/package/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/package/changelog
    COMMENT "Compressing the package's changelog"
    VERBATIM)
  add_custom_target(tessane_package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)
  add_dependencies(tessane tessane_package_changelog)
  install(FILES ${CMAKE_BINARY_DIR}/package/changelog.gz DESTINATION ${_doc})
else()
  file(REMOVE ${CMAKE_BINARY_DIR}/package/changelog ${CMAKE_BINARY_DIR}/package/changelog.gz)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_VERSION ${TESSANE_PACKAGE_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${_maintainer}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${_maintainer}")
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
