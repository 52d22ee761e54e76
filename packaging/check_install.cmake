# Installs the build into an empty DESTDIR with the prefix /usr and checks that everything a desktop
# needs is there:  cmake -DBUILD_DIR=... -DDESTDIR=... -DAPP_ID=... -DPROJECT_NAME=... -P check_install.cmake
file(REMOVE_RECURSE ${DESTDIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DESTDIR} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(root ${DESTDIR}/usr)
set(expected
    bin/${PROJECT_NAME}
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/${PROJECT_NAME}/worksheet.pdf
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/doc/${PROJECT_NAME}/LICENSE)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()

set(missing)
foreach(path IN LISTS expected)
    if(NOT EXISTS ${root}/${path})
        list(APPEND missing ${path})
    else()
        file(SIZE ${root}/${path} size)
        if(size EQUAL 0)
            list(APPEND missing "${path} (empty)")
        endif()
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "Not installed:\n  ${missing}")
endif()

# Nothing lands outside the prefix, and nothing that only the build needs is installed.
file(GLOB_RECURSE installed RELATIVE ${DESTDIR} LIST_DIRECTORIES false ${DESTDIR}/*)
foreach(path IN LISTS installed)
    if(NOT path MATCHES "^usr/(bin/${PROJECT_NAME}|share/)")
        message(FATAL_ERROR "Installed where it does not belong: ${path}")
    endif()
endforeach()

# The program finds the worksheet at the same place relative to itself as it does in the build tree.
file(SHA256 ${root}/share/${PROJECT_NAME}/worksheet.pdf installed_sheet)
file(SHA256 ${BUILD_DIR}/share/${PROJECT_NAME}/worksheet.pdf built_sheet)
if(NOT installed_sheet STREQUAL built_sheet)
    message(FATAL_ERROR "The installed worksheet is not the one the build tree's program opens")
endif()

# Each PNG icon is as large as its folder says (the width and height in the PNG header).
foreach(size 16 22 24 32 48 64 128 256)
    file(READ ${root}/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png header OFFSET 16 LIMIT 8 HEX)
    math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" hex_size ${hex_size})
    string(LENGTH ${hex_size} digits)
    math(EXPR padding "8 - ${digits}")
    string(REPEAT "0" ${padding} zeros)
    if(NOT header STREQUAL "${zeros}${hex_size}${zeros}${hex_size}")
        message(FATAL_ERROR "The ${size}x${size} icon's header says ${header}")
    endif()
endforeach()

# The worksheet is a one-page A4 PDF (595 by 842 points).
file(READ ${root}/share/${PROJECT_NAME}/worksheet.pdf sheet_start LIMIT 5 HEX) # "%PDF-"
file(STRINGS ${root}/share/${PROJECT_NAME}/worksheet.pdf media_boxes REGEX "/MediaBox")
list(LENGTH media_boxes pages)
if(NOT sheet_start STREQUAL "255044462d" OR NOT pages EQUAL 1 OR
   NOT media_boxes MATCHES "/MediaBox \\[0 0 595[.0-9]* 842[.0-9]*\\]")
    message(FATAL_ERROR "The worksheet is not a one-page A4 PDF: ${media_boxes}")
endif()

# The desktop entry starts the installed program and names the installed icon.
file(STRINGS ${root}/share/applications/${APP_ID}.desktop entry)
foreach(line "Exec=${PROJECT_NAME}" "Icon=${APP_ID}")
    list(FIND entry "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "The desktop entry lacks ${line}")
    endif()
endforeach()
list(LENGTH installed count)
message(STATUS "${count} files installed, all in place")
