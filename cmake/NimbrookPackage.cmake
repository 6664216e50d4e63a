# The Debian package: what goes in beside the binary, and who it comes from.
include(GNUInstallDirs)

set(NIMBROOK_MAINTAINER "Quolla <packages@quolla.example>")
set(NIMBROOK_HOMEPAGE "https://nimbrook.quolla.example/")
set(NIMBROOK_SUMMARY "Clipboard history for the desktop")
set(NIMBROOK_DATA_DIR "${PROJECT_SOURCE_DIR}/data")

configure_file("${NIMBROOK_DATA_DIR}/com.quolla.nimbrook.metainfo.xml.in"
    "${PROJECT_BINARY_DIR}/com.quolla.nimbrook.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/com.quolla.nimbrook.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${NIMBROOK_DATA_DIR}/nimbrook.bash"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions" RENAME nimbrook)
set(NIMBROOK_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/nimbrook")
install(FILES "${NIMBROOK_DATA_DIR}/copyright" DESTINATION "${NIMBROOK_DOC_DIR}")

# Debian wants manual pages and changelogs compressed, without a time stamp inside.
configure_file("${NIMBROOK_DATA_DIR}/changelog.in" "${PROJECT_BINARY_DIR}/doc/changelog" @ONLY)
set(manPage "${PROJECT_BINARY_DIR}/doc/nimbrook.1")
configure_file("${NIMBROOK_DATA_DIR}/nimbrook.1.in" "${manPage}" @ONLY)
add_custom_command(OUTPUT "${manPage}.gz" "${PROJECT_BINARY_DIR}/doc/changelog.gz"
    COMMAND gzip -9nkf "${manPage}" "${PROJECT_BINARY_DIR}/doc/changelog"
    DEPENDS "${manPage}" "${PROJECT_BINARY_DIR}/doc/changelog" VERBATIM)
add_custom_target(nimbrook_docs ALL DEPENDS "${manPage}.gz")
install(FILES "${manPage}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${PROJECT_BINARY_DIR}/doc/changelog.gz" DESTINATION "${NIMBROOK_DOC_DIR}")

# Trays of some desktops ignore SVG icons, so the icon is also rendered at the usual sizes.
find_program(NIMBROOK_RSVG_CONVERT rsvg-convert)
if(NIMBROOK_RSVG_CONVERT)
    set(pngIcons)
    foreach(size 16 22 24 32 48 64 128 256)
        set(png "${PROJECT_BINARY_DIR}/icons/${size}/com.quolla.nimbrook.png")
        add_custom_command(OUTPUT "${png}"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/icons/${size}"
            COMMAND "${NIMBROOK_RSVG_CONVERT}" -w ${size} -h ${size}
                -o "${png}" "${NIMBROOK_DATA_DIR}/com.quolla.nimbrook.svg"
            DEPENDS "${NIMBROOK_DATA_DIR}/com.quolla.nimbrook.svg" VERBATIM)
        install(FILES "${png}"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
        list(APPEND pngIcons "${png}")
    endforeach()
    add_custom_target(nimbrook_icons ALL DEPENDS ${pngIcons})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbrook)
set(CPACK_PACKAGE_VENDOR Quolla)
set(CPACK_PACKAGE_CONTACT "${NIMBROOK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${NIMBROOK_SUMMARY}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${NIMBROOK_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NIMBROOK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A user's edit of the system autostart entry survives upgrades.
file(WRITE "${PROJECT_BINARY_DIR}/conffiles"
    "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart/com.quolla.nimbrook.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_BINARY_DIR}/conffiles")
# Beyond the libraries the binary links: the panel's fonts, Qt's Wayland platform, which the
# program picks on compositors with data-control, the toolkit's own texts in Chinese, and its
# TIFF reader, which turns a TIFF entry copied back into the PNG that most programs ask for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-noto-cjk, fonts-material-design-icons-iconfont, qt6-wayland, qt6-translations-l10n, qt6-image-formats-plugins")
# The completion of the installed script needs the shell's completion framework.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
# CPack puts the summary first and indents these lines itself; the empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Nimbrook keeps the texts, links, files and images you copy and lists them in a
panel from the tray; click one to copy it again, search them, or convert JSON,
HTML and links as you copy them back.

萤川记录你复制过的文本、链接、文件和图片，从托盘打开面板即可搜索，点击任意一条即可再次复制。")
include(CPack)
