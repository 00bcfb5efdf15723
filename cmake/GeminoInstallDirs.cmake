# The installed layout, Debian's for games: the executable in games/, its data in
# share/games/gemino, the desktop files in the freedesktop.org places under share/.
# Every folder is relative to the installation prefix, so an installation works wherever it is
# put (`cmake --install --prefix`, a package staged by CPack, a DESTDIR) and nothing installed
# names the prefix the build was configured with.
include(GNUInstallDirs)

# The reverse-DNS id that names the desktop entry, the icon and the AppStream metainfo file.
set(GEMINO_APP_ID "org.oakvale.Gemino")

set(GEMINO_INSTALL_BINDIR "games" CACHE STRING
    "Folder of the game executable, relative to the installation prefix")
set(GEMINO_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/games/gemino" CACHE STRING
    "Folder of the sound cues, relative to the installation prefix")
set(GEMINO_INSTALL_MODULEDIR "${CMAKE_INSTALL_LIBDIR}/games/gemino" CACHE STRING
    "Folder of the audio module, relative to the installation prefix")
set(GEMINO_INSTALL_DOCDIR "${CMAKE_INSTALL_DATADIR}/doc/gemino" CACHE STRING
    "Folder of the copyright file and the changelog, relative to the installation prefix")

foreach(dir GEMINO_INSTALL_BINDIR GEMINO_INSTALL_DATADIR GEMINO_INSTALL_MODULEDIR GEMINO_INSTALL_DOCDIR
            CMAKE_INSTALL_DATADIR CMAKE_INSTALL_MANDIR)
    if(IS_ABSOLUTE "${${dir}}")
        message(FATAL_ERROR "${dir} must be relative to the installation prefix: ${${dir}}")
    endif()
endforeach()

# The game finds its installed cues and audio module from its own folder. Both folders hang under the same
# prefix, so the way from one to the other is the same for every prefix; any root stands in for it.
file(RELATIVE_PATH GEMINO_CUE_DIR_FROM_BINARY
     "/prefix/${GEMINO_INSTALL_BINDIR}" "/prefix/${GEMINO_INSTALL_DATADIR}")
file(RELATIVE_PATH GEMINO_MODULE_DIR_FROM_BINARY
     "/prefix/${GEMINO_INSTALL_BINDIR}" "/prefix/${GEMINO_INSTALL_MODULEDIR}")
