# Install layout and the Debian package (cpack -G DEB).
#
# The window program looks for its companion documents (help.html, help_tr.html, about_tr.txt) in the folder of its
# own program file. So the program and its companions live together in lib/zarkent, and bin/zarkent is a
# relative symbolic link to it: Qt resolves the link to the real file, so the installed program finds its
# companions wherever the tree is unpacked, and no documents land in bin/.

set(ZARKENT_PROGRAM_DIR lib/zarkent)

install(TARGETS zarkent-cli RUNTIME DESTINATION bin)

# The manual pages, with the project's version filled in, compressed as Debian installs manual pages
# (plain when gzip is missing).
find_program(ZARKENT_GZIP gzip)
function(zarkent_manpage name)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${name}.1)
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/data/${name}.1.in ${page} @ONLY)
    if(ZARKENT_GZIP)
        add_custom_command(OUTPUT ${page}.gz COMMAND ${ZARKENT_GZIP} -9nc ${page} > ${page}.gz DEPENDS ${page})
        add_custom_target(zarkent_manpage_${name} ALL DEPENDS ${page}.gz)
        install(FILES ${page}.gz DESTINATION share/man/man1)
    else()
        install(FILES ${page} DESTINATION share/man/man1)
    endif()
endfunction()
zarkent_manpage(zarkent-cli)
if(TARGET zarkent)
    zarkent_manpage(zarkent)
endif()

# Completion of zarkent-cli's commands, options and file arguments, where bash-completion loads it on demand.
if(NOT WIN32)
    install(FILES data/zarkent-cli.bash DESTINATION share/bash-completion/completions RENAME zarkent-cli)
endif()

# The licence: GPL-3.0-or-later for Zarkent, with zlib's and Qt's, in Debian's machine-readable form.
install(FILES packaging/debian/copyright DESTINATION share/doc/zarkent)

if(TARGET zarkent)
    install(TARGETS zarkent RUNTIME DESTINATION ${ZARKENT_PROGRAM_DIR})
    install(FILES data/help.html data/help_tr.html data/about_tr.txt DESTINATION ${ZARKENT_PROGRAM_DIR})
    set(ZARKENT_COMMAND_LINK ${CMAKE_CURRENT_BINARY_DIR}/install-links/zarkent)
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/install-links)
    file(CREATE_LINK ../${ZARKENT_PROGRAM_DIR}/zarkent ${ZARKENT_COMMAND_LINK} SYMBOLIC)
    install(FILES ${ZARKENT_COMMAND_LINK} DESTINATION bin)

    install(FILES data/zarkent.desktop DESTINATION share/applications)
    install(FILES data/zarkent-mime.xml DESTINATION share/mime/packages RENAME zarkent.xml)
    install(FILES src/gui/resources/zarkent.png DESTINATION share/icons/hicolor/128x128/apps)
endif()

# The package. The desktop database, the MIME database, the icon cache and the manual page index are
# refreshed by the Debian triggers of desktop-file-utils, shared-mime-info, the icon theme and man-db,
# so the package needs no maintainer scripts of its own.
set(ZARKENT_PACKAGE_MAINTAINER "Zarkent maintainers <maintainers@users.noreply.c-seed-a69a9051.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarkent)
set(CPACK_PACKAGE_VENDOR Zarkent)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ZARKENT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "protect files with a password")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zarkent turns any file into an encrypted .zrk file and back, optionally
compressing it with zlib first; the file's name travels inside the .zrk file.
It also offers folder batches, secure deletion, an MD5 calculator and password
and random number generators, as a window program (zarkent) and a command-line
tool (zarkent-cli).

The .zrk format uses a legacy password-keyed stream cipher without salt, key
stretching or authentication, kept so that existing files stay readable. It
hides contents from casual readers and is no substitute for modern
authenticated encryption against a determined attacker.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZARKENT_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The window program needs a display plugin (xcb, wayland), which the Qt libraries only recommend, and
# Qt's translations for its message boxes and file dialogs in Turkish; the help page opens through xdg-open.
find_program(ZARKENT_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZARKENT_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), qt6-qpa-plugins, qt6-translations-l10n, zlib1g, libc6, libstdc++6, libgcc-s1")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
