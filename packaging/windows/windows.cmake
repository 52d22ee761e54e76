# The Windows program and its packages, included from the top-level CMakeLists.txt on Windows once the
# alkyne-combustion, icons and worksheet_pdf targets exist:
#   - alkyne-combustion.exe as a GUI program, with its icon, version details and manifest;
#   - the installer, alkyne-combustion-<version>-win64-setup.exe (cpack -G NSIS, needs makensis);
#   - the portable zip, alkyne-combustion-<version>-win64-portable.zip (the portable_zip target).
#
# The installed tree is flat: alkyne-combustion.exe and worksheet.pdf side by side, the licence and
# the read-me in doc/.

set(windows_dir ${CMAKE_CURRENT_LIST_DIR})
set(windows_build_dir ${PROJECT_BINARY_DIR}/windows)
set(PACKAGE_VENDOR "alkyne-combustion maintainers"
    CACHE STRING "Publisher named by the Windows installer and the program's file properties")

enable_language(RC)

# The icon: the window icon's PNGs from the icons target, packed by make_ico. A cross build runs the
# make_ico built for the building machine, as it does the other tools.
if(NOT TARGET make_ico)
    if(NOT CMAKE_CROSSCOMPILING)
        message(FATAL_ERROR "windows.cmake needs the make_ico target from tools/")
    endif()
    add_executable(make_ico IMPORTED)
    set_target_properties(make_ico PROPERTIES IMPORTED_LOCATION ${HOST_TOOLS_DIR}/make_ico)
endif()
# The sizes Explorer and the taskbar ask for at 100 to 200 % scale; 22 of the hicolor theme is no
# Windows size.
set(windows_icon_sizes 16 24 32 48 64 128 256)
set(windows_icon_pngs)
foreach(size IN LISTS windows_icon_sizes)
    list(APPEND windows_icon_pngs
         ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
set(windows_icon ${PROJECT_BINARY_DIR}/alkyne-combustion.ico)
add_custom_command(
    OUTPUT ${windows_icon}
    COMMAND make_ico ${windows_icon} ${windows_icon_pngs}
    DEPENDS make_ico ${windows_icon_pngs}
    COMMENT "Packing the window icon for Windows"
    VERBATIM)
add_custom_target(windows_icon DEPENDS ${windows_icon})
# The PNGs are made in tools/: the target, not only the files, orders that with every generator.
add_dependencies(windows_icon icons)

# The resources. windres reads the icon and the manifest when it compiles the .rc, which its
# dependency scan does not see: they are named here so that a new icon rebuilds the resources.
set(WINDOWS_ICON_FILE ${windows_icon})
set(WINDOWS_MANIFEST_FILE ${windows_dir}/alkyne-combustion.manifest)
set(WINDOWS_COMPANY_NAME ${PACKAGE_VENDOR})
set(windows_version_parts)
foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
        list(APPEND windows_version_parts 0)
    else()
        list(APPEND windows_version_parts ${PROJECT_VERSION_${part}})
    endif()
endforeach()
list(JOIN windows_version_parts "," WINDOWS_VERSION_COMMAS)
set(windows_rc ${windows_build_dir}/alkyne-combustion.rc)
configure_file(${windows_dir}/alkyne-combustion.rc.in ${windows_rc} @ONLY)
target_sources(alkyne-combustion PRIVATE ${windows_rc})
set_source_files_properties(${windows_rc} PROPERTIES
    OBJECT_DEPENDS "${windows_icon};${WINDOWS_MANIFEST_FILE}")
add_dependencies(alkyne-combustion windows_icon)

# A GUI program: no console window opens beside the exercise.
set_target_properties(alkyne-combustion PROPERTIES WIN32_EXECUTABLE ON)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md DESTINATION doc)

# The portable zip: the static program and the worksheet in one folder, run from wherever it is
# unpacked. The program is stripped on the way, as the installer's copy is.
set(portable_name ${PROJECT_NAME}-${PROJECT_VERSION}-win64-portable)
set(portable_stage ${windows_build_dir}/portable)
set(portable_zip ${PROJECT_BINARY_DIR}/${portable_name}.zip)
if(CMAKE_STRIP)
    set(portable_copy_exe ${CMAKE_STRIP} -o ${portable_stage}/${portable_name}/alkyne-combustion.exe
                          $<TARGET_FILE:alkyne-combustion>)
