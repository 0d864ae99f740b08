# swdadmin, hasmshutdown/hasmrestart and platformyield: the one request each makes.
# None prints anything and every run ends by the common exit with 0.

=== swdadmin: each keyword in any case between swd_init and swd_exit
$ swdadmin ENABLE
@ swd_init() = 0
@ swd_enable() = 0
@ swd_exit() = 0
$ swdadmin disable
@ ...
@ swd_disable() = 0
$ swdadmin Shutdown
@ ...
@ swd_disable() = 0
$ swdadmin sUpPrEsS
@ ...
@ swd_suppress() = 0

=== swdadmin: an unknown word opens and closes the library and nothing between
$ swdadmin reset
@ swd_init() = 0
@ swd_exit() = 0
$ swdadmin enabled
@ swd_init() = 0
@ swd_exit() = 0

=== swdadmin: no watchdog call without exactly one argument
$ swdadmin
@ ipcExit()
$ swdadmin enable extra
@ ipcExit()

=== hasmrestart: no ':' gives switch 0 and an empty text; no argument makes no call
$ hasmrestart 5
@ ls_restart(0, "") = -1
$ hasmrestart
@ ipcExit()
$ hasmshutdown
@ ipcExit()

=== long number texts are cut to 15 characters, then clamped to an int
$ hasmrestart x:0000000000000123
@ ls_restart(12, "") = -1
$ hasmrestart x:1234567890123456789
@ ls_restart(2147483647, "") = -1
$ hasmrestart x:-99999999999999999
@ ls_restart(-2147483648, "") = -1

=== the control text is cut to 127 characters
$ hasmshutdown x:1 abcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghij
@ ls_shutdown(1, "abcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefg") = -1

=== a name that holds both words shuts down; other names restart
$ as:hasmrestart_hasmshutdown x:4
@ ls_shutdown(4, "") = -1
$ as:/sbin/hasmrestart x:4
@ ls_restart(4, "") = -1
@ ipcExit()
$ as:hasmshutdown.hasmrestart x:4 t
@ ls_shutdown(4, "t") = -1
