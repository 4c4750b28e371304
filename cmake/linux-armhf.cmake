# 32-bit ARM Linux with hardware floating point (Raspberry Pi OS 32-bit),
# built with g++-arm-linux-gnueabihf and run under qemu-arm.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(KALIMBER_TRIPLE arm-linux-gnueabihf)
set(KALIMBER_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
