# The native programs are built as Debian builds its packages (dpkg-buildflags): the C
# library's checked string and memory functions, and every relocation resolved and
# made read-only at start-up. The tests run the same code the package ships. Fortified
# functions need the optimiser, and the sanitizer build has its own checks, so neither a
# Debug nor a fuzz build takes them; the Windows build links no GNU C library.
function(vtl_harden_native_build)
  if(WIN32 OR VTL_FUZZ OR CMAKE_BUILD_TYPE STREQUAL "Debug")
    return()
  endif()
  add_compile_definitions(_FORTIFY_SOURCE=2)
  add_compile_options(-fstack-protector-strong)
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endfunction()
