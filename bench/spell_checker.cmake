# The spelling checker beside hunspell (Debian hunspell + hunspell-en-us + libhunspell-dev).
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_HUNSPELL REQUIRED IMPORTED_TARGET hunspell)
quillon_bench(spell_checker SOURCES ${CMAKE_CURRENT_LIST_DIR}/spell_checker.cpp
              DEPS quillon_spell quillon_platform PkgConfig::BENCH_HUNSPELL)
add_dependencies(bench_spell_checker spell_main_dictionary)
target_compile_definitions(bench_spell_checker PRIVATE
  QUILLON_MAIN_DICTIONARY="${CMAKE_BINARY_DIR}/bin/qln.dct"
  QUILLON_BENCH_TEXT="/usr/share/common-licenses/GPL-3"
  QUILLON_BENCH_MISSPELLINGS="${CMAKE_CURRENT_LIST_DIR}/spell_misspellings.txt")
