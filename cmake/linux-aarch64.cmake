# 64-bit ARM Linux (Raspberry Pi OS 64-bit and other ARM boards),
# built with g++-aarch64-linux-gnu and run under qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(KALIMBER_TRIPLE aarch64-linux-gnu)
set(KALIMBER_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
