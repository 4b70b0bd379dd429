# Cross build for the recorder's 32-bit ARM board (Debian's
# arm-linux-gnueabihf toolchain and the :armhf -dev packages). The test
# programs run under qemu-arm:
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/armhf.cmake
#
# Every program of this build is linked statically: webreq and tqjs are
# static on the board anyway, and qemu-arm 7.2 runs static threaded programs
# reliably where dynamically linked ones crash in pthread_create when the
# cross toolchain's libraries are mapped in with -L. So the emulator needs no
# library prefix.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
# Libraries and CMake packages come from the target's multiarch directories
# (/usr/lib/arm-linux-gnueabihf) and the cross toolchain's own tree, never
# from the host's.
set(CMAKE_FIND_ROOT_PATH /usr/lib/arm-linux-gnueabihf /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)
