ferolith_add_fuzzer(hardware
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HardwareFuzzer.cpp
  DEPS ferolith_sim ferolith_link ferolith_port)
