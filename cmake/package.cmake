# The Debian package of a host build: the tool under every name, the simulated chassis,
# the manual pages and the bash completion. Built with: cpack -G DEB (in the build dir).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME haadm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "haadm developers <haadm@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "administration of high availability on a switch chassis with two control processors")
set(CPACK_PACKAGE_DESCRIPTION
    "haadm shows and changes the high availability (HA) state of a switch chassis with two
control processors: HA status and redundancy statistics, enabling and disabling HA,
synchronisation, failover, reboots and resets, the software watchdog, the HA lock,
diagnostic dumps and reboot reasons. One executable is installed under the name of
each command. This build runs against a simulated chassis, made and inspected with
chassis-sim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
if(CMAKE_CROSSCOMPILING)
  # dpkg-shlibdeps cannot read the target's libraries; these are the ones the tool links.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
else()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
