# Writes the page's index.html and service worker from their templates, and
# the brotli and gzip forms of the big files beside them.
#   cmake -DDIR=<page folder> -DPROGRAM=<name> -DWEB=<packaging/web>
#         [-DBROTLI=<brotli>] [-DGZIP=<gzip>] -P page.cmake
#
# index.html carries the size of the .wasm (the page's progress bar counts
# against it). The service worker carries the list of the page's files and
# the name of the cache that keeps them, made of their hash: any change to
# any of them is a new worker, which the browser installs at the next visit,
# with a cache of its own.
file(SIZE "${DIR}/${PROGRAM}.wasm" WASM_BYTES)
configure_file("${WEB}/index.html.in" "${DIR}/index.html" @ONLY)

# A home screen's icons are among them (43 kB): with no network a browser
# offers to install only a page whose manifest's icons it can fetch.
set(hashes "")
set(FILES "")
foreach(name index.html qtloader.js ${PROGRAM}.js ${PROGRAM}.wasm manifest.webmanifest icon.svg icon-32.png
        icon-192.png icon-512.png icon-maskable-512.png LiberationSans-LICENSE.txt DejaVuSans-LICENSE.txt)
    if(EXISTS "${DIR}/${name}")  # a benchmark's page carries no licences
        file(SHA256 "${DIR}/${name}" hash)
        string(APPEND hashes "${hash} ${name}\n")
        string(APPEND FILES "\n  \"${name}\",")
    endif()
endforeach()
string(SHA256 build "${hashes}")
string(SUBSTRING "${build}" 0 16 build)
set(CACHE_NAME "simatoplektis-${build}")
configure_file("${WEB}/sw.js.in" "${DIR}/sw.js" @ONLY)

# Written anew, or removed when the tool is missing: a server that found a
# stale .br beside a new .wasm would send the old program.
foreach(name index.html qtloader.js ${PROGRAM}.js ${PROGRAM}.wasm sw.js manifest.webmanifest icon.svg
        LiberationSans-LICENSE.txt DejaVuSans-LICENSE.txt)
    file(REMOVE "${DIR}/${name}.br" "${DIR}/${name}.gz")
    if(NOT EXISTS "${DIR}/${name}")
        continue()
    endif()
    if(BROTLI)
        execute_process(COMMAND "${BROTLI}" --best --lgwin=24 --keep --force "${DIR}/${name}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
    if(GZIP)
        execute_process(COMMAND "${GZIP}" -9 -n --keep --force "${DIR}/${name}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
