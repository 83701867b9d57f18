# Fails when BINARY needs Qt Gui or Widgets: the command line stands on the
# widget-free cores only.
execute_process(COMMAND readelf -d ${BINARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "readelf could not read ${BINARY}")
endif()
if(dynamic MATCHES "libQt6(Gui|Widgets|OpenGL)")
    message(FATAL_ERROR "${BINARY} links ${CMAKE_MATCH_0}")
endif()
