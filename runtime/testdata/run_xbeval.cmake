# Runs xbeval on INPUT and compares its output with EXPECTED byte for byte.
# The emulator (wine-run and its arguments) comes with '|' between its words.
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} ${XBEVAL} ${INPUT} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "xbeval failed (${rc})")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "xbeval output differs:\n${out}\nexpected:\n${expected}")
endif()
