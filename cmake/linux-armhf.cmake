# 32-bit ARM Linux with hardware floating point (Raspberry Pi OS 32-bit),
# built with g++-arm-linux-gnueabihf and run under qemu-arm.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(KALIMBER_TRIPLE arm-linux-gnueabihf)
set(KALIMBER_QEMU qemu-arm)
# g++ may note "parameter passing for argument of type ... changed in GCC
# 7.1", a change of the armhf calling convention that matters only where code
# built by an older compiler is called; the tool is built whole by one compiler.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
