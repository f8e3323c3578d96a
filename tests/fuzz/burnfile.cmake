ferolith_add_fuzzer(burnfile SOURCES ${CMAKE_CURRENT_LIST_DIR}/BurnFileFuzz.cpp DEPS ferolith_files)
