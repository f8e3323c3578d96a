# The file dialog filter strings of the desktop program.
if(TARGET ferolith_gui)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  ferolith_add_fuzzer(dialog_filter SOURCES ${CMAKE_CURRENT_LIST_DIR}/DialogFilterFuzz.cpp
    DEPS ferolith_gui)
endif()
