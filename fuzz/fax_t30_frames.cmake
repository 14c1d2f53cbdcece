quillon_fuzz(fax_t30_frames SOURCES ${CMAKE_CURRENT_LIST_DIR}/fax_t30_frames.cpp DEPS quillon_fax)
