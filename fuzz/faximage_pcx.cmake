quillon_fuzz(faximage_pcx SOURCES ${CMAKE_CURRENT_LIST_DIR}/faximage_pcx.cpp DEPS quillon_faximage)
