# The page a program built for the browser is served with: our index.html,
# written after each link beside the program's .js and .wasm (it carries the
# .wasm's size for its progress bar), with the icon the page shows.
function(simatoplektis_web_page target)
    get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
    if(NOT folder)
        set(folder ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DDIR=${folder} -DPROGRAM=${target}
                -DTEMPLATE=${PROJECT_SOURCE_DIR}/packaging/web/index.html.in
                -P ${PROJECT_SOURCE_DIR}/packaging/web/page.cmake
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/resources/icon.svg
                ${PROJECT_SOURCE_DIR}/resources/icon-32.png ${folder}
        VERBATIM)
endfunction()
