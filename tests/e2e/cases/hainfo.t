# hainfo: the three forms, and every other form ending at once with 255.

=== RebootReason records the word and a time stamp, then tells the manager
$ hainfo RebootReason Hareboot
@ notifyHAM(24) = 0
$ hainfo init
@@ report-stamped Hareboot

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
