# The build number is the time of the last commit in UTC (20261209031500): each landed commit gets
# a higher one, and a shallow clone knows it as well as a full one. Apt compares it as a number, so
# it also stands above the commit counts that earlier builds used (0.1.0+492). A tree without its
# git history cannot know it: its build is "unknown", which the program shows and the package
# build refuses (cmake/TessanePackage.cmake). The release date (the manual page's, the metainfo's)
# is that commit's day.
#
# Included by CMakeLists.txt, it reads them once for the package's version (scripts/package
# configures its folder every time) and adds a step that runs at every build (this file, with
# cmake -P): it writes what the program and its pages say of their version, so that a new commit
# (a pull, a checkout) shows in the next build without configuring again. Each file is written
# only when what it says changes: a build with no new commit compiles and links nothing for it.

# Sets <number_var> and <date_var> from the last commit of the tree at <source_dir>.
function(tessane_read_build_stamp source_dir git number_var date_var)
  set(_number "unknown")
  string(TIMESTAMP _date "%Y-%m-%d" UTC)
  if(git)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0
                            ${git} log -1 --format=%cd --date=format-local:%Y%m%d%H%M%S
                    WORKING_DIRECTORY ${source_dir}
                    OUTPUT_VARIABLE _stamp OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE _rc ERROR_QUIET)
    if(_rc EQUAL 0 AND _stamp MATCHES "^([0-9][0-9][0-9][0-9])([0-9][0-9])([0-9][0-9])[0-9][0-9][0-9][0-9][0-9][0-9]$")
      set(_number "${_stamp}")
      set(_date "${CMAKE_MATCH_1}-${CMAKE_MATCH_2}-${CMAKE_MATCH_3}")
    endif()
  endif()
  set(${number_var} "${_number}" PARENT_SCOPE)
  set(${date_var} "${_date}" PARENT_SCOPE)
endfunction()

# Whether a name or an address is at a domain reserved for examples and documentation (RFC 2606,
# RFC 6761): nobody receives mail there, nothing can be fetched from there.
function(tessane_is_made_up text result_var)
  string(TOLOWER "${text}" _text)
  if(_text MATCHES "[.@/](example|invalid|test|localhost)([.:/>]|$)" OR
     _text MATCHES "[.@/]example\\.(com|net|org)([.:/>]|$)")
    set(${result_var} TRUE PARENT_SCOPE)
  else()
    set(${result_var} FALSE PARENT_SCOPE)
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  # At build time: SOURCE_DIR, OUTPUT_DIR, GIT, PROJECT_VERSION, TESSANE_APPSTREAM_ID, TESSANE_SOURCE_URL.
  cmake_minimum_required(VERSION 3.25)
  tessane_read_build_stamp("${SOURCE_DIR}" "${GIT}" TESSANE_BUILD_NUMBER TESSANE_RELEASE_DATE)
  file(CONFIGURE OUTPUT ${OUTPUT_DIR}/BuildStamp.h @ONLY CONTENT [[
#pragma once
// Written at every build (cmake/TessaneBuildStamp.cmake).
#define TESSANE_VERSION "@PROJECT_VERSION@"
#define TESSANE_BUILD "@TESSANE_BUILD_NUMBER@"
]])
  configure_file(${SOURCE_DIR}/app/tessane.1 ${OUTPUT_DIR}/tessane.1 @ONLY)
  # Screenshots only where they can be fetched: without the address the tree is published at,
  # the metainfo has none.
  file(READ ${SOURCE_DIR}/app/tessane.metainfo.xml.in _metainfo)
  if(NOT TESSANE_SOURCE_URL)
    string(REGEX REPLACE "  <screenshots>.*</screenshots>\n" "" _metainfo "${_metainfo}")
  endif()
  file(CONFIGURE OUTPUT ${OUTPUT_DIR}/${TESSANE_APPSTREAM_ID}.metainfo.xml CONTENT "${_metainfo}" @ONLY)
  return()
endif()

find_package(Git QUIET)
tessane_read_build_stamp("${PROJECT_SOURCE_DIR}" "${GIT_EXECUTABLE}" TESSANE_BUILD_NUMBER TESSANE_RELEASE_DATE)

set(TESSANE_SOURCE_URL "" CACHE STRING
    "Web address under which the files of this source tree are served (for the metainfo's screenshots)")
tessane_is_made_up("${TESSANE_SOURCE_URL}" _made_up)
if(_made_up)
  message(WARNING "TESSANE_SOURCE_URL (${TESSANE_SOURCE_URL}) is at a domain reserved for examples: "
                  "the metainfo lists no screenshots")
  set(TESSANE_SOURCE_URL "" CACHE STRING "" FORCE)
endif()
set(TESSANE_APPSTREAM_ID "org.tessane.tessane")
set(TESSANE_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(TESSANE_MANUAL_PAGE ${TESSANE_GENERATED}/tessane.1)
set(TESSANE_METAINFO ${TESSANE_GENERATED}/${TESSANE_APPSTREAM_ID}.metainfo.xml)
add_custom_target(tessane_build_stamp
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT_DIR=${TESSANE_GENERATED}
          -DGIT=${GIT_EXECUTABLE} -DPROJECT_VERSION=${PROJECT_VERSION}
          -DTESSANE_APPSTREAM_ID=${TESSANE_APPSTREAM_ID} -DTESSANE_SOURCE_URL=${TESSANE_SOURCE_URL}
          -P ${CMAKE_CURRENT_LIST_FILE}
  BYPRODUCTS ${TESSANE_GENERATED}/BuildStamp.h ${TESSANE_MANUAL_PAGE} ${TESSANE_METAINFO}
  COMMENT "Reading the build number from the last commit"
  VERBATIM)
