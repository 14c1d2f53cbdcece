quillon_fuzz(faximage_viewer SOURCES ${CMAKE_CURRENT_LIST_DIR}/faximage_viewer.cpp DEPS quillon_faximage quillon_faximage_pdf)
