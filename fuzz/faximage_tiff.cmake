quillon_fuzz(faximage_tiff SOURCES ${CMAKE_CURRENT_LIST_DIR}/faximage_tiff.cpp DEPS quillon_faximage)
