# Warnings for our own targets; -Werror when VANTREL_WERROR is on (CI).
function(vantrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                         -Wno-sign-conversion)
  if(VANTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(VANTREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
