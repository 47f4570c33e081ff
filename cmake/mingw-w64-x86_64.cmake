# Cross-building for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix);
# the programs and tests run under Wine (wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Self-contained programs: no MinGW runtime DLLs to find beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# CTest and the build's own tools (the example generator) run the programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# Qt for Windows, built by scripts/windows-qt, where one is named; its build tools (moc, uic,
# rcc) are the host's, Debian's Qt of the same version.
if(SONDREL_WINDOWS_QT)
    list(APPEND CMAKE_FIND_ROOT_PATH ${SONDREL_WINDOWS_QT})
    list(APPEND CMAKE_PREFIX_PATH ${SONDREL_WINDOWS_QT})
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake)
endif()
# libebur128 for Windows, built by scripts/windows-ebur128.
if(SONDREL_WINDOWS_EBUR128)
    list(APPEND CMAKE_FIND_ROOT_PATH ${SONDREL_WINDOWS_EBUR128})
endif()
