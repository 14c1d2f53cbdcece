# Start-up of the main window over 100,000 sent faxes, against a grid that loads every row.
if(TARGET Qt6::Widgets)
  quillon_bench(app_startup SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_startup.cpp DEPS quillon_app)
endif()
