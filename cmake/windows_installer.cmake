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
file(WRITE ${CMAKE_BINARY_DIR}/cpack-nsis/NSIS.template.in "${SONDREL_NSIS_TEMPLATE}")
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_BINARY_DIR}/cpack-nsis)
