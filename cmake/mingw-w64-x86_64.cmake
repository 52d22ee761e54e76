# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-x86-64-posix).
# Used for building Qt itself and for building the exercise against that Qt:
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH=<Qt prefix> ...
#
# The prefixes in CMAKE_PREFIX_PATH join the find roots, so a Qt built for Windows is found there while
# nothing of the host's /usr ever is.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
# The POSIX-thread variant: the win32 one has no std::thread, std::mutex or std::future, which Qt needs.
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Headers and libraries of the target come only from MinGW's tree and the prefixes given (Qt's);
# programs (moc, rcc, the host Qt's tools, wine) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
if(CMAKE_PREFIX_PATH)
    list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs that start without MinGW's runtime DLLs (libstdc++, libgcc_s, libwinpthread) beside them,
# under Wine as on a pupil's Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# With Wine, ctest runs the Windows test programs (and CMake's try_run its checks) through it.
# Debian's wine64 package puts its loader in /usr/lib/wine; the wine package adds /usr/bin/wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(MINGW_WINE NAMES wine64 wine PATHS /usr/lib/wine)
    if(MINGW_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR "${MINGW_WINE}")
    endif()
endif()
