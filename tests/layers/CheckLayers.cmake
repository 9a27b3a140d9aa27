# Reads every #include "..." of src/ and fails, naming file and line, when a folder includes a
# folder that is not below it, or when a core folder includes Qt.
#   cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
#
# The order, lowest first. A folder may include its own headers and those of any folder with
# a lower rank; gdt and catalogue share a rank and so may not include each other.
cmake_minimum_required(VERSION 3.25)

set(rank_base 0)
set(rank_platform 1)
set(rank_diag 2)
set(rank_gdt 3)
set(rank_catalogue 3)
set(rank_config 4)
set(rank_app 5)
set(rank_ui 6)
set(rank_main 7)
# Qt may be included from these folders only.
set(qt_folders ui main)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(faults 0)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT DEFINED rank_${folder})
    if(source MATCHES "/")
      message(SEND_ERROR "src/${source}: folder '${folder}' has no place in the layer order")
      math(EXPR faults "${faults} + 1")
    endif()
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} lines)
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^/\"]+)/[^\"]*\"")
      set(target ${CMAKE_MATCH_1})
      if(target STREQUAL folder OR NOT DEFINED rank_${target})
        continue()
      endif()
      if(NOT rank_${target} LESS rank_${folder})
        message(SEND_ERROR "src/${source}:${number}: ${folder}/ must not include ${target}/ "
                           "(${target} is not below ${folder}): ${line}")
        math(EXPR faults "${faults} + 1")
      endif()
    elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<(Q[A-Za-z]*)[>/]")
      if(NOT folder IN_LIST qt_folders)
        message(SEND_ERROR "src/${source}:${number}: the core folder ${folder}/ must not include "
                           "Qt: ${line}")
        math(EXPR faults "${faults} + 1")
      endif()
    endif()
  endforeach()
endforeach()

if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) against the layer order")
endif()
list(LENGTH sources count)
message(STATUS "${count} files of src/ follow the layer order")
