# Debian packages, made by `cpack -G DEB` in the build folder: libbcfqtui0 (the library),
# libbcfqtui-dev (header, CMake package, pkg-config file) and bcf-tools (bcf, bcf-host).
# dpkg-shlibdeps derives the dependencies on Debian's Qt 6, pugixml and libzip packages.
set(BCF_PACKAGE_MAINTAINER "BCF viewer developers <bcf-viewer@localhost>"
    CACHE STRING "Maintainer field of the Debian packages")
set(CPACK_PACKAGE_NAME bcfqtui)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${BCF_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libbcfqtui0)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
string(CONCAT CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "BCF issue viewer library for Qt 6 Widgets applications\n"
    "libBcfQtUi shows and edits the issues of BCF 2.1 and 3.0 archives inside a native window "
    "of a Qt 6 Widgets host application.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libbcfqtui-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS qt6-base-dev)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
string(CONCAT CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "BCF issue viewer library for Qt 6 Widgets applications (development files)\n"
    "The header of class BcfQtUi, the CMake package BcfQtUi and the pkg-config file BcfQtUi.pc.")
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME bcf-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
# bcf-host runs on X11 through Qt's xcb platform plugin, which libqt6gui6 only recommends.
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)
string(CONCAT CPACK_COMPONENT_TOOLS_DESCRIPTION
    "BCF archive tools: bcf (info, convert, report, validate, merge) and bcf-host\n"
    "bcf prints a BCF archive as JSON, converts it between BCF 2.1 and 3.0, writes issue "
    "reports (PDF, XLSX, CSV), validates archives and merges them by GUID; bcf-host is a "
    "desktop window with the BCF issue viewer embedded in it.")
# bcf-host needs libBcfQtUi, which the tools package does not hold: dpkg-shlibdeps finds it in the
# build tree, and the dependency on libbcfqtui0 comes from the component dependency above.
get_target_property(BCF_QTUI_DIR bcfqtui BINARY_DIR)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${BCF_QTUI_DIR})
include(CPack)
