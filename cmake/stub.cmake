# Win32 build: the self-extracting stub and the end-to-end test robot.
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Os")
add_compile_options(-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                    -fno-threadsafe-statics -ffunction-sections -fdata-sections)

file(GLOB OMBRIX_WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/src/startup/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/src/ui/*.cpp
  ${CMAKE_SOURCE_DIR}/src/setup/win32/*.cpp)
file(GLOB OMBRIX_RESOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc)

# The stub takes the command tail itself and ends with exit(), so the mingw start-up files,
# which cost more than the whole program, stay out; so do the default libraries, which would
# bring MSVCRT back in. CRTDLL is the C runtime that every 32-bit Windows has, Win32s included;
# MSVCRT is missing on the oldest systems the stub must start on.
add_executable(ombrix-sfx WIN32 ${OMBRIX_CORE_SOURCES} ${OMBRIX_WIN32_SOURCES} ${OMBRIX_RESOURCES})
target_include_directories(ombrix-sfx PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(ombrix-sfx PRIVATE ${OMBRIX_WARNINGS})
target_link_options(ombrix-sfx PRIVATE
  -nostartfiles -nodefaultlibs -Wl,-e,_StubEntry -s -Wl,--gc-sections
  -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0
  -Wl,--disable-dynamicbase -Wl,--disable-reloc-section)
target_link_libraries(ombrix-sfx PRIVATE
  kernel32 user32 gdi32 comdlg32 advapi32 shell32 crtdll gcc)

include(cmake/image_layout.cmake OPTIONAL)

file(GLOB OMBRIX_ROBOT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/robot/*.cpp)
if(OMBRIX_ROBOT_SOURCES)
  add_executable(robot ${OMBRIX_ROBOT_SOURCES})
  target_compile_options(robot PRIVATE ${OMBRIX_WARNINGS})
  target_link_options(robot PRIVATE -municode -static-libgcc -static-libstdc++ -s)
  target_link_libraries(robot PRIVATE user32 gdi32)
endif()
