# Cross build of the 32-bit Windows libraries and programs: the product.
set(TARN_MINGW_PROCESSOR i686)
set(TARN_MINGW_TRIPLE i686-w64-mingw32)
set(TARN_WINDOWS_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
