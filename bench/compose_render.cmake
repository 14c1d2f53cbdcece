# A fax of a one-page cover and a ten-page document rendered into a fax file (CreateFaxFile's
# engine), beside Ghostscript's tiffg3 device rendering a PDF of the same text.
if(TARGET Qt6::Widgets)
  quillon_bench(compose_render SOURCES ${CMAKE_CURRENT_LIST_DIR}/compose_render.cpp DEPS quillon_compose)
endif()
