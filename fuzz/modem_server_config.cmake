quillon_fuzz(modem_server_config SOURCES ${CMAKE_CURRENT_LIST_DIR}/modem_server_config.cpp DEPS quillon_modem_server)
