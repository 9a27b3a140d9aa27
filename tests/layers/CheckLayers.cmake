# Reads every #include "..." of src/ and fails, naming file and line, when a folder includes a
# folder that is not below it, when a core folder includes Qt, or when a file outside platform/
# makes a raw system call on files, opens a writing file stream or changes the file system through
# std::filesystem (the platform layer is the one place that knows the system).
#   cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
#
# The order, lowest first. A folder may include its own headers and those of any folder with
# a lower rank; gdt and catalogue share a rank and so may not include each other, and so do config
# and worklist.
cmake_minimum_required(VERSION 3.25)

set(rank_base 0)
set(rank_platform 1)
set(rank_diag 2)
set(rank_gdt 3)
set(rank_catalogue 3)
set(rank_config 4)
set(rank_worklist 4)
set(rank_app 5)
set(rank_ui 6)
set(rank_main 7)
# Qt may be included from these folders only.
set(qt_folders ui main)
# Raw file calls: POSIX at global scope (::rename), the C library's, and Win32's by name.
set(raw_posix "open|openat|close|read|write|pread|pwrite|rename|renameat|renameat2|unlink|unlinkat|link|linkat|symlink|fsync|fdatasync|stat|lstat|fstat|mkdir|rmdir|fcntl|flock|lseek|ftruncate|chmod|fchmod|opendir|readdir")
set(raw_c "fopen|freopen|_wfopen|_wopen|_open")
set(raw_win32 "CreateFileW|CreateFileA|MoveFileExW|MoveFileW|DeleteFileW|ReplaceFileW|ReadFile|WriteFile|FlushFileBuffers|LockFileEx|SetFileInformationByHandle|CreateDirectoryW|RemoveDirectoryW|FindFirstFileW")
set(raw_call "(^|[^A-Za-z0-9_:.>])::(${raw_posix})[ \t]*[(]|(^|[^A-Za-z0-9_.>])(std::)?(${raw_c}|${raw_win32})[ \t]*[(]|std::rename[ \t]*[(]")
# File streams that write, and the std::filesystem calls that change the file system (through
# std::filesystem:: or the fs:: alias); looking (exists, status, directory_iterator) is no change.
set(raw_stream "std::(basic_|w)?o?fstream|std::(basic_)?filebuf")
set(raw_fs_change "remove|remove_all|rename|create_directory|create_directories|create_directory_symlink|create_symlink|create_hard_link|copy|copy_file|copy_symlink|resize_file|permissions")
set(raw_fs_call "(std::filesystem::|(^|[^A-Za-z0-9_:])fs::)(${raw_fs_change})[ \t]*[(]")

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
    if(NOT folder STREQUAL "platform" AND NOT line MATCHES "^[ \t]*//"
       AND (line MATCHES "${raw_call}" OR line MATCHES "${raw_stream}"
            OR line MATCHES "${raw_fs_call}"))
      message(SEND_ERROR "src/${source}:${number}: a raw system call outside platform/: ${line}")
      math(EXPR faults "${faults} + 1")
    endif()
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
  message(FATAL_ERROR "${faults} include(s) against the layer order or raw call(s)")
endif()
list(LENGTH sources count)
message(STATUS "${count} files of src/ follow the layer order")
