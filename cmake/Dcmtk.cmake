# DCMTK's dcmdata encodes the DICOM worklist items. Debian's libdcmtk-dev ships a CMake package,
# and so does the static DCMTK for Windows that scripts/build-dcmtk-windows puts into the Windows
# cache (MORVIK_WINDOWS_PREFIX); a DCMTK without one is found by its headers and libraries.
# Without DCMTK the worklist is left out of the build: MORVIK_WITH_WORKLIST is OFF, and
# encoding an item says that this build cannot.
set(MORVIK_WITH_WORKLIST OFF)
set(MORVIK_DCMTK_LIBRARIES "")
find_package(DCMTK CONFIG QUIET)
if(DCMTK_FOUND AND TARGET DCMTK::dcmdata)
  set(MORVIK_DCMTK_LIBRARIES DCMTK::dcmdata)
  set(MORVIK_WITH_WORKLIST ON)
else()
  find_path(MORVIK_DCMTK_INCLUDE_DIR dcmtk/dcmdata/dcfilefo.h)
  find_library(MORVIK_DCMDATA_LIBRARY dcmdata)
  find_library(MORVIK_OFLOG_LIBRARY oflog)
  find_library(MORVIK_OFSTD_LIBRARY ofstd)
  if(MORVIK_DCMTK_INCLUDE_DIR AND MORVIK_DCMDATA_LIBRARY AND MORVIK_OFLOG_LIBRARY
     AND MORVIK_OFSTD_LIBRARY)
    add_library(Morvik::Dcmtk INTERFACE IMPORTED)
    set(dcmtk_libraries ${MORVIK_DCMDATA_LIBRARY} ${MORVIK_OFLOG_LIBRARY} ${MORVIK_OFSTD_LIBRARY})
    if(WIN32)
      # A static DCMTK for Windows needs the system's network and user libraries (ofstd asks
      # them for the host name and the adapters' addresses that go into new UIDs).
      list(APPEND dcmtk_libraries iphlpapi ws2_32 netapi32 wsock32)
    endif()
    set_target_properties(Morvik::Dcmtk PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES ${MORVIK_DCMTK_INCLUDE_DIR}
      INTERFACE_LINK_LIBRARIES "${dcmtk_libraries}")
    set(MORVIK_DCMTK_LIBRARIES Morvik::Dcmtk)
    set(MORVIK_WITH_WORKLIST ON)
  endif()
endif()
if(NOT MORVIK_WITH_WORKLIST)
  message(STATUS "No DCMTK: the DICOM worklist is left out of this build")
endif()
