ferolith_add_fuzzer(ini SOURCES ${CMAKE_CURRENT_LIST_DIR}/FuzzIni.cpp DEPS ferolith_config)
