# The sanitizer configuration instruments every target, test programs included,
# so the whole suite runs under AddressSanitizer and UndefinedBehaviorSanitizer.
# Sized deallocation (clang leaves it off) makes every delete pass the size of the type it
# deletes, so that AddressSanitizer sees an object deleted through the wrong type.
if(KIVO_SANITIZE)
    set(_kivo_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_compile_options(${_kivo_san} $<$<COMPILE_LANGUAGE:CXX>:-fsized-deallocation>)
    add_link_options(${_kivo_san})
endif()

# Fuzz targets are built with clang's libFuzzer; the rest of the tree only needs the
# fuzzer-no-link instrumentation so that coverage reaches into the libraries.
if(KIVO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "KIVO_FUZZ needs clang (configure with CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
