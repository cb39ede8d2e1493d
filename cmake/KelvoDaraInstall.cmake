# What `cmake --install` puts where, and the Debian package `cpack -G DEB` makes of it: the game
# in bin/ (games/ under /usr, as Debian keeps games), its pack in share/kelvodara/ (found from
# either as ../share/kelvodara), desktop entry, hicolor icons, AppStream metadata, the compressed
# manual page, copyright and changelog in their usual places.
include(GNUInstallDirs)

set(KD_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(KD_APPSTREAM_ID example.kelvodara.KelvoDara)
set(KD_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kelvodara)
# Worked out at every configure, so a changed prefix never keeps the old folder.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(KD_INSTALL_BINDIR games)
else()
  set(KD_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
endif()

# Debian wants the manual page and changelog compressed, without a time stamp so every build
# gives the same bytes.
find_program(KD_GZIP gzip REQUIRED)
set(KD_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
configure_file(${KD_PACKAGING_DIR}/kelvodara.6 ${KD_PACKAGING_OUT}/kelvodara.6 COPYONLY)
configure_file(${KD_PACKAGING_DIR}/changelog.in ${KD_PACKAGING_OUT}/changelog @ONLY)
set(KD_MANPAGE_GZ ${KD_PACKAGING_OUT}/kelvodara.6.gz)
set(KD_CHANGELOG_GZ ${KD_PACKAGING_OUT}/changelog.gz)
add_custom_command(
  OUTPUT ${KD_MANPAGE_GZ} ${KD_CHANGELOG_GZ}
  COMMAND ${KD_GZIP} -9nkf ${KD_PACKAGING_OUT}/kelvodara.6 ${KD_PACKAGING_OUT}/changelog
  DEPENDS ${KD_PACKAGING_OUT}/kelvodara.6 ${KD_PACKAGING_OUT}/changelog
  COMMENT "Compressing the manual page and changelog"
  VERBATIM)
add_custom_target(packaging_docs ALL DEPENDS ${KD_MANPAGE_GZ} ${KD_CHANGELOG_GZ})

install(TARGETS kelvodara RUNTIME DESTINATION ${KD_INSTALL_BINDIR})
install(FILES ${KD_RES_PACK} DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvodara)
install(FILES ${KD_PACKAGING_DIR}/kelvodara.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Every size icongen painted, in the hicolor layout it already has.
install(DIRECTORY ${KD_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${KD_PACKAGING_DIR}/${KD_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KD_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${KD_PACKAGING_DIR}/copyright ${KD_CHANGELOG_GZ} DESTINATION ${KD_DOC_DIR})

set(CPACK_PACKAGE_NAME kelvodara)
set(CPACK_PACKAGE_VENDOR "Kelvo Dara developers")
set(CPACK_PACKAGE_CONTACT "Kelvo Dara developers <support@kelvodara.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flick draughts in 3D against the computer or a friend")
# Debian shows each line of the long description as it is: at most 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Two sides of ten draughts stand on a board; the players take turns to flick
one of their own draughts so that it slides, collides and knocks the
opponent's draughts off the board. A computer opponent at three levels, quick
games and campaigns, two turn rules, three boards and three draught materials.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps turns the libraries the game links (SDL2, SDL2_mixer, assimp, PhysicsFS, stb,
# libOpenGL, GLU) into Depends. SDL loads libGL.so.1 itself for the window's GLX context, so
# libgl1 is named here; it brings the Mesa drivers through libglx-mesa0.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
include(CPack)
