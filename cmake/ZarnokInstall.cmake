# What `cmake --install` lays out: the program, its two private libraries, its
# data, the desktop entry, the icons, the store metadata, the manual page and
# the copyright. Nothing else is installed (no tests, tools or headers).

# The program finds the libraries in their private folder, and the framework
# finds the layer beside it, wherever the installation lands.
file(RELATIVE_PATH zarnok_bin_to_lib "${ZARNOK_INSTALL_FULL_BINDIR}" "${ZARNOK_INSTALL_FULL_LIBDIR}")
set_target_properties(zarnok PROPERTIES INSTALL_RPATH "\$ORIGIN/${zarnok_bin_to_lib}")
set_target_properties(vorlap PROPERTIES INSTALL_RPATH "\$ORIGIN")

install(TARGETS zarnok RUNTIME DESTINATION ${ZARNOK_INSTALL_BINDIR})
install(TARGETS vorlap winlayer LIBRARY DESTINATION ${ZARNOK_INSTALL_LIBDIR} NAMELINK_SKIP)
install(FILES game/resources/music.zk game/resources/hiscores.zk DESTINATION ${ZARNOK_INSTALL_DATADIR})

set(zarnok_app_id org.zarnok.Zarnok)
install(FILES packaging/${zarnok_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${zarnok_app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES game/resources/icons/zarnok-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME zarnok.png)
endforeach()

# Manual page and changelog compressed as Debian wants them, without a time
# stamp so that the bytes do not change from build to build.
set(zarnok_man ${CMAKE_BINARY_DIR}/packaging/zarnok.6.gz)
set(zarnok_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${zarnok_man} ${zarnok_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/packaging/zarnok.6 ${zarnok_man}
  COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/packaging/changelog ${zarnok_changelog}
  DEPENDS packaging/zarnok.6 packaging/changelog
  COMMENT "Compressing the manual page and the changelog"
  VERBATIM)
add_custom_target(zarnok_docs ALL DEPENDS ${zarnok_man} ${zarnok_changelog})
install(FILES ${zarnok_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/copyright ${zarnok_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
