// Opening files at fixed names that others may have planted: only a regular file is
// opened, a symbolic link at the name is never followed and no open ever blocks.
#pragma once

namespace haadm {

// Why a name did not give a regular file.
enum class FileRefusal {
    none,
    missing,      // nothing at the name, or it could not be opened
    symlink,      // a symbolic link, not followed
    not_regular,  // a FIFO, a device, a directory or a socket
    not_owned,    // in a shared directory: owned by another user
    linked,       // in a shared directory: a further hard link of another file
};

struct OpenedFile {
    int fd;  // -1 unless why is none
    FileRefusal why;
};

// Opens path (O_RDONLY or O_RDWR in access, optionally O_CREAT) without following a
// symbolic link and without blocking. Only a regular file is kept open; with shared,
// for a name in a directory others can write, it must also be owned by this process's
// user and have no other link.
OpenedFile open_regular(const char* path, int access, bool shared);

// A few words for a refusal: "a symbolic link", ...
const char* refusal_text(FileRefusal why);

// Leaves an empty regular file at path: a regular file is truncated in place; a
// symbolic link, FIFO, device or socket at the name is removed (never followed) and an
// empty file created instead; a missing file is created. A directory is left alone.
void empty_regular(const char* path);

}  // namespace haadm
