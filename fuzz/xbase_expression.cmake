quillon_fuzz(xbase_expression SOURCES ${CMAKE_CURRENT_LIST_DIR}/xbase_expression.cpp DEPS quillon_xbase)
