; The French installer of Plumor for Windows, built by scripts/paquet-windows.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=… -DPLUMOR=<staged Plumor/ folder>
;            -DFICHIERS=<generated file list> -DSORTIE=<installer> plumor.nsi
; The generated list holds the macros PLUMOR_FICHIERS (install) and
; PLUMOR_EFFACER (uninstall) naming every staged file but the lexicon, so the
; uninstaller deletes exactly what was installed and nothing else.
;
; Silent use: installateur.exe /S [/CLASSE=dossier] [/D=dossier du programme]
; (/D= last and unquoted, as NSIS wants it).

!ifndef VERSION | PLUMOR | FICHIERS | SORTIE
  !error "VERSION, PLUMOR, FICHIERS and SORTIE must be defined"
!endif

Unicode true
; Plumor itself is x64 only: a 64-bit installer sees the 64-bit Program Files
; and registry without redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define CLE_PLUMOR "Software\Plumor"
!define CLE_DESINSTALLATION "Software\Microsoft\Windows\CurrentVersion\Uninstall\Plumor"
!define EDITEUR "Les auteurs de Plumor"
!define DESINSTALLATEUR "desinstaller.exe"

Name "Plumor"
OutFile "${SORTIE}"
InstallDir "$PROGRAMFILES64\Plumor"
InstallDirRegKey HKLM "${CLE_PLUMOR}" "DossierProgramme"
BrandingText "Plumor ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1036 "ProductName" "Plumor"
VIAddVersionKey /LANG=1036 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de Plumor"
VIAddVersionKey /LANG=1036 "CompanyName" "${EDITEUR}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "© ${EDITEUR}"

Var DossierClasse

!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
; The program's own icon, as plumor.exe carries it.
!define MUI_ICON "${__FILEDIR__}/plumor.ico"
!define MUI_UNICON "${__FILEDIR__}/plumor.ico"

!define MUI_WELCOMEPAGE_TEXT "Ce programme installe Plumor ${VERSION}, l'éditeur de textes de la classe, pour tous les comptes de ce poste.$\r$\n$\r$\nIl vous demandera où installer Plumor, puis où se trouve le dossier de la classe.$\r$\n$\r$\nFermez Plumor s'il est ouvert sur ce poste avant de continuer."
!insertmacro MUI_PAGE_WELCOME

!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_HEADER_TEXT "Dossier de la classe"
!define MUI_PAGE_HEADER_SUBTEXT "Choisissez le dossier où se trouvent les textes des élèves (par exemple le lecteur réseau de la classe)."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Plumor montre les textes du dossier où il démarre. L'entrée « Plumor » du menu Démarrer démarrera dans ce dossier.$\r$\n$\r$\nUn lecteur réseau que ce poste ne voit pas encore peut être tapé à la main (par exemple Z:\classe ou \\serveur\classe)."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Dossier de la classe"
!define MUI_DIRECTORYPAGE_VARIABLE $DossierClasse
; Next stays enabled for a drive this elevated session cannot see: the
; pupils' mapped drives are often invisible to an administrator.
!define MUI_DIRECTORYPAGE_VERIFYONLEAVE
!define MUI_PAGE_CUSTOMFUNCTION_SHOW MontrerPageClasse
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE QuitterPageClasse
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_TEXT "Plumor est installé.$\r$\n$\r$\nL'entrée « Plumor » du menu Démarrer le lance dans le dossier de la classe :$\r$\n$DossierClasse$\r$\n$\r$\nPour changer ce dossier, relancez ce programme d'installation."
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Plumor va être désinstallé de ce poste. Les textes des élèves ne sont pas touchés, ni le lexique (lexique.stw), qui reste dans le dossier de Plumor."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

!include "${FICHIERS}"

Function .onInit
  SetShellVarContext all
  SetRegView 64
  ReadRegStr $DossierClasse HKLM "${CLE_PLUMOR}" "DossierClasse"
  ${If} $DossierClasse == ""
    ; With the all-users context this is the public Documents folder.
    StrCpy $DossierClasse "$DOCUMENTS"
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CLASSE=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 != ""
    StrCpy $DossierClasse $R1
  ${EndIf}
