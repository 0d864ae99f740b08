# Run by CPack after it made the Debian package: sets Installed-Size as dpkg counts it,
# each regular file by its size in KiB rounded up and each link and folder as 1, where
# CPack counted every link as a copy of the file it names. Then makes the package again
# so that one commit always gives the same bytes: every time stamp is SOURCE_DATE_EPOCH,
# taken from the commit's time unless set, and dpkg-deb orders the members and makes
# root the owner of each. A package without Depends is removed and fails the run, unless
# its programs are static PIEs: then it names in Built-Using what is linked into them.

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${CPACK_HAADM_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE _epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE _git ERROR_QUIET)
  if(NOT _git EQUAL 0 OR NOT _epoch MATCHES "^[0-9]+$")
    # Not in a git checkout: the time of the changelog's latest entry.
    execute_process(COMMAND dpkg-parsechangelog -l ${CPACK_HAADM_SOURCE_DIR}/package/changelog
                            -S Timestamp
                    OUTPUT_VARIABLE _epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${_epoch})
endif()
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${tree} ${tree}/*)
  set(kib 0)
  foreach(entry IN LISTS entries)
    if(entry MATCHES "^DEBIAN(/|$)")
      continue()
    endif()
    if(IS_SYMLINK ${tree}/${entry} OR IS_DIRECTORY ${tree}/${entry})
      math(EXPR kib "${kib} + 1")
    else()
      file(SIZE ${tree}/${entry} bytes)
      math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
    endif()
  endforeach()
  file(READ ${tree}/DEBIAN/control control)
  if(CPACK_HAADM_STATIC_LIBS_FROM)
    set(using "")
    foreach(lib libc.a libstdc++.a)
      execute_process(COMMAND ${CPACK_HAADM_STATIC_LIBS_FROM} -print-file-name=${lib}
                      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      file(REAL_PATH ${path} path)
      execute_process(COMMAND dpkg-query -S ${path} OUTPUT_VARIABLE owner
                      OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      string(REGEX REPLACE ": .*" "" owner "${owner}")
      execute_process(COMMAND dpkg-query -W "-f=\${source:Package} (= \${source:Version})" ${owner}
                      OUTPUT_VARIABLE source OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      list(APPEND using "${source}")
    endforeach()
    list(JOIN using ", " using)
    string(REGEX REPLACE "\nDescription:" "\nBuilt-Using: ${using}\nDescription:" control "${control}")
    if(control MATCHES "\nDepends:" OR NOT control MATCHES "\nBuilt-Using: glibc [^\n]*gcc")
      file(REMOVE_RECURSE ${tree} ${deb})
      message(FATAL_ERROR "${deb}: its programs are static, yet it has a Depends or names no "
                          "libraries in Built-Using:\n${control}\nno package made")
    endif()
  elseif(NOT CPACK_DEBIAN_PACKAGE_DEPENDS AND NOT control MATCHES "\nDepends: [^\n]*libc6")
    file(REMOVE_RECURSE ${tree} ${deb})
    message(FATAL_ERROR "dpkg-shlibdeps found no dependencies for ${deb}: no package made")
  endif()
  string(REGEX REPLACE "Installed-Size: [0-9]+" "Installed-Size: ${kib}" control "${control}")
  file(WRITE ${tree}/DEBIAN/control "${control}")
  execute_process(COMMAND find ${tree} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b ${tree} ${deb}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
