# 32-bit big-endian PowerPC Linux with Debian's cross compiler; binaries run under
# qemu-user, named explicitly (nothing kernel-global is registered).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR powerpc)
set(CMAKE_C_COMPILER powerpc-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER powerpc-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/powerpc-linux-gnu)
# The CP stays in service past January 2038: glibc's 64-bit time_t (and the 64-bit file
# offsets it requires) instead of the 32-bit default of this target.
string(APPEND CMAKE_C_FLAGS_INIT " -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64")
string(APPEND CMAKE_CXX_FLAGS_INIT " -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(HAADM_EMULATOR qemu-ppc -L /usr/powerpc-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR ${HAADM_EMULATOR})
