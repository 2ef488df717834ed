# Cross toolchain: mingw-w64 for 32-bit x86. Pointers, handles and message words are
# 32 bits wide here, as on the device. This machine's kernel runs no 32-bit programs:
# the build is checked by building it.
set(MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-posix.cmake)
