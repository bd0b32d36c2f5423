# Cross build of the same sources for 64-bit Windows, for machines that cannot run 32-bit
# programs: the checks run on it under 64-bit Wine.
set(TARN_MINGW_PROCESSOR x86_64)
set(TARN_MINGW_TRIPLE x86_64-w64-mingw32)
set(TARN_WINDOWS_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
