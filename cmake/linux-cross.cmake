# The shared part of the Linux cross toolchains: Debian's cross compiler for
# KALIMBER_TRIPLE, and qemu user mode to run its programs, tests included.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${KALIMBER_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KALIMBER_TRIPLE}-g++)
set(CMAKE_STRIP ${KALIMBER_TRIPLE}-strip)
set(CMAKE_FIND_ROOT_PATH /usr/${KALIMBER_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# qemu-user names it qemu-<cpu>, qemu-user-static qemu-<cpu>-static.
find_program(KALIMBER_QEMU_PROGRAM NAMES ${KALIMBER_QEMU} ${KALIMBER_QEMU}-static)
if(NOT KALIMBER_QEMU_PROGRAM)
  message(FATAL_ERROR "Neither ${KALIMBER_QEMU} nor ${KALIMBER_QEMU}-static was found: "
                      "apt-get install qemu-user (or qemu-user-static)")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${KALIMBER_QEMU_PROGRAM} -L /usr/${KALIMBER_TRIPLE})
