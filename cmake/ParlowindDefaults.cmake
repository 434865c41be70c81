# Compiler settings shared by every target of our own (not by whisper.cpp).

set(PARLOWIND_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

function(parlowind_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(PARLOWIND_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(PARLOWIND_SANITIZE)
    target_compile_options(${target} PRIVATE ${PARLOWIND_SANITIZER_FLAGS})
    target_link_options(${target} PUBLIC ${PARLOWIND_SANITIZER_FLAGS})
  endif()
  target_compile_definitions(${target} PRIVATE
    QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_URL_CAST_FROM_STRING QT_NO_CAST_TO_ASCII
    QT_NO_FOREACH)
endfunction()
