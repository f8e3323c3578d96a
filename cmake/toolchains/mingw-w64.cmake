# What both Windows toolchains share; each sets FEROLITH_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR, then includes this file.
# The -posix compilers carry std::thread and friends; the runtime is linked
# statically, so the programs need no DLL of the compiler beside them.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${FEROLITH_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FEROLITH_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FEROLITH_MINGW_TRIPLE}-windres)

# Libraries, headers and packages only from the target's root, or where a
# package's folder is named outright (GTest_DIR of a GoogleTest built for
# the target); programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${FEROLITH_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Test programs run under wine where it is installed (CTest and the test
# discovery put it before each program).
find_program(FEROLITH_WINE wine)
if(FEROLITH_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FEROLITH_WINE})
endif()
