quillon_fuzz(faximage_decoder SOURCES ${CMAKE_CURRENT_LIST_DIR}/faximage_decoder.cpp DEPS quillon_faximage)
