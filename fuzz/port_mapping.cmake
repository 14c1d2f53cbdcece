quillon_fuzz(port_mapping SOURCES ${CMAKE_CURRENT_LIST_DIR}/port_mapping.cpp DEPS quillon_ports)
