ferolith_add_fuzzer(cli_args SOURCES ${CMAKE_CURRENT_LIST_DIR}/CliArgsFuzz.cpp DEPS ferolith_cli)
