# The browser edition, included from the top-level CMakeLists.txt when building with Qt for WebAssembly
# (scripts/web.sh) once the alkyne-combustion, icons and worksheet_pdf targets exist:
#   - the program as alkyne-combustion.js and .wasm, carrying the fonts a browser does not lend a page;
#   - the site (the web_site target): the page index.html with its script and style, Qt's loader, the
#     program, the worksheet, the icons, a web app manifest and the service worker that keeps them all
#     for working offline (worker.cmake), in site/, static files only;
#   - its zip, alkyne-combustion-<version>-web.zip (the web_zip target);
#   - the same site as a SCORM 1.2 package for learning platforms, with imsmanifest.xml at the zip's
#     root, alkyne-combustion-<version>-scorm12.zip (the scorm_zip target).

set(web_dir ${CMAKE_CURRENT_LIST_DIR})
set(site_dir ${PROJECT_BINARY_DIR}/site)

# The fonts of the design's stand-in (Liberation Sans, SIL Open Font License), as the building machine
# has them; Qt for WebAssembly carries DejaVu Sans, the menus' font, itself.
set(WEB_FONT_DIR /usr/share/fonts/truetype/liberation CACHE PATH "Folder of the Liberation Sans fonts")
set(web_fonts ${WEB_FONT_DIR}/LiberationSans-Bold.ttf)
foreach(font IN LISTS web_fonts WEB_FONT_LICENCE)
    if(NOT EXISTS ${font})
        message(FATAL_ERROR "The browser edition carries ${font}, which is missing (Debian: fonts-liberation)")
    endif()
endforeach()
set(WEB_FONT_LICENCE /usr/share/doc/fonts-liberation/copyright CACHE FILEPATH "The Liberation fonts' licence")
qt_add_resources(alkyne-combustion webfonts PREFIX /webfonts BASE ${WEB_FONT_DIR} FILES ${web_fonts})

# Size first, everywhere: no Asyncify, since the modal windows do not wait inside the command that opens
# them here (toolkit/modal.h). No JavaScript made from strings at run time, so that the page's
# Content-Security-Policy need not allow eval.
target_link_options(alkyne-combustion PRIVATE -Os -sDYNAMIC_EXECUTION=0)
target_compile_options(alkyne-combustion PRIVATE -Os)

# The site, made anew from its parts whenever one of them changes.
set(web_icon_sizes 192 512)
set(web_icons)
foreach(size IN LISTS web_icon_sizes)
    list(APPEND web_icons ${PROJECT_BINARY_DIR}/web-icons/${size}x${size}/apps/${APP_ID}.png)
endforeach()
# Opaque on the window's white, with the margin a launcher's mask needs: the maskable icon of the
# manifest and the iPad's touch icon.
set(WEB_BACKGROUND "#ffffff")
set(web_maskable ${PROJECT_BINARY_DIR}/web-icons/512x512/apps/${APP_ID}-maskable.png)
set(web_touch_icon ${PROJECT_BINARY_DIR}/web-icons/180x180/apps/${APP_ID}-maskable.png)
add_custom_command(
    OUTPUT ${web_icons} ${web_maskable} ${web_touch_icon}
    COMMAND render_icon ${PROJECT_SOURCE_DIR}/resources/pictures/window_icon.svg ${PROJECT_BINARY_DIR}/web-icons
            ${APP_ID} ${web_icon_sizes}
    COMMAND render_icon --on=${WEB_BACKGROUND} ${PROJECT_SOURCE_DIR}/resources/pictures/window_icon.svg
            ${PROJECT_BINARY_DIR}/web-icons ${APP_ID}-maskable 180 512
    DEPENDS render_icon ${PROJECT_SOURCE_DIR}/resources/pictures/window_icon.svg
    COMMENT "Rendering the page's icons"
    VERBATIM)

set(WEB_TITLE "${APP_NAME}")
# The name under an installed icon, short enough for a launcher's line.
set(WEB_SHORT_NAME "Αλκίνια")
# The bar of an installed window, as the window's yellow panel.
set(WEB_THEME "#ffffc0")
configure_file(${web_dir}/index.html.in ${PROJECT_BINARY_DIR}/web/index.html @ONLY)
configure_file(${web_dir}/manifest.webmanifest.in ${PROJECT_BINARY_DIR}/web/manifest.webmanifest @ONLY)

set(site_files
    ${site_dir}/index.html ${site_dir}/page.js ${site_dir}/page.css ${site_dir}/manifest.webmanifest
    ${site_dir}/qtloader.js ${site_dir}/alkyne-combustion.js ${site_dir}/alkyne-combustion.wasm
    ${site_dir}/worksheet.pdf ${site_dir}/icon-192.png ${site_dir}/icon-512.png ${site_dir}/icon-maskable.png
    ${site_dir}/apple-touch-icon.png ${site_dir}/LICENSE ${site_dir}/LICENSE-fonts.txt ${site_dir}/worker.js)
