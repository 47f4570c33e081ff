# The installer beside the zip, sondrel-VERSION-win64-setup.exe, made by CPack with NSIS
# (Debian's nsis package): it installs for the user who runs it, without administrator rights,
# into their own programs folder, with a Start-menu entry and an uninstaller, and offers
# Sondrel under "Open with" for .sfx files without taking the extension over (self-extracting
# archives use it too).
list(APPEND CPACK_GENERATOR NSIS)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_per_generator.cmake)
set(CPACK_NSIS_PACKAGE_NAME "Sondrel")
set(CPACK_NSIS_DISPLAY_NAME "Sondrel")
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_NSIS_MUI_ICON ${SONDREL_ICON_FILE})
set(CPACK_NSIS_MUI_UNIICON ${SONDREL_ICON_FILE})
set(CPACK_NSIS_INSTALLED_ICON_NAME sondrel.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES sondrel Sondrel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Sondrel)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN sondrel.exe) # "Run Sondrel" on the last page
set(CPACK_NSIS_WELCOME_TITLE "Sondrel ${PROJECT_VERSION}")

set(SONDREL_UNINSTALL_ENTRY "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Sondrel")

# "Open with": the program and a file type of its own that .sfx lists among others.
set(SONDREL_CLASSES "Software\\\\Classes")
set(SONDREL_OPEN "'\\\"$INSTDIR\\\\sondrel.exe\\\" \\\"%1\\\"'")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr SHCTX '${SONDREL_CLASSES}\\\\Applications\\\\sondrel.exe' 'FriendlyAppName' 'Sondrel'
  WriteRegStr SHCTX '${SONDREL_CLASSES}\\\\Applications\\\\sondrel.exe\\\\SupportedTypes' '.sfx' ''
  WriteRegStr SHCTX '${SONDREL_CLASSES}\\\\Applications\\\\sondrel.exe\\\\shell\\\\open\\\\command' '' ${SONDREL_OPEN}
  WriteRegStr SHCTX '${SONDREL_CLASSES}\\\\Sondrel.SoundTable' '' 'OBEL sound table'
  WriteRegStr SHCTX '${SONDREL_CLASSES}\\\\Sondrel.SoundTable\\\\DefaultIcon' '' '$INSTDIR\\\\sondrel.exe,0'
  WriteRegStr SHCTX '${SONDREL_CLASSES}\\\\Sondrel.SoundTable\\\\shell\\\\open\\\\command' '' ${SONDREL_OPEN}
  WriteRegStr SHCTX '${SONDREL_CLASSES}\\\\.sfx\\\\OpenWithProgids' 'Sondrel.SoundTable' ''
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  WriteRegStr SHCTX '${SONDREL_UNINSTALL_ENTRY}' 'InstallLocation' '$INSTDIR'
  \\\${GetSize} '$INSTDIR' '/S=0K' $0 $1 $2
  IntFmt $0 '0x%08X' $0
  WriteRegDWORD SHCTX '${SONDREL_UNINSTALL_ENTRY}' 'EstimatedSize' '$0'
")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey SHCTX '${SONDREL_CLASSES}\\\\Applications\\\\sondrel.exe'
  DeleteRegKey SHCTX '${SONDREL_CLASSES}\\\\Sondrel.SoundTable'
  DeleteRegValue SHCTX '${SONDREL_CLASSES}\\\\.sfx\\\\OpenWithProgids' 'Sondrel.SoundTable'
  DeleteRegKey /ifempty SHCTX '${SONDREL_CLASSES}\\\\.sfx\\\\OpenWithProgids'
  DeleteRegKey /ifempty SHCTX '${SONDREL_CLASSES}\\\\.sfx'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
")

# CMake's own installer script, asking for no administrator and installing for this user
# only, whoever runs it: made from the template CPack would use, into a folder CPack looks in
# first.
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in SONDREL_NSIS_TEMPLATE)
string(REPLACE "RequestExecutionLevel admin" "RequestExecutionLevel user" SONDREL_NSIS_TEMPLATE
       "${SONDREL_NSIS_TEMPLATE}")
string(REPLACE "SetShellVarContext all" "SetShellVarContext current" SONDREL_NSIS_TEMPLATE
       "${SONDREL_NSIS_TEMPLATE}")
# A 64-bit installer for the 64-bit program (Wine without its 32-bit half runs it too), set
# before the rest of the script (its first line, a comment, begins with a byte-order mark).
string(REPLACE "; You must define these values" "Target amd64-unicode\n; You must define these values"
       SONDREL_NSIS_TEMPLATE "${SONDREL_NSIS_TEMPLATE}")
# Version information of its own, and what the size of the installed program needs.
string(REPLACE "Target amd64-unicode\n" "Target amd64-unicode
VIProductVersion ${PROJECT_VERSION}.0
VIAddVersionKey ProductName Sondrel
VIAddVersionKey ProductVersion ${PROJECT_VERSION}
VIAddVersionKey FileVersion ${PROJECT_VERSION}
VIAddVersionKey FileDescription \"Installs Sondrel, the sound table editor\"
VIAddVersionKey CompanyName \"The Sondrel developers\"
VIAddVersionKey LegalCopyright \"Copyright (C) 2026 The Sondrel developers. GNU GPL version 3 or later.\"
!include FileFunc.nsh
" SONDREL_NSIS_TEMPLATE "${SONDREL_NSIS_TEMPLATE}")
# The installer's own key is the one Sondrel keeps its settings under (Software\Sondrel), so
# that uninstalling leaves no empty key behind.
string(REPLACE "Software\\@CPACK_PACKAGE_VENDOR@\\" "Software\\" SONDREL_NSIS_TEMPLATE
       "${SONDREL_NSIS_TEMPLATE}")
# A welcome about Sondrel, and the licence to read, not to accept: the GPL asks nothing of
# whoever only runs the program.
string(REPLACE "  !insertmacro MUI_PAGE_WELCOME" "  !define MUI_WELCOMEPAGE_TEXT \"\
This installs Sondrel ${PROJECT_VERSION}, the editor for the sound tables of OBEL levels, for you \
alone, in your own programs folder: it needs no administrator rights and changes nothing \
outside your account. Sondrel will be in the Start menu and under Open with for .sfx \
files, without becoming the program that opens them.\"
  !insertmacro MUI_PAGE_WELCOME" SONDREL_NSIS_TEMPLATE "${SONDREL_NSIS_TEMPLATE}")
string(REPLACE "  @CPACK_NSIS_LICENSE_PAGE@" "  !define MUI_PAGE_HEADER_TEXT \"Licence\"
  !define MUI_PAGE_HEADER_SUBTEXT \"Sondrel is free software, under the GNU General Public License.\"
  !define MUI_LICENSEPAGE_TEXT_TOP \"The licence, for you to read:\"
  !define MUI_LICENSEPAGE_TEXT_BOTTOM \"You need not accept this licence to install or use \
Sondrel: it is what allows you to share and change it.\"
  !define MUI_LICENSEPAGE_BUTTON $(^NextBtn)
  @CPACK_NSIS_LICENSE_PAGE@" SONDREL_NSIS_TEMPLATE "${SONDREL_NSIS_TEMPLATE}")
file(WRITE ${CMAKE_BINARY_DIR}/cpack-nsis/NSIS.template.in "${SONDREL_NSIS_TEMPLATE}")
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_BINARY_DIR}/cpack-nsis)
