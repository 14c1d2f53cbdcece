quillon_fuzz(fax_send_machine SOURCES ${CMAKE_CURRENT_LIST_DIR}/fax_send_machine.cpp DEPS quillon_fax)
target_include_directories(fuzz_fax_send_machine PRIVATE ${CMAKE_SOURCE_DIR}/tests)