list(GET web_icons 0 web_icon_192)
list(GET web_icons 1 web_icon_512)
add_custom_command(
    OUTPUT ${site_files}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${site_dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${site_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/web/index.html ${PROJECT_BINARY_DIR}/web/manifest.webmanifest
            ${web_dir}/page.js ${web_dir}/page.css ${site_dir}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE_DIR:alkyne-combustion>/qtloader.js
            $<TARGET_FILE_DIR:alkyne-combustion>/alkyne-combustion.js
            $<TARGET_FILE_DIR:alkyne-combustion>/alkyne-combustion.wasm ${site_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${WORKSHEET_BUILD_FILE} ${site_dir}/worksheet.pdf
    COMMAND ${CMAKE_COMMAND} -E copy ${web_icon_192} ${site_dir}/icon-192.png
    COMMAND ${CMAKE_COMMAND} -E copy ${web_icon_512} ${site_dir}/icon-512.png
    COMMAND ${CMAKE_COMMAND} -E copy ${web_maskable} ${site_dir}/icon-maskable.png
    COMMAND ${CMAKE_COMMAND} -E copy ${web_touch_icon} ${site_dir}/apple-touch-icon.png
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${site_dir}/LICENSE
    COMMAND ${CMAKE_COMMAND} -E copy ${WEB_FONT_LICENCE} ${site_dir}/LICENSE-fonts.txt
    # Last, the service worker, which lists every other file with its hash.
    COMMAND ${CMAKE_COMMAND} -DSITE=${site_dir} -DTEMPLATE=${web_dir}/worker.js.in -DNAME=${PROJECT_NAME}
            -DVERSION=${PROJECT_VERSION} -P ${web_dir}/worker.cmake
    DEPENDS alkyne-combustion worksheet_pdf ${web_icons} ${web_maskable} ${web_touch_icon}
            ${web_dir}/worker.js.in ${web_dir}/worker.cmake ${PROJECT_BINARY_DIR}/web/index.html
            ${PROJECT_BINARY_DIR}/web/manifest.webmanifest ${web_dir}/page.js ${web_dir}/page.css
            ${WEB_FONT_LICENCE} ${PROJECT_SOURCE_DIR}/LICENSE
    COMMENT "Gathering the site"
    VERBATIM)
add_custom_target(web_site ALL DEPENDS ${site_files})

# The zip: the site in a folder of its own, to upload to a school's site or a repository of material.
set(web_zip_name ${PROJECT_NAME}-${PROJECT_VERSION}-web)
set(web_zip ${PROJECT_BINARY_DIR}/${web_zip_name}.zip)
set(web_zip_stage ${PROJECT_BINARY_DIR}/web-zip)
add_custom_command(
    OUTPUT ${web_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${web_zip_stage} ${web_zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${web_zip_stage}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${site_dir} ${web_zip_stage}/${web_zip_name}
    COMMAND ${CMAKE_COMMAND} -E chdir ${web_zip_stage} ${CMAKE_COMMAND} -E tar cf ${web_zip} --format=zip
            ${web_zip_name}
    DEPENDS ${site_files}
    COMMENT "Packing the site's zip"
    VERBATIM)
add_custom_target(web_zip ALL DEPENDS ${web_zip})

# The SCORM 1.2 package: the site's files at the zip's root, and the manifest that lists every one.
set(SCORM_FILES)
foreach(file IN LISTS site_files)
    get_filename_component(name ${file} NAME)
    string(APPEND SCORM_FILES "      <file href=\"${name}\"/>\n")
endforeach()
string(STRIP "${SCORM_FILES}" SCORM_FILES)
set(SCORM_FILES "      ${SCORM_FILES}")
configure_file(${web_dir}/imsmanifest.xml.in ${PROJECT_BINARY_DIR}/web/imsmanifest.xml @ONLY)
set(scorm_zip ${PROJECT_BINARY_DIR}/${PROJECT_NAME}-${PROJECT_VERSION}-scorm12.zip)
set(scorm_stage ${PROJECT_BINARY_DIR}/scorm-zip)
add_custom_command(
    OUTPUT ${scorm_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${scorm_stage} ${scorm_zip}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${site_dir} ${scorm_stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/web/imsmanifest.xml ${scorm_stage}
    COMMAND ${CMAKE_COMMAND} -E chdir ${scorm_stage} ${CMAKE_COMMAND} -E tar cf ${scorm_zip} --format=zip .
    DEPENDS ${site_files} ${PROJECT_BINARY_DIR}/web/imsmanifest.xml
    COMMENT "Packing the SCORM 1.2 package"
    VERBATIM)
add_custom_target(scorm_zip ALL DEPENDS ${scorm_zip})

# The yardstick of the page's start-up (scripts/web.sh bench): an empty window of the exercise's size
# with the same menu bar (bench/bare_window.cpp), built the same way, in a copy of the site under the
# exercise's names, so that the same page starts it. Built only when asked for.
qt_add_executable(web_bare ${PROJECT_SOURCE_DIR}/bench/bare_window.cpp)
set_target_properties(web_bare PROPERTIES
    OUTPUT_NAME alkyne-combustion
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bare
    QT_WASM_EXPORT_NAME alkyne_combustion_entry
    EXCLUDE_FROM_ALL ON)
target_link_libraries(web_bare PRIVATE Qt6::Widgets)
target_link_options(web_bare PRIVATE -Os -sDYNAMIC_EXECUTION=0)
add_custom_target(web_bare_site
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${PROJECT_BINARY_DIR}/bare-site
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${site_dir} ${PROJECT_BINARY_DIR}/bare-site
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/bare/alkyne-combustion.js
            ${PROJECT_BINARY_DIR}/bare/alkyne-combustion.wasm ${PROJECT_BINARY_DIR}/bare-site
    # Its own service worker, listing its own program, as the exercise's lists the exercise.
    COMMAND ${CMAKE_COMMAND} -DSITE=${PROJECT_BINARY_DIR}/bare-site -DTEMPLATE=${web_dir}/worker.js.in
            -DNAME=${PROJECT_NAME} -DVERSION=${PROJECT_VERSION} -P ${web_dir}/worker.cmake
    DEPENDS web_bare web_site ${web_dir}/worker.js.in ${web_dir}/worker.cmake
    COMMENT "Gathering the empty window's site"
    VERBATIM)
