# The Windows setup program, zarkent-setup-VERSION.exe (NSIS), built beside the programs:
# zarkent.exe and zarkent-cli.exe stripped, with the companion files and the licence (LICENSE.txt, so that
# it opens as text), staged and packed by makensis.
find_program(ZARKENT_MAKENSIS makensis)
find_program(ZARKENT_MINGW_STRIP ${ZARKENT_MINGW_TRIPLE}-strip)
# Qt's Turkish texts come from Debian's qt6-translations-l10n: a .qm file is the same on every system.
find_file(ZARKENT_QTBASE_TR qtbase_tr.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT ZARKENT_MAKENSIS OR NOT ZARKENT_MINGW_STRIP OR NOT ZARKENT_QTBASE_TR)
    message(STATUS "makensis, the MinGW strip or Qt's Turkish translation is missing: no setup program")
    return()
endif()

set(ZARKENT_SETUP ${CMAKE_BINARY_DIR}/zarkent-setup-${PROJECT_VERSION}.exe)
# The setup program's file version has four numbers.
set(file_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
if(PROJECT_VERSION_TWEAK STREQUAL "")
    string(APPEND file_version .0)
else()
    string(APPEND file_version .${PROJECT_VERSION_TWEAK})
endif()
set(stage ${CMAKE_BINARY_DIR}/setup-stage)
set(script ${CMAKE_SOURCE_DIR}/packaging/windows/zarkent.nsi)
add_custom_command(
    OUTPUT ${ZARKENT_SETUP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${ZARKENT_MINGW_STRIP} -o ${stage}/zarkent.exe $<TARGET_FILE:zarkent>
    COMMAND ${ZARKENT_MINGW_STRIP} -o ${stage}/zarkent-cli.exe $<TARGET_FILE:zarkent-cli>
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/help.html ${CMAKE_SOURCE_DIR}/data/help_tr.html ${CMAKE_SOURCE_DIR}/data/about_tr.txt
            ${CMAKE_SOURCE_DIR}/src/gui/resources/zarkent.ico ${stage}/
    COMMAND ${CMAKE_COMMAND} -E copy ${ZARKENT_QTBASE_TR} ${stage}/translations/qtbase_tr.qm
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt
    COMMAND ${ZARKENT_MAKENSIS} -INPUTCHARSET UTF8 -V2 -DVERSION=${PROJECT_VERSION} -DFILE_VERSION=${file_version}
            -DSTAGE=${stage}
            -DOUTFILE=${ZARKENT_SETUP} ${script}
    DEPENDS zarkent zarkent-cli ${script} ${CMAKE_SOURCE_DIR}/data/help.html ${CMAKE_SOURCE_DIR}/data/help_tr.html
            ${CMAKE_SOURCE_DIR}/data/about_tr.txt
            ${CMAKE_SOURCE_DIR}/src/gui/resources/zarkent.ico ${ZARKENT_QTBASE_TR} ${CMAKE_SOURCE_DIR}/LICENSE
    COMMENT "Packing ${ZARKENT_SETUP}"
    VERBATIM)
add_custom_target(setup ALL DEPENDS ${ZARKENT_SETUP})
