# Parses INPUT with the CLI and compares the JSON with EXPECTED, byte for byte.
execute_process(COMMAND ${CLI} parse --transcript ${INPUT}
                OUTPUT_VARIABLE actual RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "parse failed (${status}): ${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "JSON differs from ${EXPECTED}:\n${actual}")
endif()
