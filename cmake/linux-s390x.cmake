# Big-endian Linux (IBM Z), where any host-endian read of a field shows,
# built with g++-s390x-linux-gnu and run under qemu-s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(KALIMBER_TRIPLE s390x-linux-gnu)
set(KALIMBER_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
