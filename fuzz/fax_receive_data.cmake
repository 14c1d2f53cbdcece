quillon_fuzz(fax_receive_data SOURCES ${CMAKE_CURRENT_LIST_DIR}/fax_receive_data.cpp DEPS quillon_fax quillon_faximage)
