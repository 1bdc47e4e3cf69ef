# Our own code builds warning-free; third-party code is never passed through this.
function(zarnok_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
