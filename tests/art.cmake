# The icon and help picture shipped in resources/: their formats, and that drawart still draws them.
find_package(GIF REQUIRED)

add_executable(tst_art ${CMAKE_CURRENT_LIST_DIR}/tst_art.cpp)
target_link_libraries(tst_art PRIVATE Qt6::Gui Qt6::Test GIF::GIF)
target_compile_definitions(tst_art PRIVATE
    ART_DIR="${CMAKE_SOURCE_DIR}/resources"
    DRAWART="$<TARGET_FILE:drawart>")
add_dependencies(tst_art drawart)
simatoplektis_warnings(tst_art)

add_test(NAME art COMMAND tst_art)
set_tests_properties(art PROPERTIES LABELS unit ENVIRONMENT QT_QPA_PLATFORM=offscreen)
