# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX threads,
# so std::thread works). TARN_MINGW_ROOTS names further target roots, such as
# Qt and SQLite built for mingw.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER /usr/bin/${TARN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${TARN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/${TARN_MINGW}-windres)
set(CMAKE_AR /usr/bin/${TARN_MINGW}-gcc-ar-posix)
set(CMAKE_RANLIB /usr/bin/${TARN_MINGW}-gcc-ranlib-posix)

set(CMAKE_FIND_ROOT_PATH /usr/${TARN_MINGW} ${TARN_MINGW_ROOTS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The host's pkg-config would hand Linux libraries to the Windows build.
set(PKG_CONFIG_EXECUTABLE "" CACHE FILEPATH "" FORCE)
