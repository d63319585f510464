# Cross-building the Windows programs with Debian's mingw-w64 compiler (posix threads flavour)
# and running them, and the tests, under Wine:
#   cmake --preset windows && cmake --build build-windows && ctest --test-dir build-windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORLAXIS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORLAXIS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLAXIS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLAXIS_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLAXIS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: no libstdc++/libgcc/winpthread DLLs to ship or to find under Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Unicode entry points and the Windows 7 API level (GetDateFormatEx, CompareStringEx, ...).
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# Programs built here run under Wine in a prefix of their own, so a developer's ~/.wine is
# never touched; no display is needed for console programs. VORLAXIS_WINEPREFIX and
# VORLAXIS_WINE override the defaults.
if(DEFINED ENV{VORLAXIS_WINEPREFIX})
  set(VORLAXIS_WINEPREFIX "$ENV{VORLAXIS_WINEPREFIX}")
else()
  set(VORLAXIS_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
endif()
if(DEFINED ENV{VORLAXIS_WINE})
  set(VORLAXIS_WINE "$ENV{VORLAXIS_WINE}")
elseif(EXISTS /usr/lib/wine/wine64)
  set(VORLAXIS_WINE /usr/lib/wine/wine64)
else()
  set(VORLAXIS_WINE wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${VORLAXIS_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
        ${VORLAXIS_WINE})
