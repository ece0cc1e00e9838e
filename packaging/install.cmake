# Every install rule of the project: the program and its companion tool, the
# defaults copied to each user on first start, and the desktop integration
# (desktop file, icon, the type of card files for file managers, and the
# AppStream description that software centres show, named after its component
# id as they expect). Debian's shared-mime-info and desktop-file-utils rebuild
# their caches by dpkg triggers when the package puts files in their folders.
install(TARGETS cartes-outil RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/data/ESPCHIMIQUES.ZYP ${PROJECT_BINARY_DIR}/data/PARANET.LST
        DESTINATION ${CARTES_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/cartes-especes.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME fr.lumisque.cartes_especes.metainfo.xml)
if(CARTES_BUILD_GUI)
  install(TARGETS cartes-especes RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS cartes-especes-reseau cartes-especes-aide
          LIBRARY DESTINATION ${CARTES_MODULEDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/data/cartes-especes.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The compiled help and course, read where they are installed (the program
  # keeps its search index in the user's cache).
  install(FILES ${CARTES_HELP_QCH} DESTINATION ${CARTES_DATADIR}/help)
  install(FILES ${PROJECT_SOURCE_DIR}/data/cartes-especes.mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME cartes-especes.xml)
  install(FILES ${PROJECT_SOURCE_DIR}/data/pictures/cartes-especes.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
