# Run by CPack on the staged files before it packs them: strips the game and its audio module the
# way Debian's dh_strip does, dropping the .comment and .note sections that plain `strip` keeps.
foreach(file IN LISTS CPACK_GEMINO_STRIPPED)
    set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${file}")
    if(NOT EXISTS "${staged}")
        message(FATAL_ERROR "strip.cmake: nothing staged at ${staged}")
    endif()
    execute_process(COMMAND ${CPACK_GEMINO_STRIP} --remove-section=.comment --remove-section=.note
                            --strip-unneeded ${staged}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "strip.cmake: stripping ${staged} failed")
    endif()
endforeach()
