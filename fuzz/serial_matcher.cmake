quillon_fuzz(serial_matcher SOURCES ${CMAKE_CURRENT_LIST_DIR}/serial_matcher.cpp DEPS quillon_serial)
