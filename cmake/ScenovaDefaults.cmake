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

# scenova_headers(TARGET FOLDER): TARGET's headers are found as
# "FOLDER/name.h" through an include root in the build tree that holds only
# src/FOLDER (a link to it), passed on to whatever links TARGET. A library
# thus sees the headers of its own folder and of the libraries it links,
# and no others: an include of a folder it does not link does not compile.
function(scenova_headers target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

if(SCENOVA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz build instruments every library it builds, not only the fuzzers'
# own files: libFuzzer then sees the parsers' branches, and the sanitizers
# check their memory and arithmetic.
if(SCENOVA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
