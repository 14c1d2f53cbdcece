quillon_bench(serial_dispatcher SOURCES ${CMAKE_CURRENT_LIST_DIR}/serial_dispatcher.cpp DEPS quillon_serial)
