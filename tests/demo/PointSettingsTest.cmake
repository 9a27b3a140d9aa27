# The demo's Settings.ini follows the checkout: the folder lines point at the demo's own inbox/
# and outbox/, and every other byte of the file stays (keys, comments, CR LF, Windows-1252).
# cmake -DSCRIPT=PointSettings.cmake -DTEMPLATE=Settings.ini.in -DWORK=FOLDER -P PointSettingsTest.cmake
set(settings ${WORK}/Settings.ini)
file(REMOVE ${settings})

# Compared as hex: file(READ) would hide the CRs.
function(point_to dir expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSETTINGS=${settings} -DTEMPLATE=${TEMPLATE}
                          -DDEMO_DIR=${dir} -P ${SCRIPT} COMMAND_ERROR_IS_FATAL ANY)
  file(READ ${settings} actual HEX)
  string(HEX "${expected}" expected)
  if(NOT actual MATCHES "^${expected}$")
    message(FATAL_ERROR "Settings.ini for ${dir}:\n${actual}\nexpected to match:\n${expected}")
  endif()
endfunction()

# A fresh demo: the template as CR LF text, the folders filled in.
file(READ ${TEMPLATE} template)
string(REGEX REPLACE "GDTQuell=[^\n]*" "GDTQuell=/checkout/build/demo/inbox" template "${template}")
string(REGEX REPLACE "GDTZiel=[^\n]*" "GDTZiel=/checkout/build/demo/outbox" template "${template}")
string(REPLACE "\n" "\r\n" template "${template}")
point_to(/checkout/build/demo "${template}")

# A moved checkout whose demo was used: initials, a caption saved in Windows-1252, a comment
# with a semicolon, a source line with blanks; the target line was deleted by hand.
string(ASCII 246 oe)
file(WRITE ${settings} "[GDTService]\r\nGDTQuell = /old/inbox\r\nModalitaet1=R${oe}ntgen\r\n; a;b\r\nKuerzel=JS\r\n")
point_to(/moved/demo "[GDTService]\r\nGDTZiel=/moved/demo/outbox\r\nGDTQuell=/moved/demo/inbox\r\nModalitaet1=R${oe}ntgen\r\n; a;b\r\nKuerzel=JS\r\n")
