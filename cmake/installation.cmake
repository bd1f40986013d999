# Install rules, used by the Debian package (debian/rules).
#
# Plumor looks for lexique.stw beside its executable, so the real program
# lives in a private folder, and bin/ only holds relative symlinks to it:
# Qt resolves /proc/self/exe, so applicationDirPath() is the private folder
# however the program is started, and the launcher never changes the working
# folder the class folder is taken from.

include(GNUInstallDirs)
set(PLUMOR_DOSSIER_PRIVE lib/plumor)
set(PLUMOR_EMBALLAGE ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${PLUMOR_EMBALLAGE}/bin)

install(TARGETS plumor RUNTIME DESTINATION ${PLUMOR_DOSSIER_PRIVE})

# The lexicon is the teacher's to edit: it lives under /etc, where dpkg keeps
# an edited copy across upgrades, and the link beside the program is where
# Plumor and plumor-outils look. The link is absolute because it crosses from
# /usr to /etc.
set(plumor_lexique ${CMAKE_INSTALL_FULL_SYSCONFDIR}/plumor/lexique.stw)
install(FILES ${PROJECT_SOURCE_DIR}/data/lexique.stw DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/plumor)
file(CREATE_LINK ${plumor_lexique} ${PLUMOR_EMBALLAGE}/lexique.stw SYMBOLIC)
install(FILES ${PLUMOR_EMBALLAGE}/lexique.stw DESTINATION ${PLUMOR_DOSSIER_PRIVE})

set(plumor_commandes plumor)
if(TARGET plumor-outils)
  install(TARGETS plumor-outils RUNTIME DESTINATION ${PLUMOR_DOSSIER_PRIVE})
  list(APPEND plumor_commandes plumor-outils)
endif()
foreach(commande IN LISTS plumor_commandes)
  file(CREATE_LINK ../${PLUMOR_DOSSIER_PRIVE}/${commande} ${PLUMOR_EMBALLAGE}/bin/${commande} SYMBOLIC)
  install(FILES ${PLUMOR_EMBALLAGE}/bin/${commande} DESTINATION bin)
endforeach()

# The menu entry and its icon, rendered at every hicolor size from the
# program's own painted icon so the menu and the window show the same picture.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/plumor.desktop DESTINATION share/applications)

add_executable(plumor-icones ${PROJECT_SOURCE_DIR}/packaging/icones.cpp)
target_link_libraries(plumor-icones PRIVATE plumor_widgets)

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
# English pages where man looks by default, the French ones where a French
# locale (or man -L fr) finds them.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/plumor.1 ${PROJECT_SOURCE_DIR}/packaging/plumor-outils.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/fr/plumor.1 ${PROJECT_SOURCE_DIR}/packaging/fr/plumor-outils.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/plumor.metainfo.xml DESTINATION share/metainfo
        RENAME org.example.plumor.metainfo.xml)
