quillon_fuzz(fax_modem_answers SOURCES ${CMAKE_CURRENT_LIST_DIR}/fax_modem_answers.cpp DEPS quillon_fax)
