# The menu entry, the metadata and the Debian package built from this tree.
if(NOT DEFINED SIMATOPLEKTIS_APP_ID)
    message(FATAL_ERROR "tests/packaging.cmake needs packaging/ added before tests/")
endif()

add_test(NAME metadata COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/metadata.sh
    ${PROJECT_SOURCE_DIR}/packaging/${SIMATOPLEKTIS_APP_ID}.desktop
    ${PROJECT_SOURCE_DIR}/packaging/${SIMATOPLEKTIS_APP_ID}.metainfo.xml
    $<TARGET_FILE_NAME:simatoplektis> ${PROJECT_VERSION})
set_tests_properties(metadata PROPERTIES LABELS unit TIMEOUT 30)

# Runs cpack on this build tree, so it packages the program as built, into a
# scratch folder of its own; serial like e2e, since it starts an X server.
add_test(NAME package COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package.sh
    ${CMAKE_CPACK_COMMAND} ${CMAKE_BINARY_DIR}/CPackConfig.cmake
    ${SIMATOPLEKTIS_APP_ID} $<TARGET_FILE_NAME:simatoplektis> ${PROJECT_VERSION})
set_tests_properties(package PROPERTIES LABELS e2e TIMEOUT 180 RUN_SERIAL ON)
