# Run by CPack before it makes the Debian package: stops at once, naming the Debian
# packages to install, when a program the package is made with is missing. Without file
# CPack fails with no useful word; without dpkg-shlibdeps it writes a package with no
# Depends at all.
set(_missing "")
set(_programs file dpkg-deb)
if(CPACK_DEBIAN_PACKAGE_SHLIBDEPS)
  list(APPEND _programs dpkg-shlibdeps)
endif()
foreach(program IN LISTS _programs)
  find_program(_found_${program} ${program})
  if(NOT _found_${program})
    list(APPEND _missing ${program})
  endif()
endforeach()
if(_missing)
  list(JOIN _missing ", " _names)
  message(FATAL_ERROR "The Debian package needs ${_names}: install them with\n"
                      "  apt-get install file dpkg-dev\n"
                      "(or scripts/deps.sh package)")
endif()
