# Where `cmake --install` puts the game. Debian's games layout by default
# (ZARNOK_GAMES_LAYOUT): the program in games/, its data in share/games/zarnok;
# OFF gives the plain bin/ and share/zarnok. The framework and the layer are
# private, unversioned libraries of the game: they go to a folder of its own,
# found through a relative RPATH, never to the system's library folder.
include(GNUInstallDirs)
option(ZARNOK_GAMES_LAYOUT "Install in Debian's games layout (games/, share/games/)" ON)
if(ZARNOK_GAMES_LAYOUT)
  set(ZARNOK_INSTALL_BINDIR games)
  set(ZARNOK_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/zarnok)
else()
  set(ZARNOK_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(ZARNOK_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zarnok)
endif()
set(ZARNOK_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/zarnok)
foreach(dir BINDIR DATADIR LIBDIR)
  if(IS_ABSOLUTE "${ZARNOK_INSTALL_${dir}}")
    set(ZARNOK_INSTALL_FULL_${dir} "${ZARNOK_INSTALL_${dir}}")
  else()
    set(ZARNOK_INSTALL_FULL_${dir} "${CMAKE_INSTALL_PREFIX}/${ZARNOK_INSTALL_${dir}}")
  endif()
endforeach()
