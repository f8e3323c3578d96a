ferolith_add_fuzzer(datafile
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DataFileFuzz.cpp
  DEPS ferolith_files)
