// open_regular and empty_regular against a directory of their own: only regular files
// are opened, nothing is followed or waited on, and emptying leaves a regular file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "haadm/safe_file.h"

namespace {

using haadm::FileRefusal;

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/safe_file.XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { ASSERT_EQ(system(("rm -rf " + dir_).c_str()), 0); }

    std::string at(const char* name) const { return dir_ + "/" + name; }
    void write(const char* name, const std::string& text) const
    {
        std::ofstream(at(name), std::ios::binary) << text;
    }
    std::string read(const char* name) const
    {
        std::ifstream in(at(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    mode_t kind(const char* name) const
    {
        struct stat st {};
        return lstat(at(name).c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
    }
    // Permission bits; files are made 0666 less the umask, as any program makes them.
    mode_t perms(const char* name) const
    {
        struct stat st {};
        return lstat(at(name).c_str(), &st) == 0 ? (st.st_mode & 07777) : 07777;
    }

    std::string dir_;
};

TEST_F(SafeFile, RefusesEverythingElse)
{
    write("secret", "secret");
    ASSERT_EQ(symlink(at("secret").c_str(), at("link").c_str()), 0);
    ASSERT_EQ(symlink(at("nowhere").c_str(), at("dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(at("dir").c_str(), 0700), 0);
    ASSERT_EQ(link(at("secret").c_str(), at("hard").c_str()), 0);

    const struct {
        const char* name;
        int access;
        bool shared;
        FileRefusal why;
    } cases[] = {
        {"missing", O_RDONLY, false, FileRefusal::missing},
        // Past the first look, the open itself fails: with no link in the way that
        // is a missing file, not a link.
        {"nodir/file", O_RDWR | O_CREAT, false, FileRefusal::missing},
        {"link", O_RDONLY, false, FileRefusal::symlink},
        {"link", O_RDWR | O_CREAT, false, FileRefusal::symlink},
        {"dangling", O_RDWR | O_CREAT, false, FileRefusal::symlink},
        {"fifo", O_RDONLY, false, FileRefusal::not_regular},
        {"fifo", O_RDWR | O_CREAT, false, FileRefusal::not_regular},
        {"dir", O_RDONLY, false, FileRefusal::not_regular},
        {"hard", O_RDONLY, true, FileRefusal::linked},
    };
    for (const auto& c : cases) {
        const haadm::OpenedFile f = haadm::open_regular(at(c.name).c_str(), c.access, c.shared);
        EXPECT_EQ(f.fd, -1) << c.name;
        EXPECT_EQ(f.why, c.why) << c.name;
    }
    // Neither the dangling link's target nor anything through the links was made.
    EXPECT_EQ(kind("nowhere"), 0u);
    EXPECT_EQ(read("secret"), "secret");
    // A hard link outside a shared directory is an ordinary regular file.
    const haadm::OpenedFile f = haadm::open_regular(at("hard").c_str(), O_RDONLY, false);
    EXPECT_GE(f.fd, 0);
    close(f.fd);
}

TEST_F(SafeFile, EmptyingLeavesAnEmptyRegularFile)
{
    write("secret", "secret");
    write("full", "reason");
    ASSERT_EQ(symlink(at("secret").c_str(), at("link").c_str()), 0);
    ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(at("dir").c_str(), 0700), 0);
    ASSERT_EQ(chmod(at("full").c_str(), 0600), 0);
    const mode_t old = umask(002);
    const struct {
        const char* name;
        mode_t perms;  // a file emptied in place keeps its own
    } cases[] = {{"full", 0600}, {"link", 0664}, {"fifo", 0664}, {"missing", 0664}};
    for (const auto& c : cases) {
        haadm::empty_regular(at(c.name).c_str());
        EXPECT_EQ(kind(c.name), static_cast<mode_t>(S_IFREG)) << c.name;
        EXPECT_EQ(perms(c.name), c.perms) << c.name;
        EXPECT_EQ(read(c.name), "") << c.name;
    }
    umask(old);
    haadm::empty_regular(at("dir").c_str());
    EXPECT_EQ(kind("dir"), static_cast<mode_t>(S_IFDIR));
    EXPECT_EQ(read("secret"), "secret");
}

}  // namespace
