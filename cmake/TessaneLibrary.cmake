# The program idles in the tray nearly all its life, and the code it ran at start stays resident
# all the while (the kernel maps the pages around each fault, and a start touches most of it). At
# -O2 more than half of that code is inlined copies: the optimized builds compile it for size,
# which halves it (1.7 MB less code) and costs waits on the server and the window manager
# nothing. Libraries marked FAST keep -O2: the store's reading and writing, whose time grows with
# the workspace list.
set(TESSANE_SIZE_OPTIMIZED $<$<CONFIG:RelWithDebInfo,Release>:-Os>)

# One static library per source folder. Sources are picked up from the folder itself and from the
# sub-folders named in PARTS (a backend whose concerns each have a folder of their own), so adding
# a file needs no edit here.
function(tessane_library name folder)
  cmake_parse_arguments(ARG "FAST" "" "DEPS;PARTS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${folder}/*.h)
  foreach(_part IN LISTS ARG_PARTS)
    file(GLOB _part_sources CONFIGURE_DEPENDS ${folder}/${_part}/*.cpp)
    file(GLOB _part_headers CONFIGURE_DEPENDS ${folder}/${_part}/*.h)
    list(APPEND _sources ${_part_sources})
    list(APPEND _headers ${_part_headers})
  endforeach()
  if(_sources)
    add_library(${name} STATIC ${_sources} ${_headers})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    if(NOT ARG_FAST)
      target_compile_options(${name} PRIVATE ${TESSANE_SIZE_OPTIMIZED})
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One test program per tests/ sub-folder, its cases registered with CTest one by one.
function(tessane_test_folder folder)
  cmake_parse_arguments(ARG "" "LABEL" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  string(REPLACE "/" "_" _name "tests_${folder}")
  add_executable(${_name} ${_sources})
  target_include_directories(${_name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${_name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  if(ARG_LABEL)
    gtest_discover_tests(${_name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS ${ARG_LABEL})
  else()
    gtest_discover_tests(${_name} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
