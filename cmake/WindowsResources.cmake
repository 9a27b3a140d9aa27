# Gives a Windows program the icon, version resource and manifest of
# packaging/windows/VersionInfo.rc.
# The texts of one program go into a small header beside it: the resource compiler hands its
# command line through a shell, which would take a quoted text with blanks apart.
function(morvik_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(rc ${PROJECT_SOURCE_DIR}/packaging/windows/VersionInfo.rc)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-resource)
  file(GENERATE OUTPUT ${dir}/ProgramResource.h CONTENT
"#define MORVIK_FILE_DESCRIPTION \"${description}\"
#define MORVIK_ORIGINAL_NAME \"$<TARGET_FILE_NAME:${target}>\"
")
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY INCLUDE_DIRECTORIES
    ${dir} ${PROJECT_SOURCE_DIR}/data/icons ${PROJECT_SOURCE_DIR}/packaging/windows
    ${PROJECT_BINARY_DIR}/src/generated)
endfunction()
