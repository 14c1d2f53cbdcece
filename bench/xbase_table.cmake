quillon_bench(xbase_table SOURCES ${CMAKE_CURRENT_LIST_DIR}/xbase_table.cpp DEPS quillon_store)
