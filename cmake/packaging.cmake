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
get_filename_component(mcplot_packaging_src ${CMAKE_CURRENT_LIST_DIR}/../packaging ABSOLUTE)
get_filename_component(mcplot_docs_src ${CMAKE_CURRENT_LIST_DIR}/../docs ABSOLUTE)

# The newest changelog entry speaks for the package: its version must be the
# project's, its signature is the maintainer and its date the release date.
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${mcplot_packaging_src}/changelog)
file(STRINGS ${mcplot_packaging_src}/changelog mcplot_changelog_head LIMIT_COUNT 1)
if(NOT mcplot_changelog_head MATCHES "^mcplot \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not version ${PROJECT_VERSION}")
endif()
file(STRINGS ${mcplot_packaging_src}/changelog mcplot_changelog_signatures REGEX "^ -- ")
list(GET mcplot_changelog_signatures 0 mcplot_signature)
if(NOT mcplot_signature MATCHES "^ -- (.+ <[^>]+>)  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: unreadable signature line: ${mcplot_signature}")
endif()
set(MCPLOT_MAINTAINER "${CMAKE_MATCH_1}")
set(mcplot_day ${CMAKE_MATCH_2})
set(mcplot_month_name ${CMAKE_MATCH_3})
set(mcplot_year ${CMAKE_MATCH_4})
set(mcplot_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND mcplot_months "${mcplot_month_name}" mcplot_month)
math(EXPR mcplot_month "${mcplot_month} + 1")
if(mcplot_month LESS 10)
  set(mcplot_month 0${mcplot_month})
endif()
set(MCPLOT_RELEASE_DATE ${mcplot_year}-${mcplot_month}-${mcplot_day})

# Where the project publishes its files, for the screenshots that software
# centres show. The project has no public site of its own yet; the default is
# under the reserved domain of its maintainer address, which resolves nowhere
# rather than pointing at someone else's server. Set it when publishing.
set(MCPLOT_PUBLIC_URL "https://c-seed-0dc3ee6c.example/mcplot"
    CACHE STRING "Base address of the published project files (screenshots)")
# Reverse domain name of the same address; an AppStream id never changes.
set(MCPLOT_APPSTREAM_ID example.c_seed_0dc3ee6c.mcplot)

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

configure_file(${mcplot_packaging_src}/mcplot.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${MCPLOT_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${MCPLOT_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)

# Manual pages and the changelog go compressed, without a name or time stamp
# in the gzip header, so that the same sources give the same files.
find_program(MCPLOT_GZIP gzip REQUIRED)
set(mcplot_compressed)
function(mcplot_compress src dst)
  add_custom_command(OUTPUT ${dst}
    COMMAND ${MCPLOT_GZIP} -9nc ${src} > ${dst}
    DEPENDS ${src}
    COMMENT "Compressing ${dst}"
    VERBATIM)
  set(mcplot_compressed ${mcplot_compressed} ${dst} PARENT_SCOPE)
endfunction()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man/man1 ${CMAKE_BINARY_DIR}/man/ru/man1)
mcplot_compress(${mcplot_docs_src}/mcplot.1 ${CMAKE_BINARY_DIR}/man/man1/mcplot.1.gz)
mcplot_compress(${mcplot_docs_src}/mcplot.ru.1 ${CMAKE_BINARY_DIR}/man/ru/man1/mcplot.1.gz)
mcplot_compress(${mcplot_packaging_src}/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_target(mcplot_package_docs ALL DEPENDS ${mcplot_compressed})
install(FILES ${CMAKE_BINARY_DIR}/man/man1/mcplot.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/man/ru/man1/mcplot.1.gz DESTINATION share/man/ru/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz ${mcplot_packaging_src}/copyright
        DESTINATION share/doc/mcplot)
install(FILES ${mcplot_packaging_src}/lintian-overrides
        DESTINATION share/lintian/overrides RENAME mcplot)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mcplot)
set(CPACK_PACKAGE_VENDOR "${MCPLOT_MAINTAINER}")
set(CPACK_PACKAGE_CONTACT "${MCPLOT_MAINTAINER}")
# The package description is in English, as the archive expects (its
# translation service gives the Russian one); lines within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "function plots and definite integrals by the Monte Carlo method")
set(CPACK_PACKAGE_DESCRIPTION [=[
A teaching program for students and teachers. It draws the graph of a
function y = f(x) on an interval [a, b] and computes its definite integral
by the Monte Carlo method, drawing every random throw (blue between the
curve and the x axis, red elsewhere), with the trapezoid-rule value beside
it for comparison.

Nine functions from physics and analysis are built in (Gauss, Maxwell,
Planck, Van der Waals and others); a tenth takes any expression in x
written in VBScript. The interface and the PDF help documents are in
Russian.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install with DESTDIR, so CMAKE_INSTALL_PREFIX inside the install script is
# the real /usr and the desktop entry gets the paths of the installed system.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MCPLOT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt's GIF and JPEG readers and the X11 platform come with libqt6gui6 and
# qt6-qpa-plugins; qt6-translations-l10n has Qt's own texts (standard buttons,
# the file dialog, context menus) in Russian; xdg-utils opens the PDF
# documents and the instruction.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation2, xdg-utils")
include(CPack)
