quillon_fuzz(ini_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/ini_reader.cpp DEPS quillon_settings)
