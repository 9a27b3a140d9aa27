# Points the demo's Settings.ini at the demo's own inbox/ and outbox/, wherever the checkout
# lives now. Run at every build of morvik_demo:
#   cmake -DSETTINGS=.../Settings.ini -DTEMPLATE=.../Settings.ini.in -DDEMO_DIR=... -P PointSettings.cmake
# Only the GDTQuell and GDTZiel lines change, and the file is written only when one of them
# differs: initials and options saved in the program stay, and so do CR LF and Windows-1252.
# A missing file is made from the template. SEPARATOR is "\" for the Windows demo.
if(NOT DEFINED SEPARATOR)
  set(SEPARATOR "/")
endif()
set(crlf TRUE)
if(EXISTS ${SETTINGS})
  # file(READ) gives CR LF as LF; the byte count tells whether the file had CR LF.
  file(READ ${SETTINGS} old)
  file(READ ${SETTINGS} bytes HEX)
  string(LENGTH "${old}" characters)
  string(LENGTH "${bytes}" digits)
  math(EXPR stripped "${digits} / 2 - ${characters}")
  if(stripped EQUAL 0)
    set(crlf FALSE)
  endif()
else()
  file(READ ${TEMPLATE} old)
endif()

# A leading line break lets one pattern find the key on the first line as on any other.
set(text "\n${old}")
foreach(entry "GDTQuell;inbox" "GDTZiel;outbox")
  list(GET entry 0 key)
  list(GET entry 1 folder)
  set(line "${key}=${DEMO_DIR}${SEPARATOR}${folder}")
  string(REPLACE "\\" "\\\\" replacement "${line}")
  if(text MATCHES "\n[ \t]*${key}[ \t]*=")
    string(REGEX REPLACE "\n[ \t]*${key}[ \t]*=[^\n]*" "\n${replacement}" text "${text}")
  else()
    string(REPLACE "[GDTService]\n" "[GDTService]\n${line}\n" text "${text}")
  endif()
endforeach()
string(SUBSTRING "${text}" 1 -1 text)

if(NOT EXISTS ${SETTINGS} OR NOT text STREQUAL old)
  if(crlf)
    string(REPLACE "\n" "\r\n" text "${text}")
  endif()
  file(WRITE ${SETTINGS} "${text}")
endif()
