# Run by CPack on the staged files before it packs them: strips the game the way Debian's
# dh_strip does, dropping the .comment and .note sections that plain `strip` keeps.
set(executable
    "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_GEMINO_EXECUTABLE}")
if(NOT EXISTS "${executable}")
    message(FATAL_ERROR "strip.cmake: no staged game at ${executable}")
endif()
execute_process(COMMAND ${CPACK_GEMINO_STRIP} --remove-section=.comment --remove-section=.note
                        --strip-unneeded ${executable}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "strip.cmake: stripping ${executable} failed")
endif()
