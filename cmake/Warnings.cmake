# bcf_warnings(target): the project's warning set, fatal under BCF_WERROR.
function(bcf_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(BCF_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
