# The Debian package: `cpack -G DEB` in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr (tests/install/deb-smoke.sh does it all).
set(CPACK_PACKAGE_NAME cartes-especes)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Cartes d'identité des espèces chimiques")
set(CPACK_PACKAGE_CONTACT "Cartes d'identité des espèces chimiques <cartes-especes@lumisque.fr>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "cartes d'identité des espèces chimiques pour la physique-chimie")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Base de données de cartes d'identité des espèces chimiques : formule avec indices et
exposants, grandeurs physiques, dangers et risques de pollution. Tableau trié par nom
ou par grandeur, éditeur de cartes, fichiers carte, copie en image, impression,
machine à calculer scientifique, publication par courrier et téléchargement de cartes.
Livrée avec une base d'espèces usuelles au collège et au lycée.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# The Qt 6 libraries come from the executables' and the modules' own links
# (dpkg-shlibdeps); what they load at run time is named here: the fonts the
# card layout is made for, the platform plugins, Qt's French texts and the
# database driver the help window's engine reads the compiled help with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-liberation2, qt6-qpa-plugins, qt6-translations-l10n, libqt6sql6-sqlite")

include(CPack)
