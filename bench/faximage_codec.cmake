find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_LIBTIFF REQUIRED IMPORTED_TARGET libtiff-4)
pkg_check_modules(BENCH_SPANDSP REQUIRED IMPORTED_TARGET spandsp)
quillon_bench(faximage_codec SOURCES ${CMAKE_CURRENT_LIST_DIR}/faximage_codec.cpp
              DEPS quillon_faximage PkgConfig::BENCH_LIBTIFF PkgConfig::BENCH_SPANDSP)
