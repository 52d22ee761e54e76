# Writes the site's service worker (worker.js) from worker.js.in, run by the build once the site's other
# files are gathered:
#   cmake -DSITE=<folder> -DTEMPLATE=<worker.js.in> -DNAME=<project> -DVERSION=<version> -P worker.cmake
# Every file of the folder but the worker itself is listed with its SHA-256, and the cache is named after
# the version and a hash of that list: any change to any file makes another worker, which a browser
# installs beside the old one's cache and, once it holds every file, puts in its place.

foreach(var SITE TEMPLATE NAME VERSION)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "worker.cmake needs -D${var}=...")
    endif()
endforeach()

file(GLOB names RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM names worker.js)
list(SORT names)
set(listing "")
set(WORKER_FILES "")
foreach(name IN LISTS names)
    if(IS_DIRECTORY ${SITE}/${name} OR NOT name MATCHES "^[A-Za-z0-9._-]+$")
        message(FATAL_ERROR "worker.cmake: the site holds ${name}, which the worker cannot list")
    endif()
    file(SHA256 ${SITE}/${name} hash)
    string(APPEND listing "${name} ${hash}\n")
    string(APPEND WORKER_FILES "    ['${name}', '${hash}'],\n")
endforeach()
string(SHA256 build_hash "${listing}")
string(SUBSTRING ${build_hash} 0 16 build_hash)
set(WORKER_CACHE "${NAME}-${VERSION}-${build_hash}")
configure_file(${TEMPLATE} ${SITE}/worker.js @ONLY)
