# The device's processor: 32-bit ARM Windows, compiled with the system's clang
# against the mingw-w64 headers. Compile only: there are no ARM libraries to link
# against here, and nothing could run the result. Any x86-only construct (inline
# assembly, register names, x86 intrinsics) fails this build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR armv7)

set(ARM_TARGET armv7-w64-windows-gnu)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${ARM_TARGET})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${ARM_TARGET})
set(CMAKE_AR llvm-ar CACHE FILEPATH "")
# The compiler checks compile and archive; they link nothing.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The mingw-w64 headers shared by every target processor.
set(MINGW_HEADERS /usr/share/mingw-w64/include)
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${MINGW_HEADERS})
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${MINGW_HEADERS})

set(VANTORIX_COMPILE_ONLY ON CACHE BOOL "Compile the product's sources, link nothing")
