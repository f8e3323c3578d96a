ferolith_add_fuzzer(chip_contents
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChipContentsFuzz.cpp
  DEPS ferolith_simchip)
