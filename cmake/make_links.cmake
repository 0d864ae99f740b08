# Links every invocation name to haadm in DIR.
string(REPLACE "," ";" NAMES "${NAMES}")
foreach(name IN LISTS NAMES)
  file(REMOVE ${DIR}/${name})
  file(CREATE_LINK haadm ${DIR}/${name} SYMBOLIC)
endforeach()
