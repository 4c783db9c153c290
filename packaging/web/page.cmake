# Writes the page's index.html from its template, with the program's name and
# the size of its .wasm (the page's progress bar counts against it).
#   cmake -DDIR=<page folder> -DPROGRAM=<name> -DTEMPLATE=<index.html.in> -P page.cmake
file(SIZE "${DIR}/${PROGRAM}.wasm" WASM_BYTES)
configure_file("${TEMPLATE}" "${DIR}/index.html" @ONLY)
