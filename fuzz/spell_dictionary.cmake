quillon_fuzz(spell_dictionary SOURCES ${CMAKE_CURRENT_LIST_DIR}/spell_dictionary.cpp DEPS quillon_spell)
