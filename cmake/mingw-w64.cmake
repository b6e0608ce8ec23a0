# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model, for
# std::thread). Libraries come from the MinGW sysroot (zlib) and from the folder that
# scripts/build-windows-deps.sh fills (SPRANDEL_WINDOWS_DEPS). Programs run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

if(NOT SPRANDEL_WINDOWS_DEPS)
    set(SPRANDEL_WINDOWS_DEPS ${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps/prefix)
endif()
get_filename_component(SPRANDEL_WINDOWS_DEPS ${SPRANDEL_WINDOWS_DEPS} ABSOLUTE)
# try_compile projects read this file again and need the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SPRANDEL_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet} ${SPRANDEL_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static archives only (zlib's import library would need zlib1.dll beside the program; the
# platform files put .dll.a first, so zlib is named here), and the C and C++ run-time
# linked in: the .exe runs with no MinGW DLL beside it.
set(ZLIB_LIBRARY /usr/${mingw_triplet}/lib/libz.a CACHE FILEPATH "static zlib")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# minizip's .pc file is the build script's, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} ${SPRANDEL_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
# Test discovery, the demo database build and ctest run the .exe files through wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
