# Install rules. Component runtime: libBcfQtUi with its soname link; development: the public
# header, the CMake package (BcfQtUi::BcfQtUi), the pkg-config file and the linker name link;
# tools: bcf (with bcf-report, which runs its report command) and bcf-host. The official schemas
# go with the runtime. Every destination is relative to the prefix, so the tree can move.

include(CMakePackageConfigHelpers)

install(TARGETS bcf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
install(TARGETS bcf-report RUNTIME DESTINATION ${BCF_REPORT_INSTALL_DIR} COMPONENT tools)
# The official BCF schemas, unmodified, with their notice: bcf validate and the window find them
# relative to their own folder.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/schemas/ DESTINATION ${BCF_SCHEMA_INSTALL_DIR} COMPONENT runtime)
if(NOT BCF_BUILD_UI)
  return()
endif()

set(BCF_HEADER_DIR ${CMAKE_INSTALL_INCLUDEDIR}/BcfQtUi)
set(BCF_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/BcfQtUi)

# bcf-host finds the library relative to its own folder, wherever the tree lies.
file(RELATIVE_PATH bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(bcf-host PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
install(TARGETS bcf-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
# In /usr (the Debian packages) the library is on the loader's own path: no RUNPATH there.
install(CODE "if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
  file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}/usr/${CMAKE_INSTALL_BINDIR}/bcf-host\")
endif()" COMPONENT tools)

set_target_properties(bcfqtui PROPERTIES EXPORT_NAME BcfQtUi)
install(TARGETS bcfqtui EXPORT BcfQtUiTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
        INCLUDES DESTINATION ${BCF_HEADER_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/embed/bcfqtui.h ${PROJECT_SOURCE_DIR}/src/embed/bcfviewpoint.h DESTINATION ${BCF_HEADER_DIR} COMPONENT development)

install(EXPORT BcfQtUiTargets NAMESPACE BcfQtUi:: DESTINATION ${BCF_CMAKE_DIR} COMPONENT development)
configure_package_config_file(cmake/BcfQtUiConfig.cmake.in ${PROJECT_BINARY_DIR}/BcfQtUiConfig.cmake
                              INSTALL_DESTINATION ${BCF_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BcfQtUiConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/BcfQtUiConfig.cmake ${PROJECT_BINARY_DIR}/BcfQtUiConfigVersion.cmake
        DESTINATION ${BCF_CMAKE_DIR} COMPONENT development)

# The .pc file finds the prefix from its own folder (pkg-config's pcfiledir).
file(RELATIVE_PATH BCF_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" BCF_PC_TO_PREFIX "${BCF_PC_TO_PREFIX}")
configure_file(cmake/BcfQtUi.pc.in ${PROJECT_BINARY_DIR}/BcfQtUi.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/BcfQtUi.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)
