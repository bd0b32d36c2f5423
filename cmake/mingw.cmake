# Shared part of the MinGW-w64 cross builds (posix threads variant); the per-architecture
# toolchain files set TARN_MINGW_PROCESSOR, TARN_MINGW_TRIPLE and TARN_WINDOWS_ARCH, then include
# this. Programs of the build run under Wine through windows-run.sh, ctest's emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TARN_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${TARN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARN_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(TARN_WINDOWS_RUN ${CMAKE_CURRENT_LIST_DIR}/windows-run.sh ${TARN_WINDOWS_ARCH})
set(CMAKE_CROSSCOMPILING_EMULATOR ${TARN_WINDOWS_RUN})
