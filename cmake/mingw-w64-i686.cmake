# The product is a 32-bit Windows program: real 64-bit Windows ships Direct3D 8 and
# DirectMusic's performance layer for 32-bit programs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The oldest Windows the build supports is Windows 7 (6.1): the headers hide every
# newer call, so a direct use of one fails to compile instead of failing to start on
# a user's PC, and the PE header says the same version.
set(VTL_WINDOWS_MIN_VERSION 0x0601 CACHE INTERNAL "")
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NTDDI_VERSION=0x06010000)

# Static runtime: the saver must need no DLL that Windows does not ship itself.
# Large-address aware: a 32-bit program may use up to 4 GiB on 64-bit Windows.
set(vtl_link_flags "-static -static-libgcc -static-libstdc++ -Wl,--large-address-aware")
string(APPEND vtl_link_flags " -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,1")
string(APPEND vtl_link_flags " -Wl,--major-os-version,6 -Wl,--minor-os-version,1")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${vtl_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${vtl_link_flags}")
