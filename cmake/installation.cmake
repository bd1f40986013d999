# Install rules and the Debian package.
#
# Plumor looks for lexique.stw beside its executable, so the real program
# lives in a private folder with the lexicon, and bin/ only holds relative
# symlinks to it: Qt resolves /proc/self/exe, so applicationDirPath() is the
# private folder however the program is started, and the launcher never
# changes the working folder the class folder is taken from.

include(GNUInstallDirs)
set(PLUMOR_DOSSIER_PRIVE lib/plumor)
set(PLUMOR_EMBALLAGE ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS plumor RUNTIME DESTINATION ${PLUMOR_DOSSIER_PRIVE})
install(FILES ${PROJECT_SOURCE_DIR}/data/lexique.stw DESTINATION ${PLUMOR_DOSSIER_PRIVE})

set(plumor_commandes plumor)
if(TARGET plumor-outils)
  install(TARGETS plumor-outils RUNTIME DESTINATION ${PLUMOR_DOSSIER_PRIVE})
  list(APPEND plumor_commandes plumor-outils)
endif()
file(MAKE_DIRECTORY ${PLUMOR_EMBALLAGE}/bin)
foreach(commande IN LISTS plumor_commandes)
  file(CREATE_LINK ../${PLUMOR_DOSSIER_PRIVE}/${commande} ${PLUMOR_EMBALLAGE}/bin/${commande} SYMBOLIC)
  install(FILES ${PLUMOR_EMBALLAGE}/bin/${commande} DESTINATION bin)
endforeach()

# The menu entry and its icon, rendered at every hicolor size from the
# program's own painted icon so the menu and the window show the same picture.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/plumor.desktop DESTINATION share/applications)

add_executable(plumor-icones ${PROJECT_SOURCE_DIR}/packaging/icones.cpp)
target_link_libraries(plumor-icones PRIVATE plumor_ui)

set(plumor_tailles_icone 16 22 24 32 48 64 128 256)
set(plumor_icones)
foreach(taille IN LISTS plumor_tailles_icone)
  set(png ${PLUMOR_EMBALLAGE}/icones/${taille}x${taille}/apps/plumor.png)
  list(APPEND plumor_icones ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${taille}x${taille}/apps)
endforeach()
add_custom_command(OUTPUT ${plumor_icones}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:plumor-icones> ${PLUMOR_EMBALLAGE}/icones ${plumor_tailles_icone}
  DEPENDS plumor-icones
  COMMENT "Rendering the Plumor icon"
  VERBATIM)
add_custom_target(plumor_icones_png ALL DEPENDS ${plumor_icones})

install(FILES ${PROJECT_SOURCE_DIR}/docs/guide-enseignant.md DESTINATION share/doc/plumor)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/plumor.1 ${PROJECT_SOURCE_DIR}/packaging/plumor-outils.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/plumor.metainfo.xml DESTINATION share/metainfo
        RENAME org.example.plumor.metainfo.xml)

# Debian package: cpack -G DEB (or the "package" target) in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plumor)
set(CPACK_PACKAGE_VENDOR "Plumor")
set(CPACK_PACKAGE_CONTACT "Plumor <plumor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text editor for a primary-school class writing French texts together")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Pupils write, read and print plain texts kept in the sub-folders of one shared\n"
  "class folder; a text being written is marked read-only so that no other pupil\n"
  "overwrites it. A thematic word list helps with vocabulary. French interface.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries come from dpkg-shlibdeps (dpkg-dev and file are needed to build
# the package only). What it cannot see: the French Qt dialog texts loaded at
# run time and the fonts the window asks for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-comic-neue, fonts-dejavu-core")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")
include(CPack)
