# Desktop integration beyond the program, its tool, its defaults, desktop file
# and icon (installed by their own folders): the AppStream description that
# software centres show, named after its component id as they expect.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../data/cartes-especes.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME fr.lumisque.cartes_especes.metainfo.xml)
