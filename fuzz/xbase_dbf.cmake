quillon_fuzz(xbase_dbf SOURCES ${CMAKE_CURRENT_LIST_DIR}/xbase_dbf.cpp DEPS quillon_xbase)
