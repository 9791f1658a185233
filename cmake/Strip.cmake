# Shipped executables carry no symbols: a release build moves them into NAME.debug beside the
# executable (for reading crash dumps) and links the two by a debug link. MSVC keeps its PDB apart
# anyway.
find_program(DA_OBJCOPY NAMES ${DA_TARGET_TRIPLE}-objcopy objcopy)

function(da_strip_symbols target)
    if(MSVC OR NOT DA_OBJCOPY OR NOT CMAKE_BUILD_TYPE STREQUAL "Release")
        return()
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${DA_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
        COMMAND ${DA_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
                $<TARGET_FILE:${target}>
        WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
        VERBATIM)
endfunction()
