# Writes a UTF-8 text file as Windows' own Notepad reads it on any system language: a UTF-8
# byte-order mark (without one, Notepad takes the bytes for the system's ANSI code page) and
# CR LF line ends.
#   cmake -DINPUT=in.txt -DOUTPUT=out.txt -P WindowsText.cmake
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 bom)
if(text MATCHES "^${bom}")
  set(bom "")
endif()
file(WRITE "${OUTPUT}" "${bom}${text}")
