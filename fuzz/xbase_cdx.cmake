quillon_fuzz(xbase_cdx SOURCES ${CMAKE_CURRENT_LIST_DIR}/xbase_cdx.cpp DEPS quillon_xbase)
