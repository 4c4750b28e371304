# 32-bit x86 Linux, where double arithmetic must not stay in x87 registers,
# built with g++-i686-linux-gnu and run under qemu-i386.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KALIMBER_TRIPLE i686-linux-gnu)
set(KALIMBER_QEMU qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
