if(TARGET Qt6::Gui)
  quillon_bench(richtext_pages SOURCES ${CMAKE_CURRENT_LIST_DIR}/richtext_pages.cpp DEPS quillon_richtext_document
                benchmark::benchmark)
endif()
