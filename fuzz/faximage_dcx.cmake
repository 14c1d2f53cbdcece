quillon_fuzz(faximage_dcx SOURCES ${CMAKE_CURRENT_LIST_DIR}/faximage_dcx.cpp DEPS quillon_faximage)
