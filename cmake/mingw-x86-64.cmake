# Cross toolchain for the x86-64 build of the stub and the robot, a test vehicle for hosts whose
# Wine runs 64-bit programs only: Debian's mingw-w64 x86-64 compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(OMBRIX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
