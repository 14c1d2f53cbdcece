quillon_fuzz(faximage_bmp SOURCES ${CMAKE_CURRENT_LIST_DIR}/faximage_bmp.cpp DEPS quillon_faximage)
