quillon_fuzz(serial_dumps SOURCES ${CMAKE_CURRENT_LIST_DIR}/serial_dumps.cpp DEPS quillon_serial)
