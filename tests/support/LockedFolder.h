#pragma once
// A folder that refuses new entries for a test: saves into it must fail.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// Makes a folder refuse new entries while it lives: by its mode, or for the
// super-user, whom modes do not bind, by the immutable flag.
class TLockedFolder {
public:
    explicit TLockedFolder(const QString& folder) : path(QFile::encodeName(folder))
    {
        if (geteuid() != 0)
            locked = ::chmod(path.constData(), 0555) == 0;
        else
            locked = immutable = SetImmutable(true);
    }
    ~TLockedFolder()
    {
        if (immutable)
            SetImmutable(false);
        else if (locked)
            ::chmod(path.constData(), 0755);
    }
    bool Locked() const { return locked; }

private:
    bool SetImmutable(bool on)
    {
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }
    QByteArray path;
    bool locked = false;
    bool immutable = false;
};
