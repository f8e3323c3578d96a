ferolith_add_fuzzer(library SOURCES ${CMAKE_CURRENT_LIST_DIR}/FuzzLibrary.cpp DEPS ferolith_config)
