# Zero warnings is the rule; every target of the project gets the same set.
add_compile_options(-Wall -Wextra)
if(KIVO_WERROR)
    add_compile_options(-Werror)
endif()
