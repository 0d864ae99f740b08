# Names at fixed places that someone else filled first: a symbolic link is never
# followed, a FIFO never waited on, the target never read, written or shown.

=== a link at the alternative file is not followed: the secret stays unread
write: secret = top secret text
write: var/rb_reason = Reset
link: tmp/rb_reason.alt = $ROOT/secret
$ hainfo init
@@ report 'OCP or Silent Reboot' 'OCP or Silent Reboot'
= secret: top secret text
= tmp/rb_reason.alt: <link>
= var/rb_reason:
$ hainfo show
> Last Reboot Reason:[OCP or Silent Reboot]

=== a hard link at the alternative file is not read either
write: secret = top secret text
write: var/rb_reason = Reset
hardlink: tmp/rb_reason.alt = secret
$ hainfo init
@@ report 'OCP or Silent Reboot' 'OCP or Silent Reboot'
= secret: top secret text

=== a FIFO at the alternative file does not hold up the start-up
write: var/rb_reason = Reset
fifo: tmp/rb_reason.alt
write: mnt/var/rb_reason = Y
$ hainfo init
@@ report 'OCP or Silent Reboot' 'OCP or Silent Reboot'
= tmp/rb_reason.alt: <fifo>
= var/rb_reason:
= mnt/var/rb_reason:

=== links at both emptied files: targets unchanged, empty regular files left instead
write: secret = top secret text
link: var/rb_reason = $ROOT/secret
link: mnt/var/rb_reason = $ROOT/secret
$ hainfo init
@@ report 'OCP or Silent Reboot' ''
= secret: top secret text
= var/rb_reason:
= mnt/var/rb_reason:

=== FIFOs at both emptied files: nothing waits, empty regular files left instead
fifo: var/rb_reason
fifo: mnt/var/rb_reason
$ hainfo init
@@ report 'OCP or Silent Reboot' ''
= var/rb_reason:
= mnt/var/rb_reason:

=== a directory at a reason file reads as empty and stays
write: var/rb_reason/x = in the way
$ hainfo init
@@ report 'OCP or Silent Reboot' ''
= var/rb_reason: <dir>
= var/rb_reason/x: in the way

=== RebootReason does not write through a link, make its target, nor wait on a FIFO
link: var/rb_reason = $ROOT/nowhere
$ hainfo RebootReason Hareboot
@ ipcExit()
= nowhere
= var/rb_reason: <link>
fifo: var/rb_reason
$ hainfo RebootReason Hareboot
@ ipcExit()
= var/rb_reason: <fifo>

=== hashutdown empties its file without following a link or waiting on a FIFO
write: secret = top secret text
link: var/log/rebootreason = $ROOT/secret
$ hashutdown
= secret: top secret text
= var/log/rebootreason:
fifo: var/log/rebootreason
$ hashutdown
= var/log/rebootreason:

=== dump: a link at the dump name is neither shown nor followed nor removed, by the tool or the chassis
write: secret = top secret text
link: tmp/hasmdump.$PID = $ROOT/secret
$ hasmtest dump
! hasmtest dump: /tmp/hasmdump.$PID is a symbolic link; not shown
@ hasm_dump({"flag":0,"path":"/tmp/hasmdump.$PID"}) = -1
= secret: top secret text
= tmp/hasmdump.$PID: <link>

=== dump: the chassis does not empty a file that the dump name is a further name of
write: secret = top secret text
hardlink: tmp/hasmdump.$PID = secret
$ hasmtest dump
! hasmtest dump: /tmp/hasmdump.$PID is linked to another name; not shown
@ hasm_dump({"flag":0,"path":"/tmp/hasmdump.$PID"}) = -1
= secret: top secret text

=== dump: a FIFO at the dump name is not waited on, nor written into
fifo: tmp/hasmdump.$PID
$ hasmtest dump
! hasmtest dump: /tmp/hasmdump.$PID is not a regular file; not shown
@ hasm_dump({"flag":0,"path":"/tmp/hasmdump.$PID"}) = -1
= tmp/hasmdump.$PID: <fifo>
