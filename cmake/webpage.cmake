# The page a program built for the browser is served with: our index.html,
# written beside the program's .js and .wasm whenever either it or the
# program changes (it carries the .wasm's size, for its progress bar), with
# the icons the page shows and a home screen takes, the manifest that makes
# it installable, and the service worker that keeps it for use with no
# network. Built with the program, unless EXCLUDE_FROM_ALL.
#
# Beside the big files go their brotli and gzip forms, made once here rather
# than by the server at every request; Debian's brotli and gzip, when present.
find_program(SIMATOPLEKTIS_BROTLI brotli)
find_program(SIMATOPLEKTIS_GZIP gzip)
function(simatoplektis_web_page target)
    get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
    if(NOT folder)
        set(folder ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    set(web ${PROJECT_SOURCE_DIR}/packaging/web)
    set(res ${PROJECT_SOURCE_DIR}/resources)
    set(copied ${res}/icon.svg ${res}/icon-32.png ${res}/icon-192.png ${res}/icon-512.png
               ${res}/icon-maskable-512.png ${web}/manifest.webmanifest)
    add_custom_command(OUTPUT ${folder}/index.html ${folder}/sw.js
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${copied} ${folder}
        COMMAND ${CMAKE_COMMAND} -DDIR=${folder} -DPROGRAM=${target} -DWEB=${web}
                -DBROTLI=${SIMATOPLEKTIS_BROTLI} -DGZIP=${SIMATOPLEKTIS_GZIP}
                -P ${web}/page.cmake
        DEPENDS ${target} ${web}/index.html.in ${web}/sw.js.in ${web}/page.cmake ${copied}
        VERBATIM)
    # Qt writes its example page and logo at every configure: they go each time.
    add_custom_target(${target}_page ${ARGN}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${folder}/${target}.html ${folder}/qtlogo.svg
        DEPENDS ${folder}/index.html
        VERBATIM)
endfunction()
