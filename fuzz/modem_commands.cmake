quillon_fuzz(modem_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/modem_commands.cpp DEPS quillon_modem_emulator)
