# Opening a 20-page fine fax in the viewer control and paging, against libtiff decoding and
# poppler's pdftoppm rendering the same pages.
if(TARGET quillon_viewer)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(BENCH_VIEWER_LIBTIFF REQUIRED IMPORTED_TARGET libtiff-4)
  quillon_bench(fax_viewer SOURCES ${CMAKE_CURRENT_LIST_DIR}/fax_viewer.cpp
                DEPS quillon_viewer PkgConfig::BENCH_VIEWER_LIBTIFF)
endif()
