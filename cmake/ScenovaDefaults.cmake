# Compiler settings shared by every target of the project.
function(scenova_defaults target)
  target_compile_definitions(${target} PRIVATE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS
    QT_NO_FOREACH QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wold-style-cast $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> -Wnon-virtual-dtor
    -Woverloaded-virtual -Wcast-qual)
  if(SCENOVA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(SCENOVA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
