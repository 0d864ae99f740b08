# The names under which the tool is installed: every primary name and alias of the
# command table, and hainfo.
set(HAADM_NAMES
  hashow haShow haenable haEnable hadisable haDisable hafailover haFailover
  hahamdump hadump hasyncstart haSyncStart hasyncstop haSyncStop hashutdown
  swdadmin chassisreboot chassisReboot hareboot haReboot hainfo hareset
  hasmshutdown hasmrestart hasmtest hachecklock hafreelock haredundancy platformyield
  hasnapshot haready)
