quillon_fuzz(faximage_fax_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/faximage_fax_file.cpp DEPS quillon_faximage)
