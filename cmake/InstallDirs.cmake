# Install folders through GNUInstallDirs, with Debian's multiarch library folder under every prefix
# as Debian's own libraries use it. Included before any package that includes GNUInstallDirs itself.
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT DEFINED CMAKE_INSTALL_LIBDIR)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries (lib)")
endif()
include(GNUInstallDirs)
