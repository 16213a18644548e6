# Installation and the Debian package.
#
# The program opens its formula pictures and documents by bare name from the
# current directory, so everything it needs goes into one folder,
# <prefix>/lib/mcplot; <prefix>/bin/mcplot is a launcher that changes into
# that folder first, and the desktop entry names the folder in Path= as well.
if(NOT TARGET mcplot)
  return()
endif()

set(MCPLOT_APPDIR_REL lib/mcplot)
get_filename_component(mcplot_assets_src ${CMAKE_CURRENT_LIST_DIR}/../assets ABSOLUTE)

install(TARGETS mcplot RUNTIME DESTINATION ${MCPLOT_APPDIR_REL})
get_property(mcplot_shipped GLOBAL PROPERTY MCPLOT_SHIPPED_FILES)
install(FILES ${mcplot_shipped} DESTINATION ${MCPLOT_APPDIR_REL})
install(PROGRAMS ${mcplot_assets_src}/mcplot-launcher.sh DESTINATION bin RENAME mcplot)
install(FILES ${mcplot_assets_src}/icon.png
        DESTINATION share/icons/hicolor/32x32/apps RENAME mcplot.png)
install(FILES ${mcplot_assets_src}/icon64.png
        DESTINATION share/icons/hicolor/64x64/apps RENAME mcplot.png)

# The desktop entry needs absolute paths, known only when installing
# (cmake --install --prefix may differ from the configured prefix).
install(CODE "
  set(MCPLOT_APPDIR \"\${CMAKE_INSTALL_PREFIX}/${MCPLOT_APPDIR_REL}\")
  set(MCPLOT_BINDIR \"\${CMAKE_INSTALL_PREFIX}/bin\")
  configure_file(\"${mcplot_assets_src}/mcplot.desktop.in\"
                 \"${CMAKE_BINARY_DIR}/mcplot.desktop\" @ONLY)
")
install(FILES ${CMAKE_BINARY_DIR}/mcplot.desktop DESTINATION share/applications)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mcplot)
set(CPACK_PACKAGE_VENDOR "mcplot team")
set(CPACK_PACKAGE_CONTACT "mcplot team")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Графики функций и расчёт определённого интеграла методом Монте-Карло")
set(CPACK_PACKAGE_DESCRIPTION
    "Учебная программа: строит графики девяти встроенных функций или функции, заданной выражением на VBScript, и вычисляет определённый интеграл методом Монте-Карло и методом трапеций. Справки на русском языке в формате PDF.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install with DESTDIR, so CMAKE_INSTALL_PREFIX inside the install script is
# the real /usr and the desktop entry gets the paths of the installed system.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "mcplot team")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt's GIF and JPEG readers and the X11 platform come with libqt6gui6 and
# qt6-qpa-plugins; libqt6charts6 draws the study window's charts; xdg-utils
# opens the PDF documents and the instruction.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6charts6 (>= 6.4), qt6-qpa-plugins, fonts-liberation2, xdg-utils")
include(CPack)
