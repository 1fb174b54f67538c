# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix) and runs
# what it built under Wine. scripts/qt-windows builds Qt for Windows with this same file.
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

# Qt for Windows as scripts/qt-windows installs it. Its prefix becomes a find root as well, or
# find_package would look for it under the mingw folder only; moc, rcc and uic come from the build
# machine's Qt of the same version.
set(Z2O_QT_PREFIX "$ENV{Z2O_QT_PREFIX}" CACHE PATH "Qt for Windows, installed by scripts/qt-windows")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES Z2O_QT_PREFIX)
if(Z2O_QT_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${Z2O_QT_PREFIX}")
  list(PREPEND CMAKE_PREFIX_PATH "${Z2O_QT_PREFIX}")
  set(QT_HOST_PATH /usr CACHE PATH "")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()

find_program(Z2O_WINE NAMES wine wine64)
if(Z2O_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${Z2O_WINE})
endif()
