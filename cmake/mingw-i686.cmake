# Cross toolchain for the Win32 stub: Debian's mingw-w64 i686 compilers.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(OMBRIX_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
