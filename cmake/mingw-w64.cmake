# Cross-build for 64-bit Windows with Debian's mingw-w64, running the results
# under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)

# Self-contained executables: Wine then needs none of the compiler's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Release executables are stripped: they are what a user downloads.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
