# nv_warnings(target): the project's warning set; errors when NV_WERROR is on.
function(nv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                           -Wnon-virtual-dtor -Wconversion -Wsign-conversion)
  if(NV_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
