quillon_fuzz(xbase_fpt SOURCES ${CMAKE_CURRENT_LIST_DIR}/xbase_fpt.cpp DEPS quillon_xbase)
