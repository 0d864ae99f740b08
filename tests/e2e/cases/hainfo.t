# hainfo: the three forms, and every other form ending at once with 255.

=== RebootReason records the word and a time stamp, then tells the manager
$ hainfo RebootReason Hareboot
@ notifyHAM(24) = 0
$ hainfo init
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@~ rasevt_log2\("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "Hareboot @ (0[1-9]|1[0-2])(0[1-9]|[12]\d|3[01])\d{4}-([01]\d|2[0-3])[0-5]\d[0-5]\d"\) = 0
@ getHAMFd() = 1000
@~ ioctl\("ham", 1074058781, \{"reason":"Hareboot @ \d{8}-\d{6}","word":0\}\) = 0
@ pd_init() = 0

=== show: the manager's reason of up to 63 characters is printed whole
set: rb_reason=0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!
$ hainfo show
> Last Reboot Reason:[0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!]

=== any other form ends at once with 255, silent, still in the messaging service
startup: keep
$ hainfo rebootreason Hareboot
? 255
@ ...
@ ns_condb_attach_impl("main", "haadm", 183) = 0
@! ipcExit
$ hainfo RebootReason
? 255
$ hainfo
? 255

=== more forms that end with 255 and record nothing; the right form then records
write: var/rb_reason =
$ hainfo show extra
? 255
$ hainfo init extra
? 255
= var/rb_reason:
$ hainfo RebootReason Hareboot extra
? 255
= var/rb_reason:
$ hainfo Show
? 255
$ hainfo RebootReason Hareboot
@ notifyHAM(24) = 0
