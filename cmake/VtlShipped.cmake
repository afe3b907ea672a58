# Shipped programs never link a test-only library (the fakes): a program marked with
# vtl_shipped_program() that reaches one through its link closure stops the configure
# step, before anything is built.
#
# A shipped Windows program is also what users get as it leaves the link: without its
# debug information (most of its size). That is kept in bin/.debug/<file>.debug, where
# gdb finds it through the program's debug link, for reading crash reports; the
# fake-symbol check reads it there too, the program itself having no symbols left.
function(vtl_shipped_program target)
  set_property(GLOBAL APPEND PROPERTY VTL_SHIPPED_PROGRAMS ${target})
  if(WIN32)
    _vtl_split_debug_information(${target})
  endif()
endfunction()

function(_vtl_split_debug_information target)
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "no objcopy found: ${target} cannot be shipped without its debug information")
  endif()
  set(program $<TARGET_FILE:${target}>)
  set(debug_dir $<TARGET_FILE_DIR:${target}>/.debug)
  set(debug_file ${debug_dir}/$<TARGET_FILE_NAME:${target}>.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${debug_dir}
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${program} ${debug_file}
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${debug_file} ${program}
    COMMENT "Keeping the debug information of ${target} in .debug/"
    VERBATIM)
endfunction()

function(_vtl_collect_links target out_var)
  set(seen ${${out_var}})
  if(NOT TARGET ${target} OR ${target} IN_LIST seen)
    return()
  endif()
  list(APPEND seen ${target})
  get_target_property(type ${target} TYPE)
  set(links)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(direct ${target} LINK_LIBRARIES)
    if(direct)
      list(APPEND links ${direct})
    endif()
  endif()
  get_target_property(iface ${target} INTERFACE_LINK_LIBRARIES)
  if(iface)
    list(APPEND links ${iface})
  endif()
  foreach(link ${links})
    _vtl_collect_links(${link} seen)
  endforeach()
  set(${out_var} ${seen} PARENT_SCOPE)
endfunction()

function(vtl_refuse_fakes_in_shipped_programs)
  get_property(programs GLOBAL PROPERTY VTL_SHIPPED_PROGRAMS)
  foreach(program ${programs})
    set(closure)
    _vtl_collect_links(${program} closure)
    foreach(lib ${closure})
      get_target_property(test_only ${lib} VTL_TEST_ONLY)
      if(test_only)
        message(FATAL_ERROR "${program} is shipped but links ${lib}, which is for tests and tools only")
      endif()
    endforeach()
  endforeach()
endfunction()
