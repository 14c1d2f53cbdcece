if(TARGET Qt6::Gui)
  quillon_fuzz(rtf_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/rtf_reader.cpp DEPS quillon_richtext_document)
endif()
