# nv_warnings(target): the project's warning set; errors when NV_WERROR is on.
function(nv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                           -Wnon-virtual-dtor -Wconversion -Wsign-conversion)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports -Wrestrict inside libstdc++'s own string code at -O3
    # (GCC bug 105329), for code that does nothing wrong.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(NV_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
