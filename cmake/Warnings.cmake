# Every target of ours gets the same warning set; a warning is a defect.
function(lum_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(LUM_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