FunctionEnd

Function MontrerPageClasse
  ; The space figures would be about the program, not the class folder.
  ShowWindow $mui.DirectoryPage.SpaceRequired ${SW_HIDE}
  ShowWindow $mui.DirectoryPage.SpaceAvailable ${SW_HIDE}
FunctionEnd

Function QuitterPageClasse
  ${If} $DossierClasse == ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "Choisissez le dossier de la classe."
    Abort
  ${EndIf}
  GetInstDirError $0
  ${If} $0 == 1
    MessageBox MB_YESNO|MB_ICONQUESTION "Ce poste ne voit pas ce dossier pour le moment (lecteur réseau non connecté ?) :$\r$\n$DossierClasse$\r$\n$\r$\nGarder ce chemin quand même ?" /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section "Plumor"
  SetShellVarContext all
  SetRegView 64

  !insertmacro PLUMOR_FICHIERS

  ; The teacher may have edited the installed lexicon: an upgrade keeps it.
  SetOutPath "$INSTDIR"
  SetOverwrite off
  File "${PLUMOR}/lexique.stw"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\${DESINSTALLATEUR}"

  ; The shortcut's working folder is $OUTDIR: that is how Plumor gets the
  ; class folder. SetOutPath moves on even if the folder cannot be made now
  ; (a network drive this session does not see).
  CreateDirectory "$SMPROGRAMS\Plumor"
  SetOutPath "$DossierClasse"
  ClearErrors
  CreateShortCut "$SMPROGRAMS\Plumor\Plumor.lnk" "$INSTDIR\plumor.exe" "" "$INSTDIR\plumor.exe" 0 SW_SHOWNORMAL "" "Éditeur de textes de la classe"
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\Plumor\Désinstaller Plumor.lnk" "$INSTDIR\${DESINSTALLATEUR}" "" "$INSTDIR\${DESINSTALLATEUR}" 0 SW_SHOWNORMAL "" "Désinstaller Plumor"

  WriteRegStr HKLM "${CLE_PLUMOR}" "DossierClasse" "$DossierClasse"
  WriteRegStr HKLM "${CLE_PLUMOR}" "DossierProgramme" "$INSTDIR"

  WriteRegStr HKLM "${CLE_DESINSTALLATION}" "DisplayName" "Plumor"
  WriteRegStr HKLM "${CLE_DESINSTALLATION}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${CLE_DESINSTALLATION}" "Publisher" "${EDITEUR}"
  WriteRegStr HKLM "${CLE_DESINSTALLATION}" "DisplayIcon" "$INSTDIR\plumor.exe"
  WriteRegStr HKLM "${CLE_DESINSTALLATION}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${CLE_DESINSTALLATION}" "UninstallString" "$\"$INSTDIR\${DESINSTALLATEUR}$\""
  WriteRegStr HKLM "${CLE_DESINSTALLATION}" "QuietUninstallString" "$\"$INSTDIR\${DESINSTALLATEUR}$\" /S"
  WriteRegDWORD HKLM "${CLE_DESINSTALLATION}" "NoModify" 1
  WriteRegDWORD HKLM "${CLE_DESINSTALLATION}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${CLE_DESINSTALLATION}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

; Only what the installer put down goes: no recursive removal anywhere, so the
; class folder, the lexicon and anything the teacher added stay.
Section "Uninstall"
  SetShellVarContext all
  SetRegView 64

  Delete "$SMPROGRAMS\Plumor\Plumor.lnk"
  Delete "$SMPROGRAMS\Plumor\Désinstaller Plumor.lnk"
  RMDir "$SMPROGRAMS\Plumor"

  !insertmacro PLUMOR_EFFACER
  Delete "$INSTDIR\${DESINSTALLATEUR}"
  ; Left non-empty, and so kept, while the lexicon is there.
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\lexique.stw"
    DetailPrint "Le lexique est gardé : $INSTDIR\lexique.stw"
  ${EndIf}

  DeleteRegKey HKLM "${CLE_DESINSTALLATION}"
  DeleteRegKey HKLM "${CLE_PLUMOR}"
SectionEnd