else()
    set(portable_copy_exe ${CMAKE_COMMAND} -E copy $<TARGET_FILE:alkyne-combustion>
                          ${portable_stage}/${portable_name}/alkyne-combustion.exe)
endif()
add_custom_command(
    OUTPUT ${portable_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${portable_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${portable_stage}/${portable_name}/doc
    COMMAND ${portable_copy_exe}
    COMMAND ${CMAKE_COMMAND} -E copy ${WORKSHEET_BUILD_FILE} ${portable_stage}/${portable_name}/worksheet.pdf
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md
            ${portable_stage}/${portable_name}/doc
    COMMAND ${CMAKE_COMMAND} -E rm -f ${portable_zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${portable_stage}
            ${CMAKE_COMMAND} -E tar cf ${portable_zip} --format=zip ${portable_name}
    DEPENDS alkyne-combustion ${WORKSHEET_BUILD_FILE} ${PROJECT_SOURCE_DIR}/LICENSE
            ${PROJECT_SOURCE_DIR}/README.md
    COMMENT "Packing ${portable_name}.zip"
    VERBATIM)
add_custom_target(portable_zip DEPENDS ${portable_zip})
add_dependencies(portable_zip worksheet_pdf)

# The installer (NSIS). The CPack variables are written as NSIS reads them: backslashes and $ are
# passed through untouched.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${PACKAGE_VENDOR})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Greek chemistry exercise: balancing the combustion of alkynes")
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64-setup)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Installed for all users under the 64-bit Program Files. The folder keeps a Latin name: a PDF viewer
# that still takes its file name in the ANSI code page cannot open a worksheet under a Greek path on a
# computer set to another language.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${PROJECT_NAME})
# The same key for every version, so that a newer installer finds and removes an older one.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ${PROJECT_NAME})
set(CPACK_NSIS_PACKAGE_NAME ${APP_NAME})
set(CPACK_NSIS_DISPLAY_NAME ${APP_NAME})
# The Start menu shortcut, as a link into the install folder: CPACK_PACKAGE_EXECUTABLES would point it
# at "$INSTDIR\.\alkyne-combustion.exe" in a flat tree.
set(CPACK_NSIS_MENU_LINKS alkyne-combustion.exe ${APP_NAME})
set(CPACK_NSIS_INSTALLED_ICON_NAME alkyne-combustion.exe)
set(CPACK_NSIS_MUI_ICON ${windows_icon})
set(CPACK_NSIS_MUI_UNIICON ${windows_icon})
set(CPACK_NSIS_URL_INFO_ABOUT "http://${MAKER_HOST}")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# Asks, and in a silent install (/S) just does it, to remove an installed version first.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# CPack writes the script as UTF-8 (with a byte-order mark), but makensis makes a 32-bit ANSI installer
# unless told otherwise: the Greek names would come out in the code page of the computer running it,
# and the uninstall entry would land in the 32-bit view of the registry (WOW6432Node) though the
# program is 64-bit. A 64-bit Unicode installer has neither fault.
# FileFunc.nsh gives GetSize, for the size Apps & Features shows.
string(CONCAT CPACK_NSIS_DEFINES
    "Target amd64-unicode\n"
    "!include \"FileFunc.nsh\"\n"
    # The template removes its own registry key but leaves the publisher's, now empty, behind.
    "Function un.onUninstSuccess\n"
    "  DeleteRegKey /ifempty SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"\n"
    "FunctionEnd\n")
set(windows_uninstall_key
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}")
string(CONCAT CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "\${GetSize} \"$INSTDIR\" \"/S=0K\" $0 $1 $2\n"
    "  IntFmt $0 \"0x%08X\" $0\n"
    "  WriteRegDWORD SHCTX \"${windows_uninstall_key}\" \"EstimatedSize\" \"$0\"\n")
include(CPack)
