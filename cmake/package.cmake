# The Debian package of a host build: the tool under every name, the simulated chassis,
# the manual pages and the bash completion. Built with: cpack -G DEB (in the build dir).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME haadm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "haadm maintainers <haadm-maintainers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "high availability administration of a two-CP switch chassis")
# Lines of at most 79 characters: the control file indents each by one blank.
set(CPACK_PACKAGE_DESCRIPTION
    "haadm shows and changes the high availability (HA) state of a switch
chassis with two control processors: HA status and redundancy statistics,
enabling and disabling HA, synchronisation, failover, reboots and resets, the
software watchdog, the HA lock, diagnostic dumps and reboot reasons. One
executable is installed under the name of each command. This build runs
against a simulated chassis, made and inspected with chassis-sim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The completion it installs is loaded by bash-completion, which a minimal system lacks.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
if(CMAKE_CROSSCOMPILING)
  # dpkg-shlibdeps cannot read the target's libraries; these are the ones the tool links.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  # Debian's name of the target, not of the machine that builds the package.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "powerpc")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE powerpc)
  endif()
elseif(HAADM_STATIC_PIE)
  # The programs are static PIEs: they need no other package, and the package names in
  # Built-Using the sources of the C and C++ libraries linked into them (set after CPack
  # made it, by installed_size.cmake).
  set(CPACK_HAADM_STATIC_LIBS_FROM ${CMAKE_CXX_COMPILER})
else()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
# The binaries stripped, as cmake --install --strip installs them.
set(CPACK_STRIP_FILES ON)
# The programs the package is made with, checked before CPack starts on it.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_needs.cmake)
# CPack counts every link as a copy of its target; the size is set again from the files,
# and the package is made again with the same bytes for the same commit.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/installed_size.cmake)
set(CPACK_HAADM_SOURCE_DIR ${CMAKE_SOURCE_DIR})

# The copyright and the changelog (compressed, as a native package's) in the doc folder.
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND ${GZIP} -9n -c ${CMAKE_SOURCE_DIR}/package/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/package/changelog VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/package/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/haadm)
# The check where monitoring engines look for plugins, and what operators would otherwise
# write by hand: the metrics writer, its units and alerting rules, the engine's
# definitions, the fleet check.
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/nagios/plugins\")
  file(CREATE_LINK ../../../sbin/haadm \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/nagios/plugins/check_haready\" SYMBOLIC)")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/contrib/ DESTINATION share/doc/haadm/examples
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
if(HAADM_STATIC_PIE AND NOT CMAKE_CROSSCOMPILING)
  install(FILES ${CMAKE_SOURCE_DIR}/package/lintian-overrides-static
          DESTINATION share/lintian/overrides RENAME haadm)
endif()
include(CPack)
