# The page a program built for the browser is served with: our index.html,
# written beside the program's .js and .wasm whenever either it or the
# program changes (it carries the .wasm's size, for its progress bar), with
# the icon the page shows. Built with the program, unless EXCLUDE_FROM_ALL.
function(simatoplektis_web_page target)
    get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
    if(NOT folder)
        set(folder ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    set(template ${PROJECT_SOURCE_DIR}/packaging/web/index.html.in)
    add_custom_command(OUTPUT ${folder}/index.html
        COMMAND ${CMAKE_COMMAND} -DDIR=${folder} -DPROGRAM=${target} -DTEMPLATE=${template}
                -P ${PROJECT_SOURCE_DIR}/packaging/web/page.cmake
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/resources/icon.svg
                ${PROJECT_SOURCE_DIR}/resources/icon-32.png ${folder}
        DEPENDS ${target} ${template} ${PROJECT_SOURCE_DIR}/packaging/web/page.cmake
                ${PROJECT_SOURCE_DIR}/resources/icon.svg ${PROJECT_SOURCE_DIR}/resources/icon-32.png
        VERBATIM)
    # Qt writes its example page and logo at every configure: they go each time.
    add_custom_target(${target}_page ${ARGN}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${folder}/${target}.html ${folder}/qtlogo.svg
        DEPENDS ${folder}/index.html
        VERBATIM)
endfunction()
